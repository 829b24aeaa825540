#include "app/viewing/live_view_image_view.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>

#include "app/viewing/electronic_level_view.h"
#include "app/viewing/live_view_overlay_views.h"
#include "app/viewing/sound_bar_view.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/fujifilm/fuji_live_view.h"
#include "engine/vendors/fujifilm/fuji_operations.h"
#include "engine/vendors/sony/sony_live_view.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/autoresizing.h"
#include "platform/ui/view_geometry.h"
#include "session/camera_controller.h"
#include "session/notification_names.h"
#include "session/utilities.h"

using platform::Color;
using platform::Point;
using platform::Rect;
using platform::Size;

namespace {

constexpr uint8_t kNoForcedOrientation = 255;
constexpr uint32_t kSonyFocusStateProperty = 0xD213, kSonyFocusAreaProperty = 0xD22C;
constexpr uint32_t kSonyLocationProperty = 0xD2DC;
constexpr unsigned kFillsView = platform::ViewWidthSizable | platform::ViewHeightSizable;  // 18
constexpr unsigned kLowerLeft = platform::ViewMaxXMargin | platform::ViewMaxYMargin;      // 36

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

uint8_t& lastOrientationStore() {
  static uint8_t orientation = 1;
  return orientation;
}

std::optional<uint32_t> propertyValue(uint32_t code) {
  PropertyStruct* record = propFind(code, true);
  if (!record) return std::nullopt;
  const uint32_t value = record->value;
  propUnlock(record);
  return value;
}

bool movieStatus(uint64_t status) { return status == 2 || status == 3; }

// A stroked rectangle or cross on a clear ground, as every AF frame is drawn.
void styleAfLayer(platform::ShapeLayer& layer, const Rect& bounds) {
  layer.setFrame(bounds);
  layer.setBackgroundColor(std::nullopt);
  layer.setFillColor(std::nullopt);
  layer.setMasksToBounds(false);
  layer.setLineWidth(2);
  layer.setLineCap(platform::LineCap::Round);
}

platform::Path rectanglePath(const Rect& r) {
  platform::Path path;
  path.moveTo({r.minX(), r.minY()});
  path.lineTo({r.maxX(), r.minY()});
  path.lineTo({r.maxX(), r.maxY()});
  path.lineTo({r.minX(), r.maxY()});
  path.close();
  return path;
}

}  // namespace

// --- the session ---

uint64_t LiveViewSession::liveViewStatus() { return CameraController::instance().liveViewStatus(); }
void LiveViewSession::liveViewSingleTap(Point point, uint8_t orientation) {
  CameraController::instance().liveViewSingleTap(point, orientation);
}
void LiveViewSession::liveViewDoubleTap(Point point, uint8_t orientation) {
  CameraController::instance().liveViewDoubleTap(point, orientation);
}
void LiveViewSession::nudgeLiveView(int tag) { CameraController::instance().nudgeLiveView(tag); }

// --- life ---

LiveViewImageView::LiveViewImageView(const Rect& frame, QWidget* parent) : ImageView(parent) {
  platform::setFrame(this, frame);
  setImageScaling(platform::ImageScaling::ProportionallyUpOrDown);
  std::weak_ptr<bool> alive = alive_;
  platform::NotificationCenter::defaultCenter().addObserver(
      this,
      [this, alive](const platform::Notification& n) {
        // Posted from whichever thread learnt of the recording.
        const bool started = n.object.toBool();
        platform::mainQueue().async([this, alive, started] {
          if (alive.expired() || !started) return;
          mInitialMovieDuration = 0;
        });
      },
      kMovieRecordingToggledNotification);
  mLiveViewRotateKeyMonitor =
      platform::addLocalMonitorForEvents(platform::KeyDownMask, [this](const QKeyEvent& event) {
        if (!rotateKeyApplies(event)) return platform::EventDisposition::Pass;
        liveViewRotateButton();
        return platform::EventDisposition::Swallow;
      });
}

LiveViewImageView::~LiveViewImageView() {
  alive_.reset();
  platform::NotificationCenter::defaultCenter().removeObserver(this);
  removeKeyMonitor();
  if (pendingSingleTap_ && tapClock_) tapClock_->cancel(pendingSingleTap_);
}

