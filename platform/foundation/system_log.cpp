#include "platform/foundation/system_log.h"

#include <syslog.h>

#include <cstdarg>
#include <cstdio>
#include <mutex>

namespace platform {
namespace {

std::mutex& sinkMutex() {
    static std::mutex* m = new std::mutex;
    return *m;
}

std::function<void(LogLevel, const std::string&)>& sink() {
    static auto* s = new std::function<void(LogLevel, const std::string&)>;
    return *s;
}

int priorityOf(LogLevel level) {
    switch (level) {
        case LogLevel::Error: return LOG_ERR;
        case LogLevel::Warning: return LOG_WARNING;
        case LogLevel::Notice: return LOG_NOTICE;
        case LogLevel::Info: return LOG_INFO;
        case LogLevel::Debug: return LOG_DEBUG;
    }
    return LOG_NOTICE;
}

}  // namespace

void systemLog(const std::string& line, LogLevel level) {
    static std::once_flag opened;
    std::call_once(opened, [] { openlog("vorlaxent", LOG_PID, LOG_USER); });
    syslog(priorityOf(level), "%s", line.c_str());
    std::function<void(LogLevel, const std::string&)> watcher;
    {
        std::lock_guard lock(sinkMutex());
        watcher = sink();
    }
    if (watcher) watcher(level, line);
}

void systemLogf(LogLevel level, const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int n = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    std::string line;
    if (n > 0) {
        line.resize(static_cast<size_t>(n) + 1);
        std::vsnprintf(line.data(), line.size(), format, args);
        line.resize(static_cast<size_t>(n));
    }
    va_end(args);
    systemLog(line, level);
}

void setSystemLogSink(std::function<void(LogLevel, const std::string&)> sink_) {
    std::lock_guard lock(sinkMutex());
    sink() = std::move(sink_);
}

}  // namespace platform
