// Image downloads through the engine from the stand-in device, each against a plain socket client that sends the
// same requests to the same device and reads the same bytes with recv() into one buffer, in the same run:
//  - GetObject of a 4.9 MB object (the largest sent in one transaction): ptpGetObject, target ratio >= 0.85;
//  - a 64 MiB object through linkDownloadObject (ranged 0x41 reads of 2 MiB), target ratio >= 0.7;
//  - the peak memory of that download (resident-set high-water mark, reset before the download), target no more
//    than the object's size + 16 MiB.
// Ratios are throughput, engine / plain; plain and engine rounds are interleaved and the best round of each counts,
// so that a busy machine affects both.
#include <malloc.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/baseline_client.h"
#include "devicesim/device.h"
#include "devicesim/device_commands.h"
#include "devicesim/generic_camera.h"
#include "engine/link/device_commands.h"
#include "engine/link/link.h"
#include "engine/ptp/container.h"
#include "engine/ptp/standard_operations.h"
#include "engine/ptp/transaction.h"

namespace {

constexpr uint32_t kSingleObject = 4900000;
constexpr uint32_t kLargeObject = 64u << 20;

struct Bench {
    devicesim::Device device;
    devicesim::DeviceCommandSet commands;
    std::shared_ptr<devicesim::GenericCamera> camera = std::make_shared<devicesim::GenericCamera>();
    uint32_t single = 0;
    uint32_t large = 0;
    PtpObjectInfoStruct largeRecord{};
    std::vector<uint8_t> plainBuffer;

