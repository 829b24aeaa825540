#pragma once
// The one focus-stack stop flag that every vendor's classic loop and the application-run brackets read between
// their steps. The panel's cancel (main queue) sets it; a loop clears it as it starts. The waits between shots sleep
// on it, so a stop ends a long delay at once instead of after it.
#include <chrono>

void focusStackStopRequest();
void focusStackStopClear();
bool focusStackStopRequested();
// Sleeps `wait` as given (no test scale applied), woken early by a stop; true when stopped.
bool focusStackSleepUnlessStopped(std::chrono::milliseconds wait);
