// Nikon live view: splitting a frame reply into the 388-byte header and the JPEG, against copying the same reply
// bytes into a new buffer in the same run (target: a ratio of at most 1.5), for the length-prefixed form and the
// extended 0x9428 form. Rounds are interleaved and the best round of each counts, so that a busy machine affects
// both alike.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "devicesim/jpeg_factory.h"
#include "devicesim/nikon_frames.h"
#include "engine/link/heap_block.h"
#include "engine/vendors/nikon/nikon_live_view.h"

namespace {

struct Replies {
    std::vector<uint8_t> prefixed;
    std::vector<uint8_t> extended;
    Replies() {
        devicesim::JpegRecipe recipe;
        recipe.width = 1024;
        recipe.height = 680;
        recipe.size = 150 * 1024;
        devicesim::NikonFrameFields f;
        f.frameWidth = 6048;
        f.frameHeight = 4024;
        const std::vector<uint8_t>& jpeg = devicesim::jpegImage(recipe)->bytes;
        prefixed = devicesim::nikonFrameReply(devicesim::NikonFrameForm::LengthPrefixed, f, jpeg);
        extended = devicesim::nikonFrameReply(devicesim::NikonFrameForm::Extended, f, jpeg);
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

bool split(uint8_t model, bool extendedForm, const std::vector<uint8_t>& bytes) {
    HeapBlock frame;
    ResponseCode rc = nikonConvertLiveViewFrame(model, extendedForm, bytes.data(), bytes.size(), &frame);
    benchmark::DoNotOptimize(frame.data());
    return rc == PTP_RC_OK;
}

void BM_CopyReply(benchmark::State& s) {
    for (auto _ : s) copyOf(replies().prefixed);
    s.SetBytesProcessed(int64_t(s.iterations()) * int64_t(replies().prefixed.size()));
}
BENCHMARK(BM_CopyReply)->Unit(benchmark::kMicrosecond);

void BM_SplitPrefixedFrame(benchmark::State& s) {
    for (auto _ : s) split(219, false, replies().prefixed);
    s.SetBytesProcessed(int64_t(s.iterations()) * int64_t(replies().prefixed.size()));
}
BENCHMARK(BM_SplitPrefixedFrame)->Unit(benchmark::kMicrosecond);

void BM_SplitExtendedFrame(benchmark::State& s) {
    for (auto _ : s) split(220, true, replies().extended);
    s.SetBytesProcessed(int64_t(s.iterations()) * int64_t(replies().extended.size()));
}
BENCHMARK(BM_SplitExtendedFrame)->Unit(benchmark::kMicrosecond);

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
    replies();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();

    double copyPrefixed = 1e9, splitPrefixed = 1e9, copyExtended = 1e9, splitExtended = 1e9;
    for (int round = 0; round < 15; ++round) {
        const double cp = seconds(50, [] { return copyOf(replies().prefixed); });
        const double sp = seconds(50, [] { return split(219, false, replies().prefixed); });
        const double ce = seconds(50, [] { return copyOf(replies().extended); });
        const double se = seconds(50, [] { return split(220, true, replies().extended); });
        if (cp < 0 || sp < 0 || ce < 0 || se < 0) {
            std::fprintf(stderr, "nikon_bench: a frame did not convert\n");
            return 1;
        }
        copyPrefixed = std::min(copyPrefixed, cp);
        splitPrefixed = std::min(splitPrefixed, sp);
        copyExtended = std::min(copyExtended, ce);
        splitExtended = std::min(splitExtended, se);
    }
    std::printf("live-view split, length-prefixed (%zu bytes): copy %.1f us, split %.1f us, ratio %.2f (target <= 1.5)\n",
                replies().prefixed.size(), copyPrefixed * 1e6, splitPrefixed * 1e6, splitPrefixed / copyPrefixed);
    std::printf("live-view split, extended (%zu bytes): copy %.1f us, split %.1f us, ratio %.2f (target <= 1.5)\n",
                replies().extended.size(), copyExtended * 1e6, splitExtended * 1e6, splitExtended / copyExtended);
    benchmark::Shutdown();
    return 0;
}