    Bench() {
        single = camera->addJpegObject(kSingleObject);
        large = camera->addJpegObject(kLargeObject);
        largeRecord.objectId = large;
        largeRecord.objectCompressedSize = kLargeObject;
        device.setCamera(camera);
        commands.install(device);
        device.start(0);
        plainBuffer.resize(kLargeObject + 64);
    }
};

Bench& bench() {
    static Bench b;
    return b;
}

// --- engine side ---
bool connectEngine() {
    if (linkConnect("127.0.0.1", bench().device.port()) < 0) return false;
    ptpSetTransport(linkPtpSend, linkPtpReceive);
    ptpSetLinkHook(linkLockHook);
    static bool opened = false;
    if (!opened) {
        DeviceInfoRecord info;
        if (ptpGetDeviceInfo(&info) != PTP_RC_OK || ptpTransaction(PTP_OC_OpenSession, {1}) != PTP_RC_OK)
            return false;
        opened = true;
    }
    return true;
}

bool engineGetObject(int times) {
    if (!connectEngine()) return false;
    bool ok = true;
    for (int i = 0; i < times && ok; ++i) {
        HeapBlock data;
        ok = ptpGetObject(bench().single, &data) == PTP_RC_OK && data.size() == kSingleObject;
        benchmark::DoNotOptimize(data.data());
    }
    linkDisconnect();
    return ok;
}

bool engineDownloadLarge() {
    if (!connectEngine()) return false;
    HeapBlock data;
    uint64_t length = 0;
    bool ok = linkDownloadObject(bench().largeRecord, &data, &length, 0) == PTP_RC_OK && length == kLargeObject &&
              data.size() == kLargeObject;
    benchmark::DoNotOptimize(data.data());
    linkDisconnect();
    return ok;
}

// --- plain socket side ---
using baseline::put32;
using baseline::recvAll;

bool plainGetObject(int times, bool ownBuffer) {
    const int fd = baseline::connectLoopback(bench().device.port());
    if (fd < 0) return false;
    const size_t answer = baseline::getObjectAnswerSize(kSingleObject);
    bool ok = true;
    for (int i = 0; i < times && ok; ++i) {
        std::unique_ptr<uint8_t[]> own(ownBuffer ? new uint8_t[answer] : nullptr);
        uint8_t* buffer = ownBuffer ? own.get() : bench().plainBuffer.data();
        const auto request = baseline::getObjectRequest(bench().single, 1000u + uint32_t(i));
        ok = baseline::sendAll(fd, request.data(), request.size()) && recvAll(fd, buffer, answer);
        benchmark::DoNotOptimize(buffer);
    }
    ::close(fd);
    return ok;
}

// The object is received into a buffer of its own (as every download must deliver one), or, for comparison, into
// one buffer reused from download to download.
bool plainDownloadLarge(bool ownBuffer) {
    const int fd = baseline::connectLoopback(bench().device.port());
    if (fd < 0) return false;
    std::unique_ptr<uint8_t[]> own(ownBuffer ? new uint8_t[kLargeObject] : nullptr);
    uint8_t* buffer = ownBuffer ? own.get() : bench().plainBuffer.data();
    uint8_t request[22] = {22, 0, 0, 0, 0x0C, 17, 0, 0, 0, 0x41};
    put32(request + 10, bench().large);
    bool ok = true;
    for (uint32_t offset = 0; offset < kLargeObject && ok; offset += kObjectRange) {
        const uint32_t count = std::min(kObjectRange, kLargeObject - offset);
        put32(request + 14, offset);
        put32(request + 18, count);
        uint8_t head[12];
        ok = baseline::sendAll(fd, request, sizeof request) && recvAll(fd, head, 12) &&
             head[4] == 0x0D && recvAll(fd, buffer + offset, count);
    }
    benchmark::DoNotOptimize(buffer);
    ::close(fd);
    return ok;
}

void BM_EngineGetObject4_9MB(benchmark::State& state) {
    for (auto _ : state)
        if (!engineGetObject(4)) state.SkipWithError("engine GetObject failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * 4 * kSingleObject);
}
BENCHMARK(BM_EngineGetObject4_9MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainGetObject4_9MB(benchmark::State& state) {
    for (auto _ : state)
        if (!plainGetObject(4, true)) state.SkipWithError("plain GetObject failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * 4 * kSingleObject);
}
BENCHMARK(BM_PlainGetObject4_9MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_EngineDownload64MiB(benchmark::State& state) {
    for (auto _ : state)
        if (!engineDownloadLarge()) state.SkipWithError("engine download failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * kLargeObject);
}
BENCHMARK(BM_EngineDownload64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainDownload64MiB(benchmark::State& state) {
    for (auto _ : state)
        if (!plainDownloadLarge(true)) state.SkipWithError("plain download failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * kLargeObject);
}
BENCHMARK(BM_PlainDownload64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

using baseline::seconds;

long statusKiB(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    return -1;
}

// The resident-set growth of one 64 MiB download: the high-water mark is reset just before it.
long downloadPeakGrowthKiB() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    const long before = statusKiB("VmRSS:");
    if (!engineDownloadLarge()) return -1;
    const long peak = statusKiB("VmHWM:");
    return before < 0 || peak < 0 ? -1 : peak - before;
}

}  // namespace

int main(int argc, char** argv) {
    bench();  // objects generated before anything is measured
    // The memory figure first, before the benchmarks leave freed memory around.
    const long growth = downloadPeakGrowthKiB();

    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();

    // Best round of each: plain into a buffer of its own per object, plain into one reused buffer, engine.
    double plainSingle = 1e9, reusedSingle = 1e9, engineSingle = 1e9;
    double plainLarge = 1e9, reusedLarge = 1e9, engineLarge = 1e9;
    for (int round = 0; round < 9; ++round) {
        const double ps = seconds([] { return plainGetObject(4, true); });
        const double rs = seconds([] { return plainGetObject(4, false); });
        const double es = seconds([] { return engineGetObject(4); });
        const double pl = seconds([] { return plainDownloadLarge(true); });
        const double rl = seconds([] { return plainDownloadLarge(false); });
        const double el = seconds(engineDownloadLarge);
        if (ps < 0 || rs < 0 || es < 0 || pl < 0 || rl < 0 || el < 0) {
            std::fprintf(stderr, "ptp_bench: an exchange failed\n");
            return 1;
        }
        plainSingle = std::min(plainSingle, ps);
        reusedSingle = std::min(reusedSingle, rs);
        engineSingle = std::min(engineSingle, es);
        plainLarge = std::min(plainLarge, pl);
        reusedLarge = std::min(reusedLarge, rl);
        engineLarge = std::min(engineLarge, el);
    }
    const double mb = 4.0 * kSingleObject / (1 << 20), mib = double(kLargeObject) / (1 << 20);
    std::printf("GetObject 4.9 MB:   plain %.0f MiB/s, engine %.0f MiB/s, ratio %.3f (target >= 0.85); "
                "against a reused buffer %.3f\n",
                mb / plainSingle, mb / engineSingle, plainSingle / engineSingle, reusedSingle / engineSingle);
    std::printf("64 MiB in ranges:   plain %.0f MiB/s, engine %.0f MiB/s, ratio %.3f (target >= 0.70); "
                "against a reused buffer %.3f\n",
                mib / plainLarge, mib / engineLarge, plainLarge / engineLarge, reusedLarge / engineLarge);
    if (growth >= 0)
        std::printf("peak memory of the 64 MiB download: +%.1f MiB (target <= %.0f MiB)\n", growth / 1024.0,
                    mib + 16);
    else
        std::printf("peak memory of the 64 MiB download: not measurable here\n");
    benchmark::Shutdown();
    bench().device.stop();
    return 0;
}
