#pragma once
// What the soak watches of its own process: resident memory, open descriptors and threads (from /proc/self).
#include <cstdint>
#include <string>

namespace soak {

struct ProcessReadings {
    uint64_t residentBytes = 0;
    int descriptors = 0;
    int threads = 0;  // Qt's pooled workers and the dispatch pool's workers left out
    int poolWorkers = 0;  // the dispatch pool's workers
};

ProcessReadings readProcess();
// "123.4 MiB"
std::string mebibytes(uint64_t bytes);

}  // namespace soak
