#pragma once
// What the application sets up before its first window, shared by the program and by the window tests so that
// both start the same way: the dark appearance, the default fonts, and the default settings registered from the
// bundle's "DefaultValues".
#include <string>
#include <vector>

namespace platform {
class Application;
}

// The fonts every window draws with, by PostScript name; the application does not run without them.
const std::vector<std::string>& requiredApplicationFonts();

// Sets the dark appearance and the default fonts of `application` and registers the default settings. Returns
// what went wrong with the settings (empty when they were registered); the rest cannot fail.
std::string prepareApplicationShell(platform::Application& application);
