// EXIF read of a 25 MB raw file held in memory, against copying the same bytes once into a new buffer in the same
// run. The reader hands the caller's bytes to Exiv2 as a memory stream (reads go straight to them) and the own TIFF
// reader works on the same pointer, so no copy of the whole file is made: the run checks this by recording the
// largest single allocation made during a read, which must stay far below the file's size.
// Rounds of each are interleaved and the best round of each counts, so that a busy machine affects both.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "devicesim/raw_factory.h"
#include "session/exif.h"

namespace {

std::atomic<bool> gWatching{false};
std::atomic<size_t> gLargest{0};

void note(size_t n) {
    if (!gWatching.load(std::memory_order_relaxed)) return;
    size_t seen = gLargest.load(std::memory_order_relaxed);
    while (n > seen && !gLargest.compare_exchange_weak(seen, n)) {
    }
}

constexpr uint32_t kRawSize = 25 * 1000 * 1000;

struct Files {
    std::vector<std::pair<const char*, std::pair<uint32_t, const std::vector<uint8_t>*>>> list;
    Files() {
        using devicesim::RawKind;
        using devicesim::Vendor;
        for (auto [name, vendor, kind, format] :
             {std::tuple{"CR2", Vendor::Canon, RawKind::Cr2, 0xB103u}, std::tuple{"NEF", Vendor::Nikon, RawKind::Nef, 0x3000u},
              std::tuple{"ARW", Vendor::Sony, RawKind::Arw, 0xB101u}, std::tuple{"CR3", Vendor::Canon, RawKind::Cr3, 0xB108u},
              std::tuple{"RAF", Vendor::Fuji, RawKind::Raf, 0xB111u}}) {
            devicesim::RawRecipe r = devicesim::vendorRawRecipe(vendor);
            r.kind = kind;
            r.size = kRawSize;
            list.push_back({name, {format, &devicesim::rawImage(r)->bytes}});
        }
    }
};

Files& files() {
    static Files f;
    return f;
}

bool readExif(const std::vector<uint8_t>& bytes, uint32_t format) {
    auto e = Exif::initWithData(bytes.data(), bytes.size(), format, 256000);
    benchmark::DoNotOptimize(e.get());
    return e != nullptr && e->focalLength() == 50;
}

bool copyOf(const std::vector<uint8_t>& bytes) {
    std::vector<uint8_t> copy(bytes);
    benchmark::DoNotOptimize(copy.data());
    return copy.size() == bytes.size();
}

void BM_CopyRaw25MB(benchmark::State& s) {
    const auto& bytes = *files().list[0].second.second;
    for (auto _ : s) copyOf(bytes);
    s.SetBytesProcessed(int64_t(s.iterations()) * int64_t(bytes.size()));
}
BENCHMARK(BM_CopyRaw25MB)->Unit(benchmark::kMicrosecond);

void BM_ExifOfRaw25MB(benchmark::State& s) {
    const auto& [name, file] = files().list[size_t(s.range(0))];
    s.SetLabel(name);
    for (auto _ : s)
        if (!readExif(*file.second, file.first)) s.SkipWithError("no EXIF");
}
BENCHMARK(BM_ExifOfRaw25MB)->DenseRange(0, 4)->Unit(benchmark::kMicrosecond);

template <class F>
double seconds(int n, F fn) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < n; ++i)
        if (!fn()) return -1;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / n;
}

}  // namespace

void* operator new(size_t n) {
    note(n);
    if (void* p = std::malloc(n ? n : 1)) return p;
    throw std::bad_alloc();
}
void* operator new[](size_t n) { return operator new(n); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }
void operator delete[](void* p, size_t) noexcept { std::free(p); }

int main(int argc, char** argv) {
    files();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();

    const auto& list = files().list;
    double copy = 1e9;
    std::vector<double> best(list.size(), 1e9);
    for (int round = 0; round < 10; ++round) {
        copy = std::min(copy, seconds(3, [&] { return copyOf(*list[0].second.second); }));
        for (size_t i = 0; i < list.size(); ++i) {
            const double t = seconds(20, [&] { return readExif(*list[i].second.second, list[i].second.first); });
            if (t < 0) {
                std::fprintf(stderr, "exif_bench: %s gave no EXIF\n", list[i].first);
                return 1;
            }
            best[i] = std::min(best[i], t);
        }
    }
    std::printf("copy of a %u-byte raw file: %.1f us\n", kRawSize, copy * 1e6);
    int failures = 0;
    for (size_t i = 0; i < list.size(); ++i) {
        gLargest = 0;
        gWatching = true;
        readExif(*list[i].second.second, list[i].second.first);
        gWatching = false;
        const size_t largest = gLargest.load();
        const bool copied = largest >= list[i].second.second->size() / 2;
        failures += copied;
        std::printf("EXIF of %s (%zu bytes in memory): %.1f us per file, ratio to the copy %.4f, largest allocation %zu bytes%s\n",
                    list[i].first, list[i].second.second->size(), best[i] * 1e6, best[i] / copy, largest,
                    copied ? "  <-- the file was copied" : "");
    }
    benchmark::Shutdown();
    return failures == 0 ? 0 : 1;
}
