#pragma once
// The image area of the camera window (interface file "StillImageView"): one still picture at a time, the one the
// camera just took or the one picked in the thumbnail strip, with zoom buttons, rotation, a histogram in a popover
// and an EXIF summary line; and, while live view or movie mode runs, the live-view display in its place.
//
// Pictures are decoded on the global queue and shown on the main thread. Each decode works on its own copies and
// hands its picture to the main thread tagged with the generation it was started for: a newer picture, a clear or
// a rotation makes older results stale, and stale results are dropped, so two decodes in flight never share state
// and the older never wins. A raw file shows its embedded preview first; the raw converter's whole picture then
// replaces it with the fit or zoom kept, unless a newer picture has come (which stops the converter). Main thread,
// except for setImage and clearImage, which may be called from any thread and wait for the main thread.
#include <QImage>
#include <QPointer>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>

#include "app/viewing/live_view_image_view.h"
#include "app/viewing/qy_image_scroll_view.h"
#include "app/viewing/still_image_decoder.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/value.h"
#include "platform/graphics/geometry.h"
#include "platform/ui/view_controller.h"

class Exif;
class ExifView;
class HistogramView;
class MBProgressHUD;
class PtpObjectInfoClass;
class QLabel;
class SFBPopover;
class SYFlatButton;

// The view that holds the picture's zoomable view or the live-view display: what it holds always fills it, also
// after size changes made while it was hidden.
class StillImageParentView : public platform::View {
 public:
  explicit StillImageParentView(QWidget* parent = nullptr) : platform::View(parent) {}

 protected:
  void resizeEvent(QResizeEvent* event) override;
};

class StillImageViewController : public platform::ViewController, public QY_ImageScrollViewDelegate {
  Q_OBJECT

 public:
  StillImageViewController();
  ~StillImageViewController() override;

  // Shows the picture of an image file (its bytes and its object).
  void setImage(std::shared_ptr<const platform::Data> data, std::shared_ptr<const PtpObjectInfoClass> object);
  void setImage(const platform::Data& data, std::shared_ptr<const PtpObjectInfoClass> object);
  // The bytes handed over without a copy (a download's result).
  void setImage(platform::Data&& data, std::shared_ptr<const PtpObjectInfoClass> object);
  // The object shown (null when none).
  std::shared_ptr<const PtpObjectInfoClass> currentObjectInfo() const { return mObjectInfoClass; }
  // Empties the area.
  void clearImage();

  // Starts decoding the kept data in the background with `orientation` (kOrientationFromFile: the file's).
  void loadImageFromData(uint16_t format, uint8_t orientation);
  // Rotate button: the next orientation (1 -> 6 -> 3 -> 8 -> 1), the picture turned again in the background.
  void rotateImage();

  // Zoom: the buttons' action, a button's factor (tag 1 to 4: 0.5, 1, 2, 4; anything else 0), selection.
  void zoomButtonSelected(SYFlatButton* sender);
  static double zoomFactorFromButton(const SYFlatButton* button);
  void selectButtonForZoomFactor(double factor);
  void zoomToFactor(double factor);
  void zoomToFit();
  void setZoomFactor(double factor, platform::Point point);
  void imageScrollViewDoubleClicked(QY_ImageScrollView* view, platform::Point point) override;

  // Histogram popover.
  void toggleHistogram();
  void refreshHistogram();
  void histogramButtonFrameChanged();

  // Level button: writes "ElectronicLevel" from its state.
  void electronicLevelButtonAction();

  // Live view.
  void liveViewImageNotification(const platform::Notification& notification);
  void setLiveViewImage(const platform::Data& frame, uint8_t vendor);
  void liveViewToggledNotification(const platform::Notification& notification);

