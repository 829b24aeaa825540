#pragma once
// Diagnostic lines for the system log (syslog, identity "vorlaxent"). The application keeps no log of its own.
#include <functional>
#include <string>

namespace platform {

enum class LogLevel { Error, Warning, Notice, Info, Debug };

void systemLog(const std::string& line, LogLevel level = LogLevel::Notice);
// printf-style.
void systemLogf(LogLevel level, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Tests can watch the lines: while a sink is installed every line also goes to it. Pass nullptr to remove it.
void setSystemLogSink(std::function<void(LogLevel, const std::string&)> sink);

}  // namespace platform
