// The live-view display's states for vorlaxent-window-shots: each vendor's live view from its stand-in body (AF
// frames, the level on Canon and Nikon), and, from frames made here with a session that reports movie mode or
// recording, the marks, the recording light with its time and the audio bars, the nudge arrows of a zoomed view,
// the veil, and a turned picture with its AF frame.
#include <QWidget>
#include <memory>
#include <string>

#include "app/tools/shot_registry.h"
#include "app/viewing/live_view_test_frames.h"
#include "app/viewing/live_view_test_host.h"
#include "engine/ptp/session_open.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"

namespace {

using namespace live_view_testing;
using platform::Rect;

constexpr double kWidth = 720, kHeight = 480;

platform::Window* hostWindow(window_shots::ShotContext& shot, LiveViewTestHost** host) {
  auto* window = shot.keep(std::make_unique<platform::Window>());
  *host = new LiveViewTestHost(Rect(0, 0, kWidth, kHeight));
  window->setContentView(*host);
  window->setContentSize(platform::Size{kWidth, kHeight});
  return window;
}

// A stand-in body of the vendor in live view, the level on, frames shown with their AF frame.
QWidget* cameraLiveView(window_shots::ShotContext& shot, const std::string& vendor) {
  std::string why;
  if (!shot.harness().connect(standInBody(vendor), &why)) {
    shot.fail("connect: " + why);
    return nullptr;
  }
  platform::UserDefaults::standardUserDefaults().setBool(true, "ElectronicLevel");
  LiveViewTestHost* host = nullptr;
  platform::Window* window = hostWindow(shot, &host);
  window->show();
  CameraController::instance().toggleLiveView(true, nullptr);
  const bool shown = shot.harness().waitUntil([&] {
    return host->framesShown() >= 5 && host->display()->afOverlayLayer() != nullptr;
  });
  if (!shown) shot.fail("no frames with an AF frame");
  return window;
}

// A session that reports a live-view state, for frames handed over directly.
struct StatusSession : LiveViewSession {
  uint64_t status = 1;
  uint64_t liveViewStatus() override { return status; }
};

struct DirectFrames {
  StatusSession session;
  std::unique_ptr<LiveViewSessionSeam::Scoped> scoped;
  ~DirectFrames() {
    camSetKeptZoom(0);
    platform::UserDefaults& d = platform::UserDefaults::standardUserDefaults();
    for (const char* key : {"Highlights", "Shadows", "FocusPeaking", "RotateLiveView"}) d.removeObjectForKey(key);
  }
};

// A window with a display fed directly; `feed` hands it frames and may change the display afterwards.
QWidget* directLiveView(window_shots::ShotContext& shot, uint64_t status,
                        const std::function<void(LiveViewImageView&, DirectFrames&)>& feed) {
  auto* frames = shot.keep(std::make_unique<DirectFrames>());
  frames->session.status = status;
  frames->scoped = std::make_unique<LiveViewSessionSeam::Scoped>(frames->session);
  auto* window = shot.keep(std::make_unique<platform::Window>());
  auto* display = new LiveViewImageView(Rect(0, 0, kWidth, kHeight));
  window->setContentView(display);
  window->setContentSize(platform::Size{kWidth, kHeight});
  window->show();
  feed(*display, *frames);
  if (!shot.harness().waitUntil([&] { return !display->isPreparingFrame() && display->framesShown() > 0; }))
    shot.fail("the frame was not shown");
  return window;
}

void show(LiveViewImageView& display, const Bytes& frame, uint8_t vendor) {
  display.setLiveViewImage(frame, {}, vendor);
  guitest::Harness::waitUntil([&] { return !display.isPreparingFrame(); });
}

CanonFrameSpec canonSpec() {
  CanonFrameSpec spec;
  spec.frames = {{0x11, 2900, 1750, 600, 400}, {0x12, 900, 1100, 500, 330}, {0, 4300, 2500, 500, 330}};
  spec.audio = {-14, -22, -4, -9};
  spec.movieSeconds = 1000, spec.movieMilliseconds = 0;
  return spec;
}

const bool registered[] = {
    window_shots::registerShot({"live-view-canon", "", "Canon live view: three AF frames by state, the level",
                                [](window_shots::ShotContext& s) { return cameraLiveView(s, "canon"); }}),
    window_shots::registerShot({"live-view-nikon", "", "Nikon live view: the AF frame, the level",
                                [](window_shots::ShotContext& s) { return cameraLiveView(s, "nikon"); }}),
    window_shots::registerShot({"live-view-sony", "", "Sony live view: the focus frame",
                                [](window_shots::ShotContext& s) { return cameraLiveView(s, "sony"); }}),
    window_shots::registerShot({"live-view-fuji", "", "Fujifilm live view: the AF area the device reports",
                                [](window_shots::ShotContext& s) { return cameraLiveView(s, "fuji"); }}),
    window_shots::registerShot(
        {"live-view-marks", "", "highlights red, shadows blue, focus peaking red",
         [](window_shots::ShotContext& s) {
           return directLiveView(s, 1, [](LiveViewImageView& display, DirectFrames&) {
             platform::UserDefaults& d = platform::UserDefaults::standardUserDefaults();
             for (const char* key : {"Highlights", "Shadows", "FocusPeaking"}) d.setBool(true, key);
             CanonFrameSpec spec = canonSpec();
             spec.frames.clear();
             show(display, canonFrame(spec, bitmapFile(samplePicture())), kLiveViewVendorCanon);
           });
         }}),
    window_shots::registerShot(
        {"live-view-recording", "", "Canon recording: the light, 2:05 and the audio bars, with AF frames",
         [](window_shots::ShotContext& s) {
           return directLiveView(s, 3, [](LiveViewImageView& display, DirectFrames&) {
             CanonFrameSpec spec = canonSpec();
             const Bytes picture = bitmapFile(samplePicture());
             show(display, canonFrame(spec, picture), kLiveViewVendorCanon);
             spec.movieSeconds += 125;
             show(display, canonFrame(spec, picture), kLiveViewVendorCanon);
           });
         }}),
    window_shots::registerShot(
        {"live-view-movie-mode-nikon", "", "Nikon movie mode: the light at 0:00 and the bars, the AF frame chosen by hand",
         [](window_shots::ShotContext& s) {
           return directLiveView(s, 2, [](LiveViewImageView& display, DirectFrames&) {
             NikonFrameSpec spec;
             spec.afSelected = 1;
             spec.afCentreX = 2400, spec.afCentreY = 1500;
             spec.levelLeft = 9, spec.levelRight = 6, spec.peakLeft = 12, spec.peakRight = 13;
             show(display, nikonFrame(spec, bitmapFile(samplePicture())), kLiveViewVendorNikon);
           });
         }}),
    window_shots::registerShot(
        {"live-view-nudges", "", "zoomed: the four nudge arrows",
         [](window_shots::ShotContext& s) {
           return directLiveView(s, 1, [](LiveViewImageView& display, DirectFrames&) {
             camSetKeptZoom(100);
             show(display, nikonFrame({}, bitmapFile(samplePicture())), kLiveViewVendorNikon);
           });
         }}),
    window_shots::registerShot(
        {"live-view-veil", "", "live view off: the grey veil over the last picture",
         [](window_shots::ShotContext& s) {
           return directLiveView(s, 1, [](LiveViewImageView& display, DirectFrames&) {
             show(display, nikonFrame({}, bitmapFile(samplePicture())), kLiveViewVendorNikon);
             display.setDisabled();
           });
         }}),
    window_shots::registerShot(
        {"live-view-turned", "", "turned a quarter (the r key): the picture and its Canon AF frames",
         [](window_shots::ShotContext& s) {
           return directLiveView(s, 1, [](LiveViewImageView& display, DirectFrames&) {
             display.setForcedOrientation(6);
             CanonFrameSpec spec = canonSpec();
             show(display, canonFrame(spec, bitmapFile(samplePicture())), kLiveViewVendorCanon);
           });
         }}),
};

}  // namespace
