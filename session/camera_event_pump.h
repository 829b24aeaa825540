#pragma once
// The camera-event pump: installed into the engine at session start and called on the event thread after each
// poll (and once by startCameraEventDispatch). While the event gate is closed it returns at once and the queued
// events stay queued; once the camera or tether window has opened the gate it takes every queued event off, in
// queue order, and hands it to handleCameraEvent. A run that ends on an empty queue counts towards the battery
// check, made on every 15th such run.
#include "engine/ptp/camera_events.h"

void processCameraEvents();
// Opens the event gate and runs the pump once: the windows call it when they are ready for events.
void startCameraEventDispatch();

// What the session does with one camera event: new objects (or the focal-length shot), deletions, object and
// property changes and the on-screen exposure items, turned into calls of the session controller and
// notifications. Unknown codes are dropped.
void handleCameraEvent(const CameraEvent& event);

// Runs of the pump that end on an empty queue between two battery checks.
inline constexpr int32_t kBatteryCheckEveryEmptyRun = 15;
