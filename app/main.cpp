#include <QApplication>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "platform/foundation/allocator_tuning.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/system_log.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/application_shell.h"

#include "app/application_start.h"

namespace {

// The value of `--name VALUE` or `--name=VALUE`. Sets `missing` when the option is given without a value.
std::optional<std::string> optionValue(int argc, char** argv, const char* name, bool& missing) {
    size_t len = std::strlen(name);
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], name) == 0) {
            if (i + 1 >= argc) {
                missing = true;
                return std::nullopt;
            }
            return std::string(argv[i + 1]);
        }
        if (std::strncmp(argv[i], name, len) == 0 && argv[i][len] == '=') return std::string(argv[i] + len + 1);
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    platform::keepLargeAllocationsInProcess();
    // Answered before any window system is touched, so that it works on a machine without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("vorlaxent %s\n", VX_VERSION);
            return 0;
        }
    }
    bool missingAddress = false;
    std::optional<std::string> address = optionValue(argc, argv, "--ipAddress", missingAddress);
    if (missingAddress) {
        std::fprintf(stderr, "vorlaxent: --ipAddress needs the device's address\n");
        return 2;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName("Vorlaxent");
    QApplication::setOrganizationName("Vorlaxent");
    QApplication::setApplicationVersion(VX_VERSION);
    platform::prepareMainQueue();
    platform::Application application;

    const std::string error = prepareApplicationShell(application);
    if (!error.empty()) {
        std::fprintf(stderr, "vorlaxent: default settings: %s\n", error.c_str());
        platform::systemLog("default settings: " + error, platform::LogLevel::Error);
    }
    platform::UserDefaults& defaults = platform::UserDefaults::standardUserDefaults();
    if (address) {
        // The device to use instead of discovering one; an empty address means discovery.
        defaults.setString(QString::fromStdString(*address).trimmed().toStdString(), "ipAddress");
        if (!defaults.synchronize()) {
            std::fprintf(stderr, "vorlaxent: cannot store the address: %s\n", defaults.lastError().c_str());
        }
    }
    // No window exists yet: the application stops here.
    return 0;
}
