// Fujifilm: locating the preview JPEG of a RAF file (a 1.5 MB preview, measured to its end marker through its
// segments and scan data) against copying the preview's bytes into a new buffer in the same run. Rounds of each are
// interleaved and the best round of each counts, so that a busy machine affects both.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "devicesim/fuji_camera.h"
#include "devicesim/jpeg_factory.h"
#include "engine/link/heap_block.h"
#include "engine/vendors/fujifilm/fuji_raf.h"

namespace {

struct Files {
    std::vector<uint8_t> preview;
    std::vector<uint8_t> raf;
    Files() {
        devicesim::JpegRecipe recipe;
        recipe.width = 3000;
        recipe.height = 2000;
        recipe.size = 1536 * 1024;
        preview = devicesim::jpegImage(recipe)->bytes;
        raf = devicesim::makeRafFile(preview, "X-T3");
    }
};

Files& files() {
    static Files f;
    return f;
}

bool copyPreview() {
    HeapBlock b = HeapBlock::copyOf(files().preview);
    benchmark::DoNotOptimize(b.data());
    return static_cast<bool>(b);
}

bool locate() {
    uint64_t offset = 0, length = 0;
    bool found = fujiFindPreviewJpeg(files().raf.data(), files().raf.size(), &offset, &length);
    benchmark::DoNotOptimize(length);
    return found && length == files().preview.size();
}

void BM_CopyPreview(benchmark::State& s) {
    for (auto _ : s) copyPreview();
    s.SetBytesProcessed(int64_t(s.iterations()) * int64_t(files().preview.size()));
}
BENCHMARK(BM_CopyPreview)->Unit(benchmark::kMicrosecond);

void BM_LocateRafPreview(benchmark::State& s) {
    for (auto _ : s) locate();
    s.SetBytesProcessed(int64_t(s.iterations()) * int64_t(files().preview.size()));
}
BENCHMARK(BM_LocateRafPreview)->Unit(benchmark::kMicrosecond);

template <class F>
double seconds(int n, F fn) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        if (!fn()) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / n;
}

}  // namespace

int main(int argc, char** argv) {
    files();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();

    double copy = 1e9, find = 1e9;
    for (int round = 0; round < 15; ++round) {
        const double c = seconds(20, copyPreview);
        const double f = seconds(20, locate);
        if (c < 0 || f < 0) {
            std::fprintf(stderr, "fuji_bench: the preview was not found\n");
            return 1;
        }
        copy = std::min(copy, c);
        find = std::min(find, f);
    }
    std::printf("RAF preview (%zu bytes): copy %.1f us, locate %.1f us, ratio %.2f\n", files().preview.size(),
                copy * 1e6, find * 1e6, find / copy);
    benchmark::Shutdown();
    return 0;
}
