#include "session/camera_event_pump.h"

#include "session/camera_controller.h"

void processCameraEvents() {
  if (!CameraController::eventGate()) return;
  for (CameraEvent event; camPopEvent(&event)->code != 0;) handleCameraEvent(event);
}

void startCameraEventDispatch() {
  CameraController::setEventGate(true);
  processCameraEvents();
}

void handleCameraEvent(const CameraEvent& event) { (void)event; }