void LiveViewImageView::removeKeyMonitor() {
  if (mLiveViewRotateKeyMonitor) platform::removeMonitor(mLiveViewRotateKeyMonitor);
  mLiveViewRotateKeyMonitor = 0;
}

void LiveViewImageView::removeFromSuperview() {
  removeKeyMonitor();
  renderer_.cancel();
  hide();
  deleteLater();  // the superview held it
}

void LiveViewImageView::movieRecordingNotification(const platform::Notification& notification) {
  if (notification.object.toBool()) mInitialMovieDuration = 0;
}

uint8_t LiveViewImageView::lastLiveViewOrientation() { return lastOrientationStore(); }

// --- frames ---

bool LiveViewImageView::setLiveViewImage(const platform::Data& frame, const HistogramImageHandler& histogramImage,
                                         uint8_t vendor) {
  LiveViewCutInputs inputs;
  inputs.liveViewStatus = LiveViewSessionSeam::current().liveViewStatus();
  inputs.now = platform::currentTimeSource()->now();
  inputs.sonyHasLocationProperty = vendor == kLiveViewVendorSony && propExists(kSonyLocationProperty);
  inputs.modelIndex = camModelIndex();
  LiveViewMovieClock clock{mInitialMovieDuration, mSonyRecordingStartTime};
  std::optional<LiveViewFrameCut> cut = cutLiveViewFrame(frame.data(), frame.size(), vendor, inputs, clock);
  if (!cut) return false;
  mInitialMovieDuration = clock.initialMovieDuration;
  mSonyRecordingStartTime = clock.sonyRecordingStart;

  lastOrientationStore() = defaults().boolForKey("RotateLiveView") ? cut->orientation : 1;
  const uint8_t displayed = mForcedOrientation != kNoForcedOrientation ? mForcedOrientation : lastOrientationStore();
  const uint32_t zoom = camLiveViewZoomRatio(0);

  LiveViewRenderJob job;
  // The frame buffer belongs to the notification: the picture's range is copied once for the worker.
  job.picture = std::make_shared<const std::vector<uint8_t>>(frame.begin() + long(cut->pictureOffset),
                                                             frame.begin() + long(cut->pictureOffset + cut->pictureLength));
  if (defaults().boolForKey("Highlights")) job.marks.highlights = platform::MarkKernelInput{Color::rgb(1, 0, 0), 0.99};
  if (defaults().boolForKey("Shadows")) job.marks.shadows = platform::MarkKernelInput{Color::rgb(0, 0, 1), 0.001};
  if (defaults().boolForKey("FocusPeaking"))
    job.marks.focusPeaking = platform::MarkKernelInput{Color::rgb(1, 0, 0), 0.1};
  job.cropCentre = vendor == kLiveViewVendorCanon && zoom == 200;
  job.orientation = displayed;
  job.histogram = static_cast<bool>(histogramImage);

  FrameOverlays overlays{std::move(*cut), vendor, displayed, inputs.liveViewStatus, zoom, histogramImage};
  renderer_.submit(std::move(job), [this, overlays = std::move(overlays)](LiveViewRenderResult result) {
    showFrame(overlays, std::move(result));
  });
  return true;
}

void LiveViewImageView::showFrame(const FrameOverlays& frame, LiveViewRenderResult result) {
  if (result.picture.isNull()) {
    setImage(platform::Image());
    return;
  }
  setImage(platform::Image::fromBitmap(result.picture));
  shownOrientation_ = frame.displayedOrientation;
  updateLevel(frame);
  const LiveViewFrameCut& cut = frame.cut;
  switch (frame.vendor) {
    case kLiveViewVendorCanon:
      if (cut.canonHeader) showCanonAfOverlay(&*cut.canonHeader);
      break;
    case kLiveViewVendorNikon: showNikonAfOverlay(cut.nikonRecord ? &*cut.nikonRecord : nullptr); break;
    case kLiveViewVendorSony:
      showSonyAfOverlay({cut.sonySpaceWidth, cut.sonySpaceHeight}, cut.sonyFocus, frame.displayedOrientation);
      break;
    case kLiveViewVendorFuji: showFujiAfOverlayWithLiveViewSize(image().size(), frame.displayedOrientation); break;
    default: break;
  }
  if (frame.histogramImage) frame.histogramImage(result.histogram);
  if (mDisabledView) mDisabledView->hide();
  if (frame.zoomRatio != 0 && !mNudgeButtonsVisible)
    showLiveViewNudgeButtons();
  else if (frame.zoomRatio == 0 && mNudgeButtonsVisible)
    hideLiveViewNudgeButtons();
  updateRecordingLight(cut);
  updateSoundBars(frame);
  ++framesShown_;
}

