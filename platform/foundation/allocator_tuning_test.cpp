// The allocator settings of the application's start: freed large blocks stay in the process, but in a bounded
// number of arenas, so that what each arena keeps does not add up with every thread that ever allocated.
#include "platform/foundation/allocator_tuning.h"

#include <gtest/gtest.h>
#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

// The allocator's arenas, as malloc_info reports them (one <heap nr=...> element per arena).
int arenas() {
    char* text = nullptr;
    size_t size = 0;
    FILE* out = open_memstream(&text, &size);
    if (!out) return -1;
    malloc_info(0, out);
    std::fclose(out);
    const std::string xml(text, size);
    std::free(text);
    int n = 0;
    for (size_t at = xml.find("<heap nr="); at != std::string::npos; at = xml.find("<heap nr=", at + 1)) ++n;
    return n;
}

TEST(AllocatorTuning, ThreadsThatAllocateTogetherShareABoundedNumberOfArenas) {
#if defined(__GLIBC__)
    // In a process of its own: arenas that other tests' threads made would hide the count.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            platform::keepLargeAllocationsInProcess();
            // Sixteen threads alive at once, each allocating and freeing blocks of a downloaded picture's size:
            // without a bound each gets an arena of its own, each keeping its freed blocks.
            std::atomic<int> ready{0};
            std::atomic<bool> go{false};
            std::vector<std::thread> threads;
            for (int i = 0; i < 16; ++i)
                threads.emplace_back([&] {
                    ++ready;
                    while (!go) std::this_thread::yield();
                    for (int k = 0; k < 20; ++k) {
                        void* p = std::malloc(size_t(256 + k) * 1024);
                        static_cast<volatile char*>(p)[0] = 1;
                        std::free(p);
                    }
                    ++ready;
                    while (ready < 32) std::this_thread::yield();  // all alive until all have allocated
                });
            while (ready < 16) std::this_thread::yield();
            go = true;
            for (auto& t : threads) t.join();
            const int n = arenas();
            std::fprintf(stderr, "arenas %d\n", n);
            std::exit(n >= 1 && n <= platform::kAllocatorArenas ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "arenas");
#else
    GTEST_SKIP() << "glibc only";
#endif
}

}  // namespace
