#pragma once
// The exposure-compensation and bracketing picker: the camera's exposure-compensation values on a carousel over a
// background that marks the bracket, two arrow buttons that narrow or widen the bracket, a Set button and a close
// button. The camera's value is the red item. Set hands the user's choice to the delegate (the capture panel),
// which sets the camera; the picker itself never talks to the camera.
//
// It keeps property codes, never the engine's records: each read is a copy taken under the record's lock. Camera
// changes of its codes arrive on the event thread and are handled on the main thread (nothing queued reaches a
// picker that is gone). Main thread only otherwise.
//
//   auto picker = AdjustExposureCompViewController::initWithExposureCompensation(0xD104, 0xD1D9);  // null: none
//   picker->setDelegate(panel);
//   popover = new SFBPopover(picker.get());
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/notification_center.h"
#include "platform/ui/view_controller.h"
#include "widgets/i_carousel.h"

class AdjustExposureCompViewController;
class SYFlatButton;
namespace platform {
class ImageView;
}

class AdjustExposureCompViewDelegate {
 public:
  virtual ~AdjustExposureCompViewDelegate() = default;
  virtual void exposureCompValueSet(AdjustExposureCompViewController* picker) = 0;
  virtual void exposureBracketingValueSet(AdjustExposureCompViewController* picker) = 0;
  virtual void closeExposureCompView(AdjustExposureCompViewController* picker) = 0;
};

class AdjustExposureCompViewController : public platform::ViewController,
                                         public iCarouselDataSource,
                                         public iCarouselDelegate {
  Q_OBJECT

 public:
  // For the exposure-compensation property `compCode` and the bracketing property `bracketingCode` (0: none).
  // Null when the camera has no record of `compCode`, or its scale has no steps per stop (nothing to pick).
  static std::unique_ptr<AdjustExposureCompViewController> initWithExposureCompensation(uint32_t compCode,
                                                                                        uint32_t bracketingCode);
  ~AdjustExposureCompViewController() override;

  AdjustExposureCompViewDelegate* delegate() const { return delegate_; }
  void setDelegate(AdjustExposureCompViewDelegate* delegate) { delegate_ = delegate; }

  // The camera's value for the centred item (0 without items), and the bracket the user has dialled (stops).
  uint32_t selectedValue() const;
  float selectedBracketing() const { return mCurrentBracket; }

  // Actions of the interface file.
  void close();
  void setAction();
  // One bracket step by the sender's tag: -1 narrows, +1 widens.
  void changeExposureBracket(SYFlatButton* sender);

  void refresh();
  void checkBracketButtonsEnabled();
  void checkSetButtonEnabled();
  // A camera change of one of the picker's codes (any thread: handled on the main thread).
  void propertyUpdatedNotification(const platform::Notification& notification);

  // Carousel data source and delegate.
  int64_t numberOfItemsInCarousel(iCarousel* carousel) override;
  QWidget* viewForItemAtIndex(iCarousel* carousel, int64_t index, QWidget* reusingView) override;
  int64_t numberOfPlaceholdersInCarousel(iCarousel* carousel) override;
  QWidget* placeholderViewAtIndex(iCarousel* carousel, int64_t index, QWidget* reusingView) override;
  double carouselItemWidth(iCarousel* carousel) override;
  platform::Transform3D itemTransformForOffset(iCarousel* carousel, double offset,
                                               platform::Transform3D base) override;
  double valueForOption(iCarousel* carousel, int64_t option, double value) override;
  void carouselCurrentItemIndexDidChange(iCarousel* carousel) override;

  // For the panel and tests.
  const std::vector<float>& exposureValues() const { return mExposureValues; }
  const std::vector<std::string>& exposureStrings() const { return mExposureStrings; }
  int64_t initialIndex() const { return mInitialIndex; }
  float initialBracket() const { return mInitialBracket; }
  bool hasBracketing() const { return hasBracketing_; }
  uint8_t numNegativeBrackets() const { return mNumNegativeBrackets; }
  uint8_t numPositiveBrackets() const { return mNumPositiveBrackets; }
  double itemWidth() const { return mItemWidth; }
  int32_t numberOfPlaceholders() const { return mNumberOfPlaceholders; }
  uint32_t exposureCompPropertyCode() const { return mExposureCompPropertyCode; }
  uint32_t bracketingPropertyCode() const { return mBracketingPropertyCode; }
  // The text a placeholder shows (the scale continued by the bracket range beyond both ends).
  std::string placeholderText(int64_t index) const;

  // Outlets.
  SYFlatButton* oArrowsInButton = nullptr;
  SYFlatButton* oArrowsOutButton = nullptr;
  SYFlatButton* oSetButton = nullptr;
  SYFlatButton* oCloseButton = nullptr;
  iCarousel* oCarouselView = nullptr;
  platform::ImageView* oCarouselBackgroundImageView = nullptr;

  // Colours of the camera's item and of the others.
  static const platform::Color& cameraValueColor();
  static const platform::Color& otherValueColor();

 protected:
  AdjustExposureCompViewController();
  void viewDidLoad() override;
  void viewDidLayout() override;
  void viewDidAppear() override;
  bool performAction(const platform::Action& action) override;

 private:
  void observe();
  void drawBackground();
  void readBracketCounts();
  QWidget* textField(QWidget* reusingView, const std::string& text, const platform::Color& color, double width);

  std::vector<float> mExposureValues;
  std::vector<std::string> mExposureStrings;
  float mMinExposureComp = 0, mMaxExposureComp = 0, mMinExposureBracket = 0, mMaxExposureBracket = 0;
  float mStep = 0;
  int mStepsPerStop = 0;
  int64_t mInitialIndex = 0;
  float mInitialBracket = 0, mCurrentBracket = 0;
  uint32_t mExposureCompPropertyCode = 0, mBracketingPropertyCode = 0;
  uint8_t mNumNegativeBrackets = 0, mNumPositiveBrackets = 0;
  double mItemWidth = 0;
  int32_t mNumberOfPlaceholders = 0;
  bool hasBracketing_ = false;
  AdjustExposureCompViewDelegate* delegate_ = nullptr;
  std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
