#pragma once
// For test programs (whose main() is GoogleTest's): makes sure a QApplication exists, on the offscreen platform
// unless QT_QPA_PLATFORM says otherwise, with the application's names, and with the XDG config, data and cache
// folders pointed at a private temporary folder so that no test touches the user's own settings or documents.
// Call it at the start of any test that needs the main queue, timers, widgets or the standard folders; the
// application then lives until the program exits.
namespace platform {

void ensureTestApplication();

}  // namespace platform