void LiveViewImageView::updateLevel(const FrameOverlays& frame) {
  if (!defaults().boolForKey("ElectronicLevel") || !canonLiveViewZoomOp()) {
    if (mLevelView) mLevelView->hide();
    return;
  }
  if (!mLevelView) {
    mLevelView = new ElectronicLevelView(platform::boundsOf(this), this);
    platform::setAutoresizingMask(mLevelView, kFillsView);
  }
  double angle = frame.cut.angle;
  switch (frame.displayedOrientation) {
    case 8: angle -= 90; break;
    case 3: angle -= 180; break;
    case 6: angle -= 270; break;
    default: break;
  }
  mLevelView->setAngle(float(angle));
  mLevelView->setTilt(float(frame.cut.pitch));
  mLevelView->show();
}

void LiveViewImageView::updateRecordingLight(const LiveViewFrameCut& cut) {
  if (!cut.recording) {
    if (mRecordingLightView) mRecordingLightView->hide();
    if (mMovieTimerTextView) mMovieTimerTextView->hide();
    return;
  }
  if (!mRecordingLightView) {
    mRecordingLightView = new platform::View(this);
    platform::setFrame(mRecordingLightView, Rect(17, 60, 10, 10));
    mRecordingLightView->layer().setBackgroundColor(Color::rgb(1, 0, 0));
    mRecordingLightView->layer().setCornerRadius(5);
    platform::setAutoresizingMask(mRecordingLightView, kLowerLeft);
  }
  mRecordingLightView->show();
  if (cut.movieSeconds < 0) return;  // no time: the text stays as it was
  if (!mMovieTimerTextView) {
    mMovieTimerTextView = new LiveViewTextView(Rect(32, 57, 100, 14), this);
    platform::setAutoresizingMask(mMovieTimerTextView, kLowerLeft);
  }
  mMovieTimerTextView->setString(
      QString::asprintf("%d:%02d", int(cut.movieSeconds / 60), int(cut.movieSeconds % 60)));
  mMovieTimerTextView->show();
}

void LiveViewImageView::updateSoundBars(const FrameOverlays& frame) {
  const LiveViewAudio& audio = frame.cut.audio;
  const bool barsVendor = frame.vendor == kLiveViewVendorNikon || frame.vendor == kLiveViewVendorCanon;
  if (!movieStatus(frame.liveViewStatus) || !barsVendor || !audio.present() || audio.peakLeft < 0) {
    removeSoundBars();
    return;
  }
  if (!mLeftSoundBarView) {
    auto label = [this](const Rect& r, const char* text) {
      auto* view = new LiveViewTextView(r, this);
      view->setString(QString::fromLatin1(text));
      platform::setAutoresizingMask(view, kLowerLeft);
      return view;
    };
    mLeftSoundBarView = new SoundBarView(Rect(22, 26, 80, 14), this);
    mLeftSoundTextView = label(Rect(5, 25, 14, 14), "L");
    mRightSoundBarView = new SoundBarView(Rect(22, 43, 80, 14), this);
    mRightSoundTextView = label(Rect(5, 42, 14, 14), "R");
    platform::setAutoresizingMask(mLeftSoundBarView, kLowerLeft);
    platform::setAutoresizingMask(mRightSoundBarView, kLowerLeft);
  }
  mLeftSoundBarView->setNumberOfBins(audio.bins);
  mLeftSoundBarView->setCurrentBin(uint64_t(audio.levelLeft));
  mLeftSoundBarView->setMaxBin(uint64_t(audio.peakLeft));
  mRightSoundBarView->setNumberOfBins(audio.bins);
  mRightSoundBarView->setCurrentBin(uint64_t(audio.levelRight));
  mRightSoundBarView->setMaxBin(uint64_t(audio.peakRight));
  for (QWidget* v : {static_cast<QWidget*>(mLeftSoundBarView), static_cast<QWidget*>(mLeftSoundTextView),
                     static_cast<QWidget*>(mRightSoundBarView), static_cast<QWidget*>(mRightSoundTextView)})
    v->show();
}

