// Saving a movie: 64 MiB from the stand-in device into a folder in 2 MiB chunks (read through the link, written to
// a partial file that is renamed when complete), against a plain client that sends the same chunk requests to the
// same device over a loopback socket, reads the answers with recv() into one buffer and write()s them to a file.
// Reported as a throughput ratio, download / plain, with the two interleaved round by round (the best round of
// each counts), and the download's peak growth of the resident set against its limit of two chunks + 16 MiB.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "bench/baseline_client.h"
#include "devicesim/device.h"
#include "devicesim/device_commands.h"
#include "devicesim/generic_camera.h"
#include "devicesim/movie_objects.h"
#include "engine/link/link.h"
#include "engine/ptp/standard_operations.h"
#include "session/movie_download.h"

namespace {

constexpr uint32_t kMovieSize = 64u << 20;

struct Bench {
    devicesim::Device device;
    devicesim::DeviceCommandSet commands;
    std::shared_ptr<devicesim::GenericCamera> camera = std::make_shared<devicesim::GenericCamera>();
    PtpObjectInfoStruct record{};
    std::string folder;

    Bench() {
        device.setCamera(camera);
        commands.install(device);
        device.start(0);
        record.objectId = camera->addObject(devicesim::movieObject(kMovieSize, "MVI_BENCH.MOV"));
        record.objectFormat = devicesim::kMovieObjectFormat;
        record.objectCompressedSize = kMovieSize;
        std::snprintf(record.fileName, sizeof record.fileName, "MVI_BENCH.MOV");
        char tmpl[] = "/tmp/vx_movie_bench_XXXXXX";
        folder = ::mkdtemp(tmpl) ? tmpl : "/tmp";
    }
    ~Bench() {
        device.stop();
        std::error_code ec;
        std::filesystem::remove_all(folder, ec);
    }
};

Bench& bench() {
    static Bench b;
    return b;
}

bool downloadThroughLink() {
    if (linkConnect("127.0.0.1", bench().device.port()) < 0) return false;
    const MovieDownloadResult result = downloadMovieToFolder(bench().record, bench().folder, {});
    linkDisconnect();
    return result.outcome == MovieDownloadOutcome::Saved;
}

// The same chunk requests by hand: a command packet 0x41 (handle, offset, count); the answer is a response packet
// of 12 bytes of header followed by the chunk.
bool downloadPlain() {
    static std::vector<uint8_t> buffer(12 + kMovieChunkSize);
    const int fd = baseline::connectLoopback(bench().device.port());
    if (fd < 0) return false;
    const std::string path = bench().folder + "/plain.MOV";
    const int out = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    bool ok = out >= 0;
    for (uint32_t offset = 0; ok && offset < kMovieSize; offset += kMovieChunkSize) {
        const uint32_t count = std::min(kMovieChunkSize, kMovieSize - offset);
        uint8_t request[22] = {22, 0, 0, 0, 0x0C, 17, 0, 0, 0, 0x41};
        baseline::put32(request + 10, bench().record.objectId);
        baseline::put32(request + 14, offset);
        baseline::put32(request + 18, count);
        ok = baseline::sendAll(fd, request, sizeof request) && baseline::recvAll(fd, buffer.data(), 12 + count) &&
             ::write(out, buffer.data() + 12, count) == ssize_t(count);
    }
    if (out >= 0) ::close(out);
    ::close(fd);
    return ok;
}

long residentBytes() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0, resident = 0;
    statm >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

// The largest growth of the resident set over its level before the run, sampled every millisecond.
long peakGrowthDuring(bool (*run)()) {
    const long before = residentBytes();
    std::atomic<bool> done{false};
    std::atomic<long> peak{before};
    std::thread sampler([&] {
        while (!done) {
            peak = std::max(peak.load(), residentBytes());
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    });
    const bool ok = run();
    done = true;
    sampler.join();
    return ok ? peak.load() - before : -1;
}

void BM_MovieDownload64MiB(benchmark::State& state) {
    for (auto _ : state)
        if (!downloadThroughLink()) state.SkipWithError("download failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * kMovieSize);
}
BENCHMARK(BM_MovieDownload64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_PlainReadWrite64MiB(benchmark::State& state) {
    for (auto _ : state)
        if (!downloadPlain()) state.SkipWithError("plain exchange failed");
    state.SetBytesProcessed(int64_t(state.iterations()) * kMovieSize);
}
BENCHMARK(BM_PlainReadWrite64MiB)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();

    double bestLink = 1e9, bestPlain = 1e9;
    long peak = 0;
    for (int round = 0; round < 7; ++round) {
        const double p = baseline::seconds(downloadPlain);
        const auto start = std::chrono::steady_clock::now();
        const long growth = peakGrowthDuring(downloadThroughLink);
        const double l = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (p < 0 || growth < 0) {
            std::fprintf(stderr, "movie_download_bench: an exchange failed\n");
            return 1;
        }
        bestPlain = std::min(bestPlain, p);
        bestLink = std::min(bestLink, l);
        peak = std::max(peak, growth);
    }
    const double mib = double(kMovieSize) / (1 << 20);
    std::printf("plain read + write:  %.0f MiB/s\n", mib / bestPlain);
    std::printf("movie download:      %.0f MiB/s\n", mib / bestLink);
    std::printf("ratio download/plain: %.3f (target >= 0.8)\n", bestPlain / bestLink);
    std::printf("peak resident growth during a download: %.1f MiB (limit %.1f MiB: 2 chunks + 16 MiB; includes the "
                "in-process device's answer buffers)\n",
                double(peak) / (1 << 20), (2.0 * kMovieChunkSize + (16 << 20)) / (1 << 20));
    benchmark::Shutdown();
    return 0;
}
