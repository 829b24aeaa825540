#include "tools/soak/process_readings.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/foundation/dispatch.h"

namespace soak {
namespace {

int entriesIn(const char* folder) {
    std::error_code ec;
    int n = 0;
    for (auto it = std::filesystem::directory_iterator(folder, ec); !ec && it != std::filesystem::directory_iterator();
         it.increment(ec))
        ++n;
    return n;
}

// Descriptors of files being written at this moment: the object cache writes each picture, thumbnail and record
// under a temporary name (".vxtmp.") and renames it when synced, from several threads at once. They are gone a
// moment later, so a reading that met three of them says nothing of a leak. One left open for good shows under
// the file's own name once renamed, or as deleted when its write failed, and still counts.
int filesBeingWritten() {
    std::error_code ec;
    int n = 0;
    for (auto it = std::filesystem::directory_iterator("/proc/self/fd", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::error_code linkError;
        const std::string target = std::filesystem::read_symlink(it->path(), linkError).string();
        if (linkError) continue;
        const size_t slash = target.rfind('/');
        const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
        const std::string deleted = " (deleted)";
        const bool gone = name.size() >= deleted.size() &&
                          name.compare(name.size() - deleted.size(), deleted.size(), deleted) == 0;
        if (name.rfind(".vxtmp.", 0) == 0 && !gone) ++n;
    }
    return n;
}

}  // namespace

ProcessReadings readProcess() {
    ProcessReadings r;
    std::ifstream statm("/proc/self/statm");
    uint64_t size = 0, resident = 0;
    if (statm >> size >> resident) r.residentBytes = resident * uint64_t(::sysconf(_SC_PAGESIZE));
    // The directory iterator's own descriptor is counted too; it is there at every reading alike.
    r.descriptors = entriesIn("/proc/self/fd") - filesBeingWritten();
    // Qt's own thread pool keeps a worker for half a minute after its last job (the image work of an alert's
    // shadow, say): those come and go by themselves and are not counted, nor is the descriptor each holds (its
    // event dispatcher's wake-up descriptor).
    int pooled = 0;
    std::error_code ec;
    for (auto it = std::filesystem::directory_iterator("/proc/self/task", ec);
         !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
        std::ifstream comm(it->path() / "comm");
        std::string name;
        std::getline(comm, name);
        if (name != "Thread (pooled)") ++r.threads;
        else ++pooled;
    }
    r.descriptors -= pooled;
    // The dispatch pool, likewise, adds a worker whenever every worker waits on the device and lets an idle one go
    // only after some seconds: its size follows the load. Its workers hold no descriptor.
    r.poolWorkers = platform::globalQueueWorkerCount();
    r.threads -= r.poolWorkers;
    return r;
}

std::string mebibytes(uint64_t bytes) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f MiB", double(bytes) / (1024.0 * 1024.0));
    return text;
}

}  // namespace soak