void LiveViewImageView::removeSoundBars() {
  for (QWidget* v : {static_cast<QWidget*>(mLeftSoundBarView), static_cast<QWidget*>(mLeftSoundTextView),
                     static_cast<QWidget*>(mRightSoundBarView), static_cast<QWidget*>(mRightSoundTextView)})
    if (v) v->hide();
}

// --- AF overlays ---

AfOverlayGeometry LiveViewImageView::afGeometry(uint8_t orientation) const {
  const Rect bounds = platform::boundsOf(this);
  return {bounds.size, image().size(), orientation};
}

void LiveViewImageView::showNikonAfOverlay(const Nikon_LiveViewInfoStruct2* record) {
  if (!record) return;
  applyAfOverlay(nikonAfOverlay(*record, afGeometry(shownOrientation_)), false);
}

void LiveViewImageView::showCanonAfOverlay(const EOS_LiveViewInfoStruct* header) {
  if (!header) return;
  applyAfOverlay(canonAfOverlay(*header, afGeometry(shownOrientation_)), true);
}

void LiveViewImageView::showFujiAfOverlayWithLiveViewSize(Size size, uint8_t orientation) {
  FujiAfState state;
  state.zoomRatio = camLiveViewZoomRatio(0);
  double x = 0, y = 0, width = 0, height = 0;
  if (fujiAfOverlayRect(&x, &y, &width, &height) == PTP_RC_OK) state.area = Rect(x, y, width, height);
  state.focused = fujiIsFocused();
  const Rect bounds = platform::boundsOf(this);
  applyAfOverlay(fujiAfOverlay(state, {bounds.size, size, orientation}), false);
}

void LiveViewImageView::showSonyAfOverlay(Size frameSpace, const SonyFocusFrame& focusRect, uint8_t orientation) {
  SonyAfState state;
  state.focusState = propertyValue(kSonyFocusStateProperty);
  state.focusArea = propertyValue(kSonyFocusAreaProperty);
  state.zoomRatio = camLiveViewZoomRatio(0);
  uint32_t x = 0, y = 0;
  if (sonyAfOverlayRect(&x, &y)) state.afPoint = Point{double(x), double(y)};
  state.focus = focusRect;
  state.spaceWidth = frameSpace.width;
  state.spaceHeight = frameSpace.height;
  applyAfOverlay(sonyAfOverlay(state, afGeometry(orientation)), false);
}

