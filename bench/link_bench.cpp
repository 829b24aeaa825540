// Receiving images: 64 MiB as PTP data phases of 4 MiB each (GetObject), through the link and container layers
// from the stand-in device, against a plain recv() loop that sends the same requests to the same device and reads
// the same bytes into one reused buffer. Reported as a throughput ratio, link / plain, measured in the same run
// with the two interleaved round by round (the best round of each counts) so that a busy machine affects both.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/baseline_client.h"
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
    static std::vector<uint8_t> buffer(baseline::getObjectAnswerSize(kPhase));
    const int fd = baseline::connectLoopback(bench().device.port());
    if (fd < 0) return false;
    bool ok = true;
    for (int i = 0; i < kPhases && ok; ++i) {
        const auto request = baseline::getObjectRequest(1, uint32_t(i));
        ok = baseline::sendAll(fd, request.data(), request.size()) &&
             baseline::recvAll(fd, buffer.data(), buffer.size());
        benchmark::DoNotOptimize(buffer.data());
    }
    ::close(fd);
    return ok;
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

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();

    // The figure: rounds of plain and link runs, interleaved; the best of each.
    double bestLink = 1e9, bestPlain = 1e9;
    for (int round = 0; round < 9; ++round) {
        const double p = baseline::seconds(receivePlain);
        const double l = baseline::seconds(receiveThroughLink);
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
