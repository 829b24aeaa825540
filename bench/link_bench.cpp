// Receiving images: 64 MiB as PTP data phases of 4 MiB each (GetObject), through the link and container layers
// from the stand-in device, against a plain recv() loop that sends the same requests to the same device and reads
// the same bytes into one reused buffer. Reported as a throughput ratio, link / plain, measured in the same run
// with the two interleaved round by round (the best round of each counts) so that a busy machine affects both.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "devicesim/device.h"
#include "engine/link/link.h"
#include "engine/ptp/container.h"

namespace {

constexpr uint32_t kPhase = 4u << 20;
constexpr int kPhases = 16;  // 64 MiB
constexpr uint16_t kGetObject = 0x1009;

// Answers GetObject with the same 4 MiB every time.
class ImageCamera : public devicesim::Camera {
public:
    ImageCamera() : image_(kPhase) {
        for (size_t i = 0; i < image_.size(); ++i) image_[i] = uint8_t(i * 13);
    }
    devicesim::PtpResult handleOperation(const devicesim::PtpOperation& op) override {
        if (op.code != kGetObject) return devicesim::PtpResult::withCode(0x2005);
        return devicesim::PtpResult::withData(image_);
    }

private:
    std::vector<uint8_t> image_;
};

struct Bench {
    devicesim::Device device;
    Bench() {
        device.setCamera(std::make_shared<ImageCamera>());
        device.start(0);
    }
};

Bench& bench() {
    static Bench b;
    return b;
}

// 64 MiB through linkPtpSend/linkPtpReceive and the container layer.
bool receiveThroughLink() {
    if (linkConnect("127.0.0.1", bench().device.port()) < 0) return false;
    ptpSetTransport(linkPtpSend, linkPtpReceive);
    const uint32_t handle = 1;
    for (int i = 0; i < kPhases; ++i) {
        if (ptpSendCommandNoData(kGetObject, &handle, 1, nullptr) != PTP_RC_OK) return false;
        HeapBlock data;
        uint32_t length = 0;
        if (ptpReadDataAndResponse(&data, &length, nullptr) != PTP_RC_OK || length != kPhase) return false;
        benchmark::DoNotOptimize(data.data());
    }
    linkDisconnect();
    return true;
}

// The same requests and the same bytes with send() and a plain recv() loop into one buffer.
bool receivePlain() {
    static std::vector<uint8_t> buffer(kPhase + 64);
    int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(bench().device.port());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        ::close(fd);
        return false;
    }
    int one = 1;
    ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    // A 0x0A packet holding one GetObject command container (5 + 16 bytes).
    uint8_t request[21] = {21, 0, 0, 0, 0x0A, 16, 0, 0, 0, 1, 0, uint8_t(kGetObject), uint8_t(kGetObject >> 8)};
    request[17] = 1;  // the handle
    const size_t answer = (5 + 12 + size_t(kPhase)) + (5 + 12);
    for (int i = 0; i < kPhases; ++i) {
        std::memcpy(request + 13, &i, 4);  // transaction id
        if (::send(fd, request, sizeof request, MSG_NOSIGNAL) != ssize_t(sizeof request)) break;
        size_t got = 0;
        while (got < answer) {
            const size_t want = std::min(answer - got, buffer.size());
            ssize_t n = ::recv(fd, buffer.data(), want, 0);
            if (n <= 0) {
                ::close(fd);
                return false;
            }
            got += size_t(n);
        }
        benchmark::DoNotOptimize(buffer.data());
    }
    ::close(fd);
    return true;
}

void BM_LinkGetObject64MiB(benchmark::State& state) {
    for (auto _ : state)
        if (!receiveThroughLink()) state.SkipWithError("link exchange failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * kPhases * kPhase);
}
BENCHMARK(BM_LinkGetObject64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainRecv64MiB(benchmark::State& state) {
    for (auto _ : state)
        if (!receivePlain()) state.SkipWithError("plain exchange failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * kPhases * kPhase);
}
BENCHMARK(BM_PlainRecv64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

double seconds(bool (*run)()) {
    const auto start = std::chrono::steady_clock::now();
    if (!run()) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();

    // The figure: rounds of plain and link runs, interleaved; the best of each.
    double bestLink = 1e9, bestPlain = 1e9;
    for (int round = 0; round < 9; ++round) {
        const double p = seconds(receivePlain);
        const double l = seconds(receiveThroughLink);
        if (p < 0 || l < 0) {
            std::fprintf(stderr, "link_bench: an exchange failed\n");
            return 1;
        }
        bestPlain = std::min(bestPlain, p);
        bestLink = std::min(bestLink, l);
    }
    const double mib = double(kPhases) * kPhase / (1 << 20);
    std::printf("plain recv:   %.0f MiB/s\n", mib / bestPlain);
    std::printf("link + PTP:   %.0f MiB/s\n", mib / bestLink);
    std::printf("ratio link/plain: %.3f (target >= 0.85)\n", bestPlain / bestLink);
    benchmark::Shutdown();
    bench().device.stop();
    return 0;
}