void LiveViewImageView::applyAfOverlay(const AfOverlayPlan& plan, bool canon) {
  using Action = AfOverlayPlan::Action;
  if (plan.action == Action::Keep) return;
  if (plan.action == Action::Remove) {
    removeAfOverlay();
    return;
  }
  const Rect bounds = platform::boundsOf(this);
  std::shared_ptr<platform::ShapeLayer> overlay;
  if (canon) {
    if (!mCanonAfContainer) mCanonAfContainer = platform::ShapeLayer::make();
    styleAfLayer(*mCanonAfContainer, bounds);
    overlay = mCanonAfContainer;
    // Frame i in layer i, each made once; the container holds as many as the record has frames.
    for (size_t i = 0; i < mAfOverlayLayers.size(); ++i) {
      std::shared_ptr<platform::ShapeLayer>& layer = mAfOverlayLayers[i];
      if (i >= plan.frames.size()) {
        if (layer && layer->superlayer()) layer->removeFromSuperlayer();
        continue;
      }
      if (!layer) layer = platform::ShapeLayer::make();
      styleAfLayer(*layer, Rect(0, 0, bounds.width(), bounds.height()));
      layer->setPath(rectanglePath(plan.frames[i].rect));
      layer->setStrokeColor(plan.frames[i].color);
      if (layer->superlayer() != mCanonAfContainer.get()) mCanonAfContainer->addSublayer(layer);
    }
  } else {
    if (!mSingleAfLayer) mSingleAfLayer = platform::ShapeLayer::make();
    styleAfLayer(*mSingleAfLayer, bounds);
    platform::Path path;
    Color colour = Color::whiteColor();
    for (const AfFrameShape& frame : plan.frames) {
      path = rectanglePath(frame.rect);
      colour = frame.color;
    }
    if (plan.cross) {
      const Point c = plan.cross->centre;
      const double arm = plan.cross->arm;
      path.moveTo({c.x - arm, c.y});
      path.lineTo({c.x + arm, c.y});
      path.moveTo({c.x, c.y - arm});
      path.lineTo({c.x, c.y + arm});
      colour = plan.cross->color;
    }
    mSingleAfLayer->setPath(path);
    mSingleAfLayer->setStrokeColor(colour);
    overlay = mSingleAfLayer;
  }
  if (mAfOverlayLayer != overlay) removeAfOverlay();
  if (!overlay->superlayer()) layer().addSublayer(overlay);
  mAfOverlayLayer = overlay;
}

void LiveViewImageView::removeAfOverlay() {
  if (mAfOverlayLayer) mAfOverlayLayer->removeFromSuperlayer();
  mAfOverlayLayer.reset();
}

platform::ShapeLayer* LiveViewImageView::afOverlayLayer() const {
  return mAfOverlayLayer && mAfOverlayLayer->superlayer() ? mAfOverlayLayer.get() : nullptr;
}

void LiveViewImageView::layOutAfLayers() {
  const Rect bounds = platform::boundsOf(this);
  for (const auto& layer : {mSingleAfLayer, mCanonAfContainer})
    if (layer) layer->setFrame(bounds);
  for (const auto& layer : mAfOverlayLayers)
    if (layer) layer->setFrame(bounds);
}

void LiveViewImageView::resizeEvent(QResizeEvent* event) {
  ImageView::resizeEvent(event);
  layOutAfLayers();
}

// --- nudge arrows, veil, clearing ---

void LiveViewImageView::showLiveViewNudgeButtons() {
  if (mNudgeButtons.empty()) {
    const Rect b = platform::boundsOf(this);
    const double W = b.width(), H = b.height();
    struct Arrow {
      Rect frame;
      unsigned mask;
      platform::Image (*image)(const Size&);
    };
    const Arrow arrows[] = {
        {Rect((W - 80) / 2, H - 10 - 40, 80, 40), 13, &VorlaxentStyleKit::imageOfWhiteArrowUpWithSize},
        {Rect((W - 80) / 2, 10, 80, 40), 37, &VorlaxentStyleKit::imageOfWhiteArrowDownWithSize},
        {Rect(10, (H - 80) / 2, 40, 80), 44, &VorlaxentStyleKit::imageOfWhiteArrowLeftWithSize},
        {Rect(W - 10 - 40, (H - 80) / 2, 40, 80), 41, &VorlaxentStyleKit::imageOfWhiteArrowRightWithSize},
    };
    for (int tag = 0; tag < 4; ++tag) {
      const Arrow& a = arrows[tag];
      auto* button = new LiveViewNudgeButton(a.frame, tag, this);
      button->setImage(a.image(a.frame.size));
      platform::Layer& l = button->layer();
      l.setBackgroundColor(std::nullopt);
      l.setBorderColor(Color::whiteColor());
      l.setBorderWidth(2);
      l.setCornerRadius(3);
      l.setShadow(Color::blackColor(), 1, {2, 2}, 0);
      button->setAction([](int t) { LiveViewSessionSeam::current().nudgeLiveView(t); });
      platform::setAutoresizingMask(button, a.mask);
      mNudgeButtons.push_back(button);
    }
  }
  for (LiveViewNudgeButton* button : mNudgeButtons) {
    button->show();
    button->raise();
  }
  if (mDisabledView && !mDisabledView->isHidden()) mDisabledView->raise();
  mNudgeButtonsVisible = true;
}

