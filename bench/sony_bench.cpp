// Sony hot paths, each against copying the same bytes into a new buffer in the same run:
//  - loading an all-properties reply of 200 descriptors into the store (every row of the property table found and
//    parsed, the rest walked past), into an empty store as session open does and again as a re-read does, each
//    reported as a ratio to the copy;
//  - locating the JPEG of a live-view object: the frame is only read (it is shared by every observer), so the find
//    alone is set against a copy of the frame; target <= 1.5. Also reported: the same find over a frame of the same
//    size whose JPEG starts in its last four bytes, so that every byte is looked at.
// Rounds of each are interleaved and the best round of each counts, so that a busy machine affects both.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <optional>
#include <vector>

#include "bench/baseline_client.h"
#include "devicesim/sony_camera.h"
#include "engine/link/heap_block.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/sony/sony_descriptors.h"
#include "engine/vendors/sony/sony_live_view.h"
#include "engine/vendors/sony/sony_models.h"
#include "engine/vendors/sony/sony_module.h"
#include "engine/vendors/sony/sony_property_table.h"

namespace {

void put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(uint8_t(v));
    b.push_back(uint8_t(v >> 8));
}

// 200 descriptors: every row of the property table, then codes the table does not name; 16-bit values with lists
// of 8 to 40 entries, a few ranges.
std::vector<uint8_t> makeBlock() {
    std::vector<uint16_t> codes;
    const PropertyNameStruct* rows = sonyPropertyNames();
    for (size_t i = 1; i < sonyPropertyNameCount(); ++i) codes.push_back(uint16_t(rows[i].code));
    for (uint16_t c = 0xD100; codes.size() < 200; ++c) codes.push_back(c);
    std::vector<uint8_t> b;
    for (size_t i = 0; i < codes.size(); ++i) {
        put16(b, codes[i]);
        put16(b, 4);
        b.push_back(0);
        b.push_back(1);
        put16(b, 1);
        put16(b, 1);
        if (i % 10 == 9) {
            b.push_back(1);
            put16(b, 0);
            put16(b, 100);
            put16(b, 1);
            continue;
        }
        b.push_back(2);
        const uint16_t n = uint16_t(8 + i % 33);
        put16(b, n);
        for (uint16_t v = 1; v <= n; ++v) put16(b, v);
    }
    return b;
}

struct Inputs {
    std::vector<uint8_t> block;
    std::vector<uint8_t> frame;
    std::vector<uint8_t> lateFrame;  // the JPEG's start in the last four bytes, the rest the camera's frame
    Inputs() {
        sonyRegisterModule();
        camSetVendor(VENDOR_SONY);
        propSetNameTable(sonyPropertyNames(), kSonyPropertySentinel);
        sonyIdentifyModelText("ILCE-7M3");
        block = makeBlock();
        devicesim::SonyCamera camera;
        devicesim::PtpOperation op;
        op.code = 0x1009;
        op.params = {devicesim::SonyCamera::kLiveViewHandle};
        frame = *camera.handleOperation(op).dataIn;
        // The frame with its JPEG start bytes spoiled, then a start at its very end.
        lateFrame = frame;
        for (size_t i = 0; i + 4 <= lateFrame.size(); ++i)
            if (lateFrame[i] == 0xFF && lateFrame[i + 1] == 0xD8 && lateFrame[i + 2] == 0xFF && lateFrame[i + 3] == 0xDB)
                lateFrame[i + 3] = 0xDC;
        const uint8_t start[] = {0xFF, 0xD8, 0xFF, 0xDB};
        std::copy(std::begin(start), std::end(start), lateFrame.end() - 4);
    }
};

Inputs& inputs() {
    static Inputs i;
    return i;
}

bool copyOf(const std::vector<uint8_t>& bytes) {
    HeapBlock b = HeapBlock::copyOf(bytes.data(), bytes.size());
    benchmark::DoNotOptimize(b.data());
    return b.size() == bytes.size();
}

