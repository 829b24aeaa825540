#include "app/application_start.h"

#include "platform/foundation/user_defaults.h"
#include "platform/ui/application_shell.h"

const std::vector<std::string>& requiredApplicationFonts() {
    static const std::vector<std::string> fonts{"ArialMT", "Arial-BoldMT"};
    return fonts;
}

std::string prepareApplicationShell(platform::Application& application) {
    application.setAppearance(platform::Appearance::DarkAqua);
    platform::Application::applyDefaultFonts();
    return platform::UserDefaults::standardUserDefaults().registerDefaultsFromResource("DefaultValues");
}
