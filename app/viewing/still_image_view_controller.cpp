#include "app/viewing/still_image_view_controller.h"

#include <QLabel>
#include <QPalette>

#include "app/viewing/exif_view.h"
#include "app/viewing/histogram_view.h"
#include "app/viewing/live_view_image_view.h"
#include "engine/ptp/vendor_state.h"
#include "engine/store/image_files.h"
#include "engine/store/object_cache.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/autoresizing.h"
#include "platform/ui/frame_notifications.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/view.h"
#include "platform/ui/view_geometry.h"
#include "session/camera_controller.h"
#include "session/exif.h"
#include "session/notification_names.h"
#include "session/ptp_object_info_class.h"
#include "session/utilities.h"
#include "ui_StillImageView.h"
#include "widgets/mb_progress_hud.h"
#include "widgets/sfb_popover.h"
#include "widgets/sy_flat_button.h"

VX_INTERFACE_FILE("StillImageView", Ui::StillImageView);

using platform::Point;
using platform::Rect;

namespace {

constexpr const char* kQuickRawMode = "QuickRawMode";
constexpr const char* kElectronicLevel = "ElectronicLevel";
constexpr unsigned kSizable = platform::ViewWidthSizable | platform::ViewHeightSizable;

platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

std::string lastPathComponent(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Runs `f` on the main thread, waiting for it when called from another.
template <class F>
void onMainThread(F&& f) {
  if (platform::isMainThread()) {
    f();
  } else {
    platform::mainQueue().sync(f);
  }
}

void styleButton(SYFlatButton* button) {
  if (!button) return;
  const platform::Color white = platform::Color::whiteColor();
  button->setBorderNormalColor(platform::Color::white(0.6));
  button->setBorderHighlightColor(white);
  button->setBackgroundNormalColor(platform::Color::clear());
  button->setBackgroundHighlightColor(white);
  button->setTitleNormalColor(white);
  button->setTitleHighlightColor(platform::Color::blackColor());
  button->setImageNormalColor(white);
  button->setImageHighlightColor(platform::Color::blackColor());
  button->setFont(platform::Font::systemFont(11));
}

}  // namespace

void StillImageParentView::resizeEvent(QResizeEvent* event) {
  platform::View::resizeEvent(event);
  for (QWidget* child : findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) child->setGeometry(rect());
}

StillImageViewController::StillImageViewController() : ViewController("StillImageView") {}

StillImageViewController::~StillImageViewController() {
  platform::NotificationCenter::defaultCenter().removeObserver(this);
  cancelRawDecode();
  if (mHistogramPopover) {
    mHistogramPopover->setAnimates(false);
    mHistogramPopover->closePopover();
    mHistogramPopover.reset();
  }
}

void StillImageViewController::viewDidLoad() {
  oImageParentView = outlet<StillImageParentView>("oImageParentView");
  oFileNameTextField = outlet<QLabel>("oFileNameTextField");
  oExifView = outlet<ExifView>("oExifView");
  oHistogramButton = outlet<SYFlatButton>("oHistogramButton");
  oHistogramView = outlet<HistogramView>("oHistogramView");
  oPopoverView = outlet<QWidget>("oPopoverView");
  oZoomFitButton = outlet<SYFlatButton>("oZoomFitButton");
  oZoom0_5Button = outlet<SYFlatButton>("oZoom0_5Button");
  oZoom1Button = outlet<SYFlatButton>("oZoom1Button");
  oZoom2Button = outlet<SYFlatButton>("oZoom2Button");
  oZoom4Button = outlet<SYFlatButton>("oZoom4Button");
  oRotateButton = outlet<SYFlatButton>("oRotateButton");
  oElectronicLevelButton = outlet<SYFlatButton>("oElectronicLevelButton");

  // The bar and the picture's view are laid out by the interface file; the EXIF line lies over the picture's
  // lower left corner (viewDidLayout).
  if (auto* root = dynamic_cast<platform::View*>(view())) root->layer().setBackgroundColor(platform::Color::white(0.12));
  oImageParentView->layer().setBackgroundColor(platform::Color::blackColor());
  QPalette palette = oFileNameTextField->palette();
  palette.setColor(QPalette::WindowText, Qt::white);
  oFileNameTextField->setPalette(palette);
  for (SYFlatButton* button : {oZoomFitButton, oZoom0_5Button, oZoom1Button, oZoom2Button, oZoom4Button,
                               oRotateButton, oElectronicLevelButton, oHistogramButton})
    styleButton(button);
  // The buttons that come and go keep their places in the bar, so that the others do not move.
  for (SYFlatButton* button : {oRotateButton, oElectronicLevelButton}) {
    QSizePolicy policy = button->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    button->setSizePolicy(policy);
  }
  oExifView->raise();
  const platform::Size iconSize = platform::boundsOf(oRotateButton).size;
  oRotateButton->setImage(VorlaxentStyleKit::imageOfRotateIconWithSize(iconSize));
  oHistogramButton->setImage(VorlaxentStyleKit::imageOfHistogramWithSize(iconSize, false));
  oElectronicLevelButton->setImage(VorlaxentStyleKit::imageOfElectronicLevelWithSize(iconSize));

  for (SYFlatButton* button : {oZoomFitButton, oZoom0_5Button, oZoom1Button, oZoom2Button, oZoom4Button})
    button->setAction([this](SYFlatButton* sender) { zoomButtonSelected(sender); });
  oRotateButton->setAction([this](SYFlatButton*) { rotateImage(); });
  oHistogramButton->setAction([this](SYFlatButton*) { toggleHistogram(); });
  oElectronicLevelButton->setAction([this](SYFlatButton*) { electronicLevelButtonAction(); });

  auto& center = platform::NotificationCenter::defaultCenter();
  platform::setPostsFrameChangedNotifications(oHistogramButton, true);
  center.addObserver(
      this, [this](const platform::Notification&) { histogramButtonFrameChanged(); },
      platform::ViewFrameDidChangeNotification, static_cast<const QWidget*>(oHistogramButton));
  center.addObserver(
      this, [this](const platform::Notification& n) { liveViewImageNotification(n); }, kLiveViewImageNotification);
  for (const char* name : {kLiveViewToggledNotification, kMovieModeToggledNotification})
    center.addObserver(this, [this](const platform::Notification& n) { liveViewToggledNotification(n); }, name);

  mZoomFactor = 1.0;
  oElectronicLevelButton->setState(defaults().boolForKey(kElectronicLevel) ? 1 : 0);
  oElectronicLevelButton->hide();
  oRotateButton->hide();
  selectButtonForZoomFactor(0);
  setZoomButtonsEnabled(false);
  oRotateButton->setEnabled(false);
  oHistogramButton->setEnabled(false);
}

void StillImageViewController::viewDidLayout() {
  const Rect frame = platform::frameOf(oExifView);
  platform::setFrame(oExifView, Rect(8, 4, frame.width(), frame.height()));
}

// ---------------------------------------------------------------------------------------------------------------
// Showing and clearing

void StillImageViewController::setImage(const platform::Data& data, std::shared_ptr<const PtpObjectInfoClass> object) {
  setImage(std::make_shared<const platform::Data>(data), std::move(object));
}

void StillImageViewController::setImage(platform::Data&& data, std::shared_ptr<const PtpObjectInfoClass> object) {
  setImage(std::make_shared<const platform::Data>(std::move(data)), std::move(object));
}

void StillImageViewController::setImage(std::shared_ptr<const platform::Data> data,
                                        std::shared_ptr<const PtpObjectInfoClass> object) {
  if (!platform::isMainThread()) {
    onMainThread([&] { setImage(data, object); });
    return;
  }
  view();
  clearImage();
  if (!data || !object) return;

  mImageScrollView = new QY_ImageScrollView(platform::boundsOf(oImageParentView), oImageParentView);
  mImageScrollView->setObjectName("oImageScrollView");
  mImageScrollView->setDelegate(this);
  mImageScrollView->show();

  setZoomButtonsEnabled(true);
  oRotateButton->setEnabled(true);
  oHistogramButton->setEnabled(true);
  oRotateButton->show();

  mImageData = std::move(data);
  mObjectInfoClass = std::move(object);
  loadImageFromData(mObjectInfoClass->objectFormat(), kOrientationFromFile);

  selectButtonForZoomFactor(0);
  mIsZoomed = false;

  const std::string cached = objCacheGetImagePath(mObjectInfoClass->origObjectInfo());
  const std::string name = !cached.empty() ? lastPathComponent(cached) : mObjectInfoClass->fileName().value_or("");
  oFileNameTextField->setText(QString::fromStdString(name));

  std::shared_ptr<Exif> exif = Exif::initWithData(mImageData->data(), mImageData->size(),
                                                  mObjectInfoClass->objectFormat(), Utilities::exifHeaderLength());
  if (exif && camIsCanon() && exif->focalLength() != 0) CameraController::updateFocalLength(exif->focalLength());
  oExifView->setExif(exif);
}

void StillImageViewController::clearImage() {
  if (!platform::isMainThread()) {
    onMainThread([this] { clearImage(); });
    return;
  }
  view();
  // Whatever is still being decoded for the old picture is not shown.
  ++mImageGeneration;
  ++mTurnGeneration;
  cancelRawDecode();
  hideProgress();
  mImageRef = QImage();
  mUnturnedImage = QImage();
  mRawPreview = QImage();
  mShowsRawPreview = false;
  delete mImageScrollView.data();
  mObjectInfoClass.reset();
  mImageData.reset();
  mIsZoomed = false;
  mImageRect = Rect();
  oRotateButton->hide();
  // The name and the EXIF line describe the picture: they go with it.
  oFileNameTextField->clear();
  oExifView->setExif(nullptr);
  if (histogramPopoverVisible()) {
    oHistogramView->clear();
    mHistogramPopover->setAnimates(false);
    mHistogramPopover->closePopover();
    mHistogramPopover->setAnimates(true);
    mHistogramPopover->displayPopoverInWindow(windowOfView(), histogramAnchor());
  }
  setZoomButtonsEnabled(false);
  oRotateButton->setEnabled(false);
  oHistogramButton->setEnabled(false);
  if (mLiveViewImageView) {
    mLiveViewImageView->removeFromSuperview();
    mLiveViewImageView.clear();
  }
}

void StillImageViewController::loadImageFromData(uint16_t format, uint8_t orientation) {
  if (!mImageData || !mObjectInfoClass) return;
  const bool raw = stillImageIsRaw(format, mObjectInfoClass->fileName().value_or(""));
  if (raw && !defaults().boolForKey(kQuickRawMode)) {
    hideProgress();
    mProgress = MBProgressHUD::showHUDAddedTo(view(), true);
  }
  startDecode(orientation);
}

void StillImageViewController::startDecode(uint8_t orientation) {
  const uint64_t generation = ++mImageGeneration;
  const uint64_t turn = ++mTurnGeneration;
  cancelRawDecode();
  auto cancel = std::make_shared<std::atomic<bool>>(false);
  mRawDecodeCancel = cancel;
  StillImageSource source;
  source.data = mImageData;
  source.format = mObjectInfoClass->objectFormat();
  source.fileName = mObjectInfoClass->fileName().value_or("");
  source.objectOrientation = mObjectInfoClass->orientation();
  source.quickRaw = defaults().boolForKey(kQuickRawMode);

  ++mWorkInFlight;
  QPointer<StillImageViewController> self(this);
  platform::globalQueue().async([self, source, orientation, cancel, generation, turn] {
    // Everything the decode makes is its own until the main thread takes it.
    std::optional<StillDecodedPicture> first = stillDecodeFirstPicture(source, orientation, cancel.get());
    QImage shown = first ? stillTurnedImage(first->unturned, first->orientation) : QImage();
    platform::mainQueue().async([self, source, first = std::move(first), shown = std::move(shown), generation, turn] {
      if (!self) return;
      --self->mWorkInFlight;
      if (generation != self->mImageGeneration) return;  // a newer picture or a clear came
      self->hideProgress();
      if (!first) return;  // nothing decoded: the area stays as it was
      self->mCurrentOrientation = first->orientation;
      self->mUnturnedImage = first->unturned;
      self->mRawPreview = first->fullRawFollows ? first->unturned : QImage();
      self->mShowsRawPreview = first->fullRawFollows;
      if (turn == self->mTurnGeneration) {
        self->showPicture(shown, false);
      } else {
        self->startTurn(first->unturned, self->mCurrentOrientation, generation);
      }
      if (first->fullRawFollows) self->startFullRawDecode(source, generation);
    });
  });
}

void StillImageViewController::startFullRawDecode(const StillImageSource& source, uint64_t generation) {
  std::shared_ptr<std::atomic<bool>> cancel = mRawDecodeCancel;
  if (!cancel) return;
  ++mWorkInFlight;
  QPointer<StillImageViewController> self(this);
  platform::globalQueue().async([self, source, cancel, generation] {
    std::optional<QImage> full = cancel->load() ? std::nullopt : stillDecodeFullRaw(source, cancel.get());
    platform::mainQueue().async([self, full = std::move(full), generation] {
      if (!self) return;
      --self->mWorkInFlight;
      if (generation != self->mImageGeneration) return;
      self->mShowsRawPreview = false;
      if (!full) return;  // the converter failed: the preview stays
      self->mUnturnedImage = *full;
      self->startTurn(*full, self->mCurrentOrientation, generation);
    });
  });
}

void StillImageViewController::startTurn(QImage unturned, uint8_t orientation, uint64_t generation) {
  const uint64_t turn = ++mTurnGeneration;
  ++mWorkInFlight;
  QPointer<StillImageViewController> self(this);
  platform::globalQueue().async([self, unturned = std::move(unturned), orientation, generation, turn] {
    QImage shown = stillTurnedImage(unturned, orientation);
    platform::mainQueue().async([self, shown = std::move(shown), generation, turn] {
      if (!self) return;
      --self->mWorkInFlight;
      if (generation != self->mImageGeneration || turn != self->mTurnGeneration) return;
      self->showPicture(shown, true);
    });
  });
}

void StillImageViewController::showPicture(const QImage& shown, bool replacesPicture) {
  (void)replacesPicture;  // the scroll view keeps its fit or zoom for a picture that replaces another
  mImageRef = shown;
  mImageRect = Rect(0, 0, shown.width(), shown.height());
  ++mPicturesShown;
  updateExifSize();
  if (mImageScrollView) mImageScrollView->setImageRef(shown);
  if (histogramPopoverVisible()) refreshHistogram();
}

void StillImageViewController::updateExifSize() {
  std::shared_ptr<Exif> exif = oExifView->exif();
  if (!exif || exif->xDimension() >= 500) return;
  exif->setSize(mImageRect.width(), mImageRect.height());
  oExifView->setExif(exif);
}

void StillImageViewController::cancelRawDecode() {
  if (mRawDecodeCancel) mRawDecodeCancel->store(true);
  mRawDecodeCancel.reset();
}

void StillImageViewController::hideProgress() {
  if (!mProgress) return;
  mProgress->setRemoveFromSuperViewOnHide(true);
  mProgress->hide(true);
  mProgress.clear();
}

void StillImageViewController::rotateImage() {
  if (mUnturnedImage.isNull()) return;  // nothing shown yet
  const uint8_t next = stillNextOrientation(mCurrentOrientation);
  if (next == 0) return;
  mCurrentOrientation = next;
  startTurn(mUnturnedImage, next, mImageGeneration);
}

// ---------------------------------------------------------------------------------------------------------------
// Zoom

void StillImageViewController::setZoomButtonsEnabled(bool enabled) {
  for (SYFlatButton* button : {oZoomFitButton, oZoom0_5Button, oZoom1Button, oZoom2Button, oZoom4Button})
    button->setEnabled(enabled);
}

double StillImageViewController::zoomFactorFromButton(const SYFlatButton* button) {
  switch (button ? button->tag() : 0) {
    case 1: return 0.5;
    case 2: return 1.0;
    case 3: return 2.0;
    case 4: return 4.0;
    default: return 0;
  }
}

void StillImageViewController::zoomButtonSelected(SYFlatButton* sender) {
  if (!sender) return;
  if (sender == mCurrentZoomButton) {
    sender->setState(1);  // the selected button stays selected
    return;
  }
  if (mCurrentZoomButton) mCurrentZoomButton->setState(0);
  mCurrentZoomButton = sender;
  sender->setState(1);
  if (sender == oZoomFitButton) {
    zoomToFit();
  } else {
    zoomToFactor(zoomFactorFromButton(sender));
  }
}

void StillImageViewController::selectButtonForZoomFactor(double factor) {
  if (mCurrentZoomButton) mCurrentZoomButton->setState(0);
  SYFlatButton* button = oZoomFitButton;
  if (factor == 0.5) button = oZoom0_5Button;
  else if (factor == 1.0) button = oZoom1Button;
  else if (factor == 2.0) button = oZoom2Button;
  else if (factor == 4.0) button = oZoom4Button;
  mCurrentZoomButton = button;
  button->setState(1);
}

void StillImageViewController::zoomToFit() {
  if (mImageScrollView) mImageScrollView->setZoomToFit();
  mIsZoomed = false;
}

void StillImageViewController::zoomToFactor(double factor) {
  if (!mImageScrollView) return;
  Point centre;
  if (mIsZoomed) {
    // The middle of what shows now.
    const Rect visible = mImageScrollView->documentVisibleRect();
    centre = {visible.midX(), visible.midY()};
  } else {
    const QWidget* document = mImageScrollView->documentView();
    const Rect fitted = Utilities::rectThatFitsImageSize(mImageRect.size, platform::boundsOf(document));
    centre = {fitted.width() / 2, fitted.height() / 2};
  }
  setZoomFactor(factor, centre);
}

void StillImageViewController::setZoomFactor(double factor, Point point) {
  mZoomFactor = factor;
  if (mImageScrollView) mImageScrollView->setZoomFactor(float(factor), point);
  mIsZoomed = true;
}

void StillImageViewController::imageScrollViewDoubleClicked(QY_ImageScrollView*, Point point) {
  if (mIsZoomed) {
    zoomToFit();
    selectButtonForZoomFactor(0);
  } else {
    setZoomFactor(mZoomFactor, point);
    selectButtonForZoomFactor(mZoomFactor);
  }
}

// ---------------------------------------------------------------------------------------------------------------
// Histogram

QWidget* StillImageViewController::windowOfView() const {
  return const_cast<StillImageViewController*>(this)->view()->window();
}

Point StillImageViewController::histogramAnchor() const {
  const Rect bounds = platform::boundsOf(oHistogramButton);
  return platform::convertPoint({bounds.midX(), bounds.midY()}, oHistogramButton, nullptr);
}

bool StillImageViewController::histogramPopoverVisible() const {
  return mHistogramPopover && mHistogramPopover->isVisible();
}

void StillImageViewController::toggleHistogram() {
  if (histogramPopoverVisible()) {
    mHistogramPopover->closePopover();
    return;
  }
  if (!mHistogramPopover) {
    oPopoverView->show();
    mHistogramPopover = std::make_unique<SFBPopover>(oPopoverView);
    mHistogramPopover->setPosition(SFBPopoverPositionTopLeft);
    mHistogramPopover->setBorderColor(platform::Color::clear());
    mHistogramPopover->setBorderWidth(0);
    mHistogramPopover->setDistance(12);
    mHistogramPopover->setBackgroundColor(platform::Color::blackColor().withAlpha(0.2));
  }
  mHistogramPopover->displayPopoverInWindow(windowOfView(), histogramAnchor());
  refreshHistogram();
}

void StillImageViewController::refreshHistogram() {
  if (mImageRef.isNull() || !mObjectInfoClass) return;
  const bool rawName = fileIsRaw(mObjectInfoClass->fileName().value_or("").c_str());
  if (rawName && !defaults().boolForKey(kQuickRawMode)) {
    // A raw file's histogram is its preview's, as the camera rendered it; none without a preview.
    if (mRawPreview.isNull()) {
      oHistogramView->clear();
      return;
    }
    oHistogramView->setImageRef(mRawPreview, true, true);
    return;
  }
  oHistogramView->setImageRef(mImageRef, true, true);  // decoded photos are opaque
}

void StillImageViewController::histogramButtonFrameChanged() {
  if (histogramPopoverVisible()) mHistogramPopover->movePopoverToPoint(histogramAnchor());
}

void StillImageViewController::electronicLevelButtonAction() {
  defaults().setBool(oElectronicLevelButton->state() == 1, kElectronicLevel);
}

// ---------------------------------------------------------------------------------------------------------------
// Live view

// Notifications posted off the main thread are handled again on the main queue: true when that was arranged.
bool StillImageViewController::resendToMainQueue(void (StillImageViewController::*handler)(const platform::Notification&),
                                                 const platform::Notification& notification) {
  if (platform::isMainThread()) return false;
  QPointer<StillImageViewController> self(this);
  platform::mainQueue().async([self, handler, notification] {
    if (self) (self.data()->*handler)(notification);
  });
  return true;
}

void StillImageViewController::liveViewImageNotification(const platform::Notification& notification) {
  if (resendToMainQueue(&StillImageViewController::liveViewImageNotification, notification)) return;
  const VendorType vendor = camVendor();
  const uint8_t code = vendor == VENDOR_CANON || vendor == VENDOR_NIKON || vendor == VENDOR_SONY || vendor == VENDOR_FUJI
                           ? uint8_t(vendor)
                           : 0;
  setLiveViewImage(notification.object.toData(), code);
}

void StillImageViewController::setLiveViewImage(const platform::Data& frame, uint8_t vendor) {
  view();
  // Live view went off: a frame still on its way from the loop does not lift the veil. The next live view starts
  // with a new display.
  if (mLiveViewImageView && mLiveViewImageView->isDisabled()) return;
  if (!mLiveViewImageView) {
    mLiveViewImageView = new LiveViewImageView(platform::boundsOf(oImageParentView), oImageParentView);
    mLiveViewImageView->setObjectName("oLiveViewImageView");
    platform::setAutoresizingMask(mLiveViewImageView, kSizable);
    mLiveViewImageView->show();
    setZoomButtonsEnabled(false);
    oRotateButton->setEnabled(true);
    oHistogramButton->setEnabled(true);
  }
  if (histogramPopoverVisible()) {
    QPointer<HistogramView> histogram(oHistogramView);
    mLiveViewImageView->setLiveViewImage(
        frame,
        [histogram](const QImage& bitmap) {
          if (histogram) histogram->setImageRef(bitmap, true);
        },
        vendor);
  } else {
    mLiveViewImageView->setLiveViewImage(frame, {}, vendor);
    if (oHistogramView->showsHistogram() || oHistogramView->isCounting()) oHistogramView->clear();
  }
}

void StillImageViewController::liveViewToggledNotification(const platform::Notification& notification) {
  if (resendToMainQueue(&StillImageViewController::liveViewToggledNotification, notification)) return;
  view();
  const bool on = notification.object.toBool();
  if (on) {
    clearImage();
  } else if (mLiveViewImageView) {
    mLiveViewImageView->setDisabled();
  }
  oElectronicLevelButton->setVisible(on);
}
