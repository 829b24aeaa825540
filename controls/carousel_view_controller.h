#pragma once
// A general value picker on a horizontal carousel over the exposure-carousel background: the caller gives a list
// of values and, optionally, a parallel list of visuals (texts or images); the item that comes to rest under the
// centre, or that is clicked, is reported to the delegate, never the same index twice in a row. Two layouts:
// "CarouselView", and "CarouselCancelView" with a dismiss button. Shown by its caller in a window or popover.
// Main thread only.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "controls/visual.h"
#include "platform/foundation/value.h"
#include "platform/ui/view_controller.h"
#include "widgets/i_carousel.h"

class SYFlatButton;
namespace platform {
class ImageView;
}

class CarouselViewController;

// Both optional.
class CarouselViewDelegate {
 public:
  virtual ~CarouselViewDelegate() = default;
  virtual void valueSet(CarouselViewController* picker, int64_t toIndex) {
    (void)picker;
    (void)toIndex;
  }
  virtual void valueChanged(CarouselViewController* picker) { (void)picker; }
};

class CarouselViewController : public platform::ViewController, public iCarouselDataSource, public iCarouselDelegate {
  Q_OBJECT

 public:
  static constexpr double kInitialItemWidth = 40;

  // No values (nullopt) leaves the picker empty. Without visuals each value shows its description. An initial
  // index past the items starts at the first.
  static std::unique_ptr<CarouselViewController> initWithValues(std::optional<platform::ValueArray> values,
                                                                std::optional<std::vector<controls::Visual>> visuals,
                                                                uint32_t initialIndex, bool dismissButton);
  // Starts at the first value whose unsigned 32-bit value equals `initialValue`, else at the first.
  static std::unique_ptr<CarouselViewController> initWithValuesInitialValue(
      std::optional<platform::ValueArray> values, std::optional<std::vector<controls::Visual>> visuals,
      uint32_t initialValue, bool dismissButton);
  ~CarouselViewController() override;

  // The value and visual of the carousel's current item (none when there is no item).
  platform::Value selectedValue() const;
  std::optional<controls::Visual> selectedVisual() const;
  // None for a negative index or one past the end.
  std::optional<controls::Visual> visualAtIndex(int64_t index) const;
  int64_t selectedIndex() const;
  void setSelectedIndex(int64_t index);
  void highlightIndex(int64_t index);
  void setItemWidth(double width);
  double itemWidth() const { return mItemWidth; }

  // The dismiss button's action: the presenting controller dismisses the picker.
  void dismiss();
  void callValueChanged();

  CarouselViewDelegate* delegate() const { return delegate_; }
  void setDelegate(CarouselViewDelegate* delegate) { delegate_ = delegate; }

  // For tests.
  int64_t initialIndex() const { return mInitialIndex; }
  int64_t lastNotifiedIndex() const { return mLastNotifiedIndex; }

  // Carousel data source and delegate.
  int64_t numberOfItemsInCarousel(iCarousel* carousel) override;
  QWidget* viewForItemAtIndex(iCarousel* carousel, int64_t index, QWidget* reusingView) override;
  int64_t numberOfPlaceholdersInCarousel(iCarousel* carousel) override;
  double carouselItemWidth(iCarousel* carousel) override;
  platform::Transform3D itemTransformForOffset(iCarousel* carousel, double offset,
                                               platform::Transform3D base) override;
  double valueForOption(iCarousel* carousel, int64_t option, double value) override;
  void didSelectItemAtIndex(iCarousel* carousel, int64_t index) override;
  void carouselDidEndScrollingAnimation(iCarousel* carousel) override;

  // Outlets.
  iCarousel* oCarouselView = nullptr;
  platform::ImageView* oCarouselBackgroundImageView = nullptr;
  SYFlatButton* oDismissButton = nullptr;

 protected:
  explicit CarouselViewController(bool dismissButton);
  void viewDidLoad() override;
  void viewDidLayout() override;
  void viewWillAppear() override;
  bool performAction(const platform::Action& action) override;

 private:
  void setUp(std::optional<platform::ValueArray> values, std::optional<std::vector<controls::Visual>> visuals,
             uint32_t initialIndex);
  void report(int64_t index);
  size_t count() const { return std::min(mValues.size(), mVisuals.size()); }

  platform::ValueArray mValues;
  std::vector<controls::Visual> mVisuals;
  double mItemWidth = kInitialItemWidth;
  int64_t mInitialIndex = 0;
  int64_t mHighlightedIndex = 0;
  int64_t mLastNotifiedIndex = -1;
  CarouselViewDelegate* delegate_ = nullptr;
};
