#pragma once
// Application-modal sessions: a window is shown modal to the whole application while a nested event loop runs,
// until stopModal() ends the session, from an event handler or from a block run on the main thread. Sessions
// nest; stopModal ends the innermost.

#include <QWidget>

namespace platform {

// Shows `window` application-modal and returns the code given to stopModal once the session ends. The window
// stays visible; hiding it is the caller's business. Main thread only.
int runModalForWindow(QWidget* window);
// Ends the innermost session with `code`. From another thread the request is passed to the main thread.
// Without a running session it does nothing.
void stopModal(int code = 0);
bool isModalSessionRunning();
// The window of the innermost session, or null.
QWidget* modalWindow();

}  // namespace platform