// The changes it queues are taken off as the event pump would.
bool load() {
    bool ok = sonyParseAllProperties(inputs().block.data(), inputs().block.size()) == PTP_RC_OK;
    camClearEvents();
    return ok;
}
// Session open's load: into an empty store, every record and list made anew.
bool loadFresh() {
    propStoreClear();
    return load();
}

bool find(const std::vector<uint8_t>& frame) {
    std::optional<SonyJpegRange> jpeg = sonyLiveViewFindJpeg(frame.data(), frame.size());
    benchmark::DoNotOptimize(jpeg);
    return jpeg.has_value();
}
bool findJpeg() { return find(inputs().frame); }
bool findLateJpeg() { return find(inputs().lateFrame); }

void BM_CopyBlock(benchmark::State& s) {
    for (auto _ : s) copyOf(inputs().block);
}
BENCHMARK(BM_CopyBlock)->Unit(benchmark::kMicrosecond);

void BM_LoadBlock200(benchmark::State& s) {
    for (auto _ : s) load();
}
BENCHMARK(BM_LoadBlock200)->Unit(benchmark::kMicrosecond);

void BM_CopyFrame(benchmark::State& s) {
    for (auto _ : s) copyOf(inputs().frame);
}
BENCHMARK(BM_CopyFrame)->Unit(benchmark::kMicrosecond);

void BM_FindJpeg(benchmark::State& s) {
    for (auto _ : s) findJpeg();
}
BENCHMARK(BM_FindJpeg)->Unit(benchmark::kMicrosecond);

void BM_FindLateJpeg(benchmark::State& s) {
    for (auto _ : s) findLateJpeg();
}
BENCHMARK(BM_FindLateJpeg)->Unit(benchmark::kMicrosecond);

// Seconds for one of `n` runs of fn, or -1 when one fails.
template <class F>
double secondsEach(int n, F fn) {
    double total = baseline::seconds([&] {
        for (int i = 0; i < n; ++i)
            if (!fn()) return false;
        return true;
    });
    return total < 0 ? -1 : total / n;
}

}  // namespace

int main(int argc, char** argv) {
    inputs();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();

    double copyBlock = 1e9, loadBlock = 1e9, freshBlock = 1e9, copyFrame = 1e9, found = 1e9, late = 1e9;
    for (int round = 0; round < 15; ++round) {
        const double cb = secondsEach(200, [] { return copyOf(inputs().block); });
        const double lb = secondsEach(50, load);
        const double fb = secondsEach(50, loadFresh);
        const double cf = secondsEach(200, [] { return copyOf(inputs().frame); });
        const double ff = secondsEach(200, findJpeg);
        const double fl = secondsEach(200, findLateJpeg);
        if (cb < 0 || lb < 0 || fb < 0 || cf < 0 || ff < 0 || fl < 0) {
            std::fprintf(stderr, "sony_bench: a block did not load or a frame held no JPEG\n");
            return 1;
        }
        copyBlock = std::min(copyBlock, cb);
        loadBlock = std::min(loadBlock, lb);
        freshBlock = std::min(freshBlock, fb);
        copyFrame = std::min(copyFrame, cf);
        found = std::min(found, ff);
        late = std::min(late, fl);
    }
    std::printf("all-properties reply of 200 descriptors (%zu bytes): copy %.2f us; load into an empty store %.2f us, "
                "ratio %.1f; load again (the re-read of everything) %.2f us, ratio %.1f\n",
                inputs().block.size(), copyBlock * 1e6, freshBlock * 1e6, freshBlock / copyBlock, loadBlock * 1e6,
                loadBlock / copyBlock);
    std::printf("live-view JPEG find (%zu bytes, frame untouched): copy %.2f us, find %.3f us, ratio %.3f "
                "(target <= 1.5); start in the last four bytes: find %.2f us, ratio %.2f\n",
                inputs().frame.size(), copyFrame * 1e6, found * 1e6, found / copyFrame, late * 1e6, late / copyFrame);
    benchmark::Shutdown();
    return 0;
}