void LiveViewImageView::hideLiveViewNudgeButtons() {
  for (LiveViewNudgeButton* button : mNudgeButtons) button->hide();
  mNudgeButtonsVisible = false;
}

void LiveViewImageView::setDisabled() {
  renderer_.cancel();
  if (!mDisabledView) {
    mDisabledView = new platform::View(this);
    platform::setFrame(mDisabledView, platform::boundsOf(this));
    mDisabledView->layer().setBackgroundColor(Color::white(1.0, 0.35));
    platform::setAutoresizingMask(mDisabledView, kFillsView);
  }
  mDisabledView->raise();
  mDisabledView->show();
  hideLiveViewNudgeButtons();
}

bool LiveViewImageView::isDisabled() const { return mDisabledView && !mDisabledView->isHidden(); }

void LiveViewImageView::clearImage() {
  renderer_.cancel();
  setImage(platform::Image());
}

// --- turning ---

void LiveViewImageView::liveViewRotateButton() {
  switch (mForcedOrientation) {
    case kNoForcedOrientation:
    case 1: mForcedOrientation = 6; break;
    case 6: mForcedOrientation = 3; break;
    case 3: mForcedOrientation = 8; break;
    case 8: mForcedOrientation = 1; break;
    default: break;
  }
}

bool LiveViewImageView::rotateKeyApplies(const QKeyEvent& event) const {
  if (event.key() != Qt::Key_R || (event.modifiers() & Qt::ShiftModifier)) return false;
  // Only for this view's window, and never while the user types: elsewhere an "r" is an "r".
  const QWidget* top = window();
  if (!isVisible() || !top || !top->isActiveWindow()) return false;
  const QWidget* focus = QApplication::focusWidget();
  if (focus && (focus->testAttribute(Qt::WA_InputMethodEnabled) || qobject_cast<const QLineEdit*>(focus) ||
                qobject_cast<const QTextEdit*>(focus) || qobject_cast<const QPlainTextEdit*>(focus) ||
                qobject_cast<const QAbstractSpinBox*>(focus)))
    return false;
  return true;
}

// --- clicks ---

void LiveViewImageView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || LiveViewSessionSeam::current().liveViewStatus() == 0) {
    ImageView::mousePressEvent(event);
    return;
  }
  event->accept();
  const Point point = platform::pointFromQt(this, event->position());
  if (pendingSingleTap_ && tapClock_) tapClock_->cancel(pendingSingleTap_);
  tapClock_ = platform::currentTimeSource();
  std::weak_ptr<bool> alive = alive_;
  pendingSingleTap_ = tapClock_->schedule(QApplication::doubleClickInterval() / 1000.0, [this, alive, point] {
    if (alive.expired()) return;
    pendingSingleTap_ = 0;
    liveViewSingleTap(point);
  });
}

void LiveViewImageView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || LiveViewSessionSeam::current().liveViewStatus() == 0) {
    ImageView::mouseDoubleClickEvent(event);
    return;
  }
  event->accept();
  if (pendingSingleTap_ && tapClock_) tapClock_->cancel(pendingSingleTap_);
  pendingSingleTap_ = 0;
  liveViewDoubleTap(platform::pointFromQt(this, event->position()));
}

void LiveViewImageView::liveViewSingleTap(Point point) {
  LiveViewSession& session = LiveViewSessionSeam::current();
  if (session.liveViewStatus() == 0) return;
  // The tap is turned back with the turn the picture is shown in.
  session.liveViewSingleTap(Utilities::convertPointToImageCoordinates(point, imageRect()), shownOrientation_);
}

void LiveViewImageView::liveViewDoubleTap(Point point) {
  LiveViewSession& session = LiveViewSessionSeam::current();
  if (session.liveViewStatus() == 0) return;
  session.liveViewDoubleTap(Utilities::convertPointToImageCoordinates(point, imageRect()), shownOrientation_);
}
