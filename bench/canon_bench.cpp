// Canon live view, each hot path against copying the same reply bytes into a new buffer in the same run:
//  - splitting a JPEG live-view reply (960 x 640 picture with its records) into header and image;
//  - turning a YUV live-view picture of 960 x 640 into a bitmap file, target within 4x of the copy.
// Rounds of each are interleaved and the best round of each counts, so that a busy machine affects both.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "devicesim/canon_frames.h"
#include "devicesim/jpeg_factory.h"
#include "engine/link/heap_block.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_bitmap.h"
#include "engine/vendors/canon/canon_live_view.h"

namespace {

constexpr uint32_t kWidth = 960, kHeight = 640;

struct Replies {
    std::vector<uint8_t> jpeg;
    std::vector<uint8_t> yuv;
    Replies() {
        devicesim::JpegRecipe recipe;
        recipe.width = int(kWidth);
        recipe.height = int(kHeight);
        recipe.size = 150 * 1024;
        devicesim::CanonLiveViewInfo info;
        info.zoom = 1;
        info.frameWidth = 6000;
        info.frameHeight = 4000;
        info.afFrames = {{100, 200, 300, 200, 1}, {2000, 1500, 300, 200, 0}};
        jpeg = devicesim::canonJpegLiveViewReply(devicesim::canonBareJpeg(devicesim::jpegImage(recipe)->bytes), info);
        yuv = devicesim::canonYuvLiveViewReply(kWidth, kHeight, 0, 1);
    }
};

Replies& replies() {
    static Replies r;
    return r;
}

bool copyOf(const std::vector<uint8_t>& bytes) {
    HeapBlock b = HeapBlock::copyOf(bytes);
    benchmark::DoNotOptimize(b.data());
    return static_cast<bool>(b);
}

bool split(const std::vector<uint8_t>& bytes) {
    HeapBlock frame;
    bool ok = canonSplitLiveViewFrame(bytes.data(), bytes.size(), &frame);
    benchmark::DoNotOptimize(frame.data());
    return ok;
}

bool decodeYuv() {
    HeapBlock bmp;
    size_t n = canonDecodeYuvFrame(replies().yuv.data(), replies().yuv.size(), &bmp);
    benchmark::DoNotOptimize(bmp.data());
    return n != 0;
}

void BM_CopyJpegReply(benchmark::State& s) {
    for (auto _ : s) copyOf(replies().jpeg);
    s.SetBytesProcessed(int64_t(s.iterations()) * int64_t(replies().jpeg.size()));
}
BENCHMARK(BM_CopyJpegReply)->Unit(benchmark::kMicrosecond);

void BM_SplitJpegFrame(benchmark::State& s) {
    for (auto _ : s) split(replies().jpeg);
    s.SetBytesProcessed(int64_t(s.iterations()) * int64_t(replies().jpeg.size()));
}
BENCHMARK(BM_SplitJpegFrame)->Unit(benchmark::kMicrosecond);

void BM_CopyYuvReply(benchmark::State& s) {
    for (auto _ : s) copyOf(replies().yuv);
    s.SetBytesProcessed(int64_t(s.iterations()) * int64_t(replies().yuv.size()));
}
BENCHMARK(BM_CopyYuvReply)->Unit(benchmark::kMicrosecond);

void BM_DecodeYuv960x640(benchmark::State& s) {
    for (auto _ : s) decodeYuv();
    s.SetBytesProcessed(int64_t(s.iterations()) * int64_t(replies().yuv.size()));
}
BENCHMARK(BM_DecodeYuv960x640)->Unit(benchmark::kMicrosecond);

// Seconds for `n` runs of fn, or -1 when one fails.
template <class F>
double seconds(int n, F fn) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        if (!fn()) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / n;
}

}  // namespace

int main(int argc, char** argv) {
    camSetModelIndex(0);
    replies();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();

    double copyJpeg = 1e9, splitJpeg = 1e9, copyYuv = 1e9, yuv = 1e9;
    for (int round = 0; round < 15; ++round) {
        const double cj = seconds(50, [] { return copyOf(replies().jpeg); });
        const double sj = seconds(50, [] { return split(replies().jpeg); });
        const double cy = seconds(20, [] { return copyOf(replies().yuv); });
        const double dy = seconds(20, decodeYuv);
        if (cj < 0 || sj < 0 || cy < 0 || dy < 0) {
            std::fprintf(stderr, "canon_bench: a frame did not convert\n");
            return 1;
        }
        copyJpeg = std::min(copyJpeg, cj);
        splitJpeg = std::min(splitJpeg, sj);
        copyYuv = std::min(copyYuv, cy);
        yuv = std::min(yuv, dy);
    }
    std::printf("live-view JPEG split (%zu bytes): copy %.1f us, split %.1f us, ratio %.2f\n", replies().jpeg.size(),
                copyJpeg * 1e6, splitJpeg * 1e6, splitJpeg / copyJpeg);
    std::printf("YUV 960x640 to bitmap (%zu bytes): copy %.1f us, conversion %.1f us, ratio %.2f (target <= 4)\n",
                replies().yuv.size(), copyYuv * 1e6, yuv * 1e6, yuv / copyYuv);
    benchmark::Shutdown();
    return 0;
}
