#pragma once
// For the live-view benchmarks (header only): the stand-in device with one Canon body and an open session to it
// (the engine's waits at their real lengths), the session controller's live-view switch run as the command runner
// runs it, and the mean time of one bare frame fetch.
#include <chrono>
#include <future>
#include <memory>

#include <benchmark/benchmark.h>

#include "devicesim/canon_camera.h"
#include "devicesim/device.h"
#include "devicesim/device_commands.h"
#include "engine/link/device_commands.h"
#include "engine/link/link.h"
#include "engine/ptp/camera_events.h"
#include "engine/ptp/container.h"
#include "engine/ptp/event_thread.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/transaction.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/available_modules.h"
#include "engine/vendors/canon/canon_module.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/vendor_module.h"
#include "platform/foundation/allocator_tuning.h"
#include "platform/foundation/test_application.h"
#include "session/camera_controller.h"
#include "session/camera_event_pump.h"

namespace live_view_bench {

// The process as the application sets it up (large blocks kept, an application object), then the Google
// Benchmark cases; false for arguments the benchmark library does not know.
inline bool runBenchmarkCases(int* argc, char** argv) {
  platform::keepLargeAllocationsInProcess();
  platform::ensureTestApplication();
  benchmark::Initialize(argc, argv);
  if (benchmark::ReportUnrecognizedArguments(*argc, argv)) return false;
  benchmark::RunSpecifiedBenchmarks();
  return true;
}

using Clock = std::chrono::steady_clock;

struct Session {
  devicesim::Device device;
  devicesim::DeviceCommandSet commands;
  std::shared_ptr<devicesim::CanonCamera> canon;
  bool open = false;

  explicit Session(devicesim::CanonBody body) {
    devicesim::CanonCameraOptions options;
    options.body = body;
    options.liveViewJpegSize = 100 * 1024;
    canon = std::make_shared<devicesim::CanonCamera>(options);
    device.setCamera(canon);
    commands.install(device);
    if (!device.start(0) || linkConnect("127.0.0.1", device.port()) < 0) return;
    vendorRegisterAvailableModules();
    ptpInstallTransport(linkPtpSend, linkPtpReceive, linkLockHook, processCameraEvents);
    ptpSetEventPollFunction(linkPollEvents);
    open = camStartSession(0) == PTP_RC_OK;
  }
  ~Session() {
    linkDisconnect();
    device.stop();
    canonUnregisterModule();
    canonResetModule();
    linkResetState();
    ptpResetContainerState();
    ptpResetTransactionState();
    camEventThreadReset();
    camEventQueueReset();
    propStoreReset();
    camSessionReset();
    vendorResetModules();
    vendorStateReset();
  }
};

// The controller's switch runs on a worker, as the command runner runs it.
inline int32_t switchLiveView(bool on) {
  return std::async(std::launch::async, [on] { return CameraController::instance().toggleLiveView(on); }).get();
}

// Mean seconds of one frame fetch with nothing else on the link; -1 when a fetch fails.
inline double bareFetchSeconds(int count) {
  camToggleLiveView(true);
  HeapBlock frame;
  for (int i = 0; i < 5; ++i) camLiveViewFrame(&frame);  // the camera's first frames
  const auto start = Clock::now();
  int fetched = 0;
  for (int i = 0; i < count; ++i) fetched += camLiveViewFrame(&frame) == PTP_RC_OK;
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count() / count;
  camToggleLiveView(false);
  return fetched == count ? seconds : -1;
}

}  // namespace live_view_bench