  // --- state, for the camera window, tests and the window shots ---
  bool isZoomed() const { return mIsZoomed; }
  double zoomFactor() const { return mZoomFactor; }
  uint8_t currentOrientation() const { return mCurrentOrientation; }
  const platform::Rect& imageRect() const { return mImageRect; }
  // The picture on show (upright), and whether it is a raw file's preview still waiting for its whole picture.
  const QImage& imageRef() const { return mImageRef; }
  bool showsRawPreview() const { return mShowsRawPreview; }
  // Decodes, turns and raw conversions started and not yet handed back to the main thread.
  int workInFlight() const { return mWorkInFlight; }
  // Pictures put on show so far.
  uint64_t picturesShown() const { return mPicturesShown; }
  QY_ImageScrollView* imageScrollView() const { return mImageScrollView; }
  LiveViewImageView* liveViewImageView() const { return mLiveViewImageView; }
  SFBPopover* histogramPopover() const { return mHistogramPopover.get(); }
  bool histogramPopoverVisible() const;
  SYFlatButton* currentZoomButton() const { return mCurrentZoomButton; }
  HistogramView* histogramView() const { return oHistogramView; }
  ExifView* exifView() const { return oExifView; }

 protected:
  void viewDidLoad() override;
  void viewDidLayout() override;

 private:
  // One picture handed back by the background work, for the generation it was started for.
  struct Decoded;
  void startDecode(uint8_t orientation);
  void startFullRawDecode(const StillImageSource& source, uint64_t generation);
  void startTurn(QImage unturned, uint8_t orientation, uint64_t generation);
  void showPicture(const QImage& shown, bool replacesPreview);
  void updateExifSize();
  void cancelRawDecode();
  void hideProgress();
  platform::Point histogramAnchor() const;
  void setZoomButtonsEnabled(bool enabled);
  QWidget* windowOfView() const;
  bool resendToMainQueue(void (StillImageViewController::*handler)(const platform::Notification&),
                         const platform::Notification& notification);

  // Outlets.
  StillImageParentView* oImageParentView = nullptr;
  QLabel* oFileNameTextField = nullptr;
  ExifView* oExifView = nullptr;
  SYFlatButton* oHistogramButton = nullptr;
  HistogramView* oHistogramView = nullptr;
  QWidget* oPopoverView = nullptr;
  SYFlatButton* oZoomFitButton = nullptr;
  SYFlatButton* oZoom0_5Button = nullptr;
  SYFlatButton* oZoom1Button = nullptr;
  SYFlatButton* oZoom2Button = nullptr;
  SYFlatButton* oZoom4Button = nullptr;
  SYFlatButton* oRotateButton = nullptr;
  SYFlatButton* oElectronicLevelButton = nullptr;

  std::shared_ptr<const PtpObjectInfoClass> mObjectInfoClass;
  bool mIsZoomed = false;
  platform::Rect mImageRect;
  QPointer<QY_ImageScrollView> mImageScrollView;
  QImage mImageRef;        // the picture on show, upright
  QImage mUnturnedImage;   // the best picture decoded so far, as stored (what a rotation turns)
  QImage mRawPreview;      // a raw file's preview, as stored (what its histogram counts)
  std::shared_ptr<const platform::Data> mImageData;
  uint8_t mCurrentOrientation = 1;
  std::unique_ptr<SFBPopover> mHistogramPopover;
  SYFlatButton* mCurrentZoomButton = nullptr;
  double mZoomFactor = 1.0;
  QPointer<LiveViewImageView> mLiveViewImageView;

  // Background work: the picture's generation (a new picture and a clear bump it), the turn's (each rotation and
  // each decode bump it), and the stop flag of the raw conversion running for the current picture.
  uint64_t mImageGeneration = 0;
  uint64_t mTurnGeneration = 0;
  std::shared_ptr<std::atomic<bool>> mRawDecodeCancel;
  bool mShowsRawPreview = false;
  int mWorkInFlight = 0;
  uint64_t mPicturesShown = 0;
  QPointer<MBProgressHUD> mProgress;
};
