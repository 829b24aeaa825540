#pragma once
// The camera's live view inside the image area: each frame of the live-view loop cut apart by vendor, its picture
// decoded, marked (highlights, shadows, focus peaking), cropped for a 200 % zoom and turned on a worker, then shown
// on the main thread together with every overlay of that same frame: the vendor's AF frames, the electronic level,
// the recording light with the movie time, the audio bars, the nudge arrows of a zoomed view. A grey veil covers
// the last picture while live view is off. A click focuses at the point, a double click steps the zoom, and the
// "r" key turns the picture (while the view's window is active and no text field has the keyboard).
//
// Made by the still-image viewer, which hands it the frames of "JWNotification_LiveViewImage" and calls
// setDisabled when live view goes off. Main thread only.
#include <QImage>
#include <QPointer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/viewing/af_overlay.h"
#include "app/viewing/live_view_frame_cut.h"
#include "app/viewing/live_view_renderer.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/value.h"
#include "platform/ui/event_monitor.h"
#include "platform/ui/image_view.h"
#include "platform/ui/layer.h"
#include "platform/ui/seam.h"
#include "platform/ui/time_source.h"

class ElectronicLevelView;
class LiveViewNudgeButton;
class LiveViewTextView;
class SoundBarView;

// Declared for the view's owner; the view never calls it.
class LiveViewImageViewDelegate {
 public:
  virtual ~LiveViewImageViewDelegate() = default;
};

// What the view asks of the session: the live-view state and the gestures. The plain one is the session
// controller; tests put their own in its place (LiveViewSessionSeam::Scoped).
class LiveViewSession {
 public:
  virtual ~LiveViewSession() = default;
  virtual uint64_t liveViewStatus();
  virtual void liveViewSingleTap(platform::Point point, uint8_t orientation);
  virtual void liveViewDoubleTap(platform::Point point, uint8_t orientation);
  virtual void nudgeLiveView(int tag);
};
using LiveViewSessionSeam = platform::Seam<LiveViewSession>;

class LiveViewImageView : public platform::ImageView {
 public:
  // Receives the 512 x 512 histogram bitmap of a shown frame.
  using HistogramImageHandler = std::function<void(const QImage& bitmap)>;

  // initWithFrame: (y-up frame in the parent).
  explicit LiveViewImageView(const platform::Rect& frame, QWidget* parent = nullptr);
  ~LiveViewImageView() override;

  // One frame of the vendor's format (13 Canon, 15 Nikon, 14 Sony, 12 Fujifilm, anything else as Fujifilm without
  // its AF frame). NO when the frame is dropped (nothing changes); YES when it goes on to be shown, with its
  // overlays, once its picture is ready; a picture that does not decode clears the picture then. With a handler,
  // the handler gets the frame's histogram bitmap when the frame is shown.
  bool setLiveViewImage(const platform::Data& frame, const HistogramImageHandler& histogramImage, uint8_t vendor);

  // The vendors' AF overlays, as a shown frame calls them.
  void showNikonAfOverlay(const Nikon_LiveViewInfoStruct2* record);
  void showCanonAfOverlay(const EOS_LiveViewInfoStruct* header);
  void showFujiAfOverlayWithLiveViewSize(platform::Size size, uint8_t orientation);
  void showSonyAfOverlay(platform::Size frameSpace, const SonyFocusFrame& focusRect, uint8_t orientation);

  void showLiveViewNudgeButtons();
  void hideLiveViewNudgeButtons();
  bool nudgeButtonsVisible() const { return mNudgeButtonsVisible; }

  // The "r" key: none (255) or 1 -> 6 -> 3 -> 8 -> 1.
  void liveViewRotateButton();
  void setForcedOrientation(uint8_t orientation) { mForcedOrientation = orientation; }
  uint8_t forcedOrientation() const { return mForcedOrientation; }
  // The orientation the camera reported for the latest frame while "RotateLiveView" is on, else 1.
  static uint8_t lastLiveViewOrientation();

  // Touch focus and zoom at a point of the view (y up).
  void liveViewSingleTap(platform::Point point);
  void liveViewDoubleTap(platform::Point point);

