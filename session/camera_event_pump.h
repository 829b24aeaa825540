#pragma once
// The camera-event pump: installed into the engine at session start and called on the event thread after each
// poll (and once by startCameraEventDispatch). While the event gate is closed it returns at once and the queued
// events stay queued; once the camera or tether window has opened the gate it takes every queued event off and
// hands it to handleCameraEvent.
#include "engine/ptp/camera_events.h"

void processCameraEvents();
// Opens the event gate and runs the pump once: the windows call it when they are ready for events.
void startCameraEventDispatch();

// What the session does with one camera event: new objects, deletions, object and property changes and the
// on-screen exposure items turned into notifications. Events are taken off the queue and dropped here until the
// session's handling of camera events is built on it.
void handleCameraEvent(const CameraEvent& event);
