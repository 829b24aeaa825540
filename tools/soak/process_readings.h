#pragma once
// What the soak watches of its own process: resident memory, open descriptors and threads (from /proc/self).
#include <cstdint>
#include <string>

namespace soak {

struct ProcessReadings {
    uint64_t residentBytes = 0;
    int descriptors = 0;
    int threads = 0;  // Qt's pooled workers left out
};

ProcessReadings readProcess();
// "123.4 MiB"
std::string mebibytes(uint64_t bytes);

}  // namespace soak