  // No picture. A frame still being prepared is not shown.
  void clearImage();
  // Live view off: the grey veil over the last picture, no nudge arrows. A frame still being prepared is not
  // shown.
  void setDisabled();
  bool isDisabled() const;

  // "JWNotification_MovieRecordingToggled": a recording that starts takes its time from the next frame.
  void movieRecordingNotification(const platform::Notification& notification);
  // Removes the key monitor, then the view from its parent.
  void removeFromSuperview();

  LiveViewImageViewDelegate* delegate() const { return delegate_; }
  void setDelegate(LiveViewImageViewDelegate* delegate) { delegate_ = delegate; }

  // Frames shown so far, and whether one is being prepared or waits (for the host's and tests' waits).
  uint64_t framesShown() const { return framesShown_; }
  bool isPreparingFrame() const { return renderer_.busy(); }

  // The overlays as they stand (for tests and the window shots): null or detached when not shown.
  ElectronicLevelView* levelView() const { return mLevelView; }
  LiveViewTextView* movieTimerTextView() const { return mMovieTimerTextView; }
  platform::View* recordingLightView() const { return mRecordingLightView; }
  SoundBarView* leftSoundBarView() const { return mLeftSoundBarView; }
  SoundBarView* rightSoundBarView() const { return mRightSoundBarView; }
  platform::View* disabledView() const { return mDisabledView; }
  const std::vector<LiveViewNudgeButton*>& nudgeButtons() const { return mNudgeButtons; }
  // The AF overlay layer when it is in the view's layer tree, else null.
  platform::ShapeLayer* afOverlayLayer() const;

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // What the frame handler keeps of a frame while its picture is prepared.
  struct FrameOverlays {
    LiveViewFrameCut cut;
    uint8_t vendor = 0;
    uint8_t displayedOrientation = 1;
    uint64_t liveViewStatus = 0;
    uint32_t zoomRatio = 0;
    HistogramImageHandler histogramImage;
  };

  void showFrame(const FrameOverlays& frame, LiveViewRenderResult result);
  void updateLevel(const FrameOverlays& frame);
  void updateRecordingLight(const LiveViewFrameCut& cut);
  void updateSoundBars(const FrameOverlays& frame);
  void removeSoundBars();
  void applyAfOverlay(const AfOverlayPlan& plan, bool canon);
  void removeAfOverlay();
  AfOverlayGeometry afGeometry(uint8_t orientation) const;
  void layOutAfLayers();
  bool rotateKeyApplies(const QKeyEvent& event) const;
  void removeKeyMonitor();

  double mInitialMovieDuration = 0;
  std::optional<double> mSonyRecordingStartTime;
  ElectronicLevelView* mLevelView = nullptr;
  uint8_t mForcedOrientation = 255;
  platform::View* mDisabledView = nullptr;
  std::shared_ptr<platform::ShapeLayer> mAfOverlayLayer;         // the frame in the tree, when one is shown
  std::shared_ptr<platform::ShapeLayer> mSingleAfLayer;          // kept for reuse: Nikon, Sony, Fujifilm
  std::shared_ptr<platform::ShapeLayer> mCanonAfContainer;       // kept for reuse: the Canon frames' container
  std::array<std::shared_ptr<platform::ShapeLayer>, 64> mAfOverlayLayers;  // one per Canon frame, made when needed
  platform::View* mRecordingLightView = nullptr;
  LiveViewTextView* mMovieTimerTextView = nullptr;
  SoundBarView* mLeftSoundBarView = nullptr;
  SoundBarView* mRightSoundBarView = nullptr;
  LiveViewTextView* mLeftSoundTextView = nullptr;
  LiveViewTextView* mRightSoundTextView = nullptr;
  platform::EventMonitorId mLiveViewRotateKeyMonitor = 0;
  std::vector<LiveViewNudgeButton*> mNudgeButtons;
  bool mNudgeButtonsVisible = false;
  LiveViewImageViewDelegate* delegate_ = nullptr;

  LiveViewRenderer renderer_;
  uint64_t framesShown_ = 0;
  uint8_t shownOrientation_ = 1;  // the turn of the picture shown: AF frames and taps follow it
  platform::TimeSource::TimerId pendingSingleTap_ = 0;
  std::shared_ptr<platform::TimeSource> tapClock_;
  platform::ObserverToken recordingObserver_{};
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
