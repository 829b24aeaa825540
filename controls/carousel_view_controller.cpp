#include "controls/carousel_view_controller.h"

#include <QLabel>
#include <cmath>

#include "controls/interface_actions.h"
#include "controls/tilted_carousel.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/graphics/font.h"
#include "platform/ui/image_view.h"
#include "platform/ui/interface_file.h"
#include "ui_CarouselCancelView.h"
#include "ui_CarouselView.h"
#include "widgets/sy_flat_button.h"

VX_INTERFACE_FILE("CarouselView", Ui::CarouselView);
VX_INTERFACE_FILE("CarouselCancelView", Ui::CarouselCancelView);

using platform::Color;
using platform::Size;

namespace {

constexpr const char* kTagProperty = "tag";
constexpr int kTextFieldTag = 1;
constexpr double kItemHeight = 20;
constexpr double kBounceDistance = 30;  // points

// The text field of an item view, found by its tag.
QLabel* textFieldOf(QWidget* item) {
  if (!item) return nullptr;
  for (QLabel* label : item->findChildren<QLabel*>())
    if (label->property(kTagProperty).toInt() == kTextFieldTag) return label;
  return nullptr;
}

}  // namespace

CarouselViewController::CarouselViewController(bool dismissButton)
    : ViewController(dismissButton ? "CarouselCancelView" : "CarouselView") {}

CarouselViewController::~CarouselViewController() {
  // The carousel may outlive this controller for a moment (its view is deleted after): it must not call back.
  if (oCarouselView) {
    oCarouselView->setDelegate(nullptr);
    oCarouselView->setDataSource(nullptr);
  }
}

std::unique_ptr<CarouselViewController> CarouselViewController::initWithValues(
    std::optional<platform::ValueArray> values, std::optional<std::vector<controls::Visual>> visuals,
    uint32_t initialIndex, bool dismissButton) {
  std::unique_ptr<CarouselViewController> picker(new CarouselViewController(dismissButton));
  picker->setUp(std::move(values), std::move(visuals), initialIndex);
  return picker;
}

std::unique_ptr<CarouselViewController> CarouselViewController::initWithValuesInitialValue(
    std::optional<platform::ValueArray> values, std::optional<std::vector<controls::Visual>> visuals,
    uint32_t initialValue, bool dismissButton) {
  uint32_t index = 0;
  if (values) {
    for (size_t i = 0; i < values->size(); ++i) {
      if (static_cast<uint32_t>((*values)[i].toInteger()) == initialValue) {
        index = static_cast<uint32_t>(i);
        break;
      }
    }
  }
  return initWithValues(std::move(values), std::move(visuals), index, dismissButton);
}

void CarouselViewController::setUp(std::optional<platform::ValueArray> values,
                                   std::optional<std::vector<controls::Visual>> visuals, uint32_t initialIndex) {
  mLastNotifiedIndex = -1;
  mItemWidth = kInitialItemWidth;
  if (!values) return;
  mValues = std::move(*values);
  if (visuals) {
    mVisuals = std::move(*visuals);
  } else {
    mVisuals.reserve(mValues.size());
    for (const platform::Value& v : mValues) mVisuals.emplace_back(QString::fromStdString(v.description()));
  }
  // Items are counted as the shorter list; an initial index past them starts at the first.
  const int64_t index = initialIndex < count() ? int64_t{initialIndex} : 0;
  mInitialIndex = mHighlightedIndex = mLastNotifiedIndex = index;
}

void CarouselViewController::viewDidLoad() {
  oCarouselView = outlet<iCarousel>("oCarouselView");
  oCarouselBackgroundImageView = outlet<platform::ImageView>("oCarouselBackgroundImageView");
  if (nibName() == "CarouselCancelView") oDismissButton = outlet<SYFlatButton>("oDismissButton");
  if (oCarouselView) {
    oCarouselView->setDataSource(this);
    oCarouselView->setDelegate(this);
  }
  controls::connectInterfaceActions(view());
}

void CarouselViewController::viewDidLayout() {
  if (oCarouselBackgroundImageView && oCarouselBackgroundImageView->image().isNull())
    oCarouselBackgroundImageView->setImage(VorlaxentStyleKit::imageOfCarouselBackgroundWithExposureBracket(0, 0, 0));
}

void CarouselViewController::viewWillAppear() {
  if (oDismissButton) oDismissButton->setImage(VorlaxentStyleKit::imageOfDismissDownWithSize(Size{30, 30}));
  if (!oCarouselView) return;
  if (mItemWidth > 0) oCarouselView->setBounceDistance(kBounceDistance / mItemWidth);
  oCarouselView->setCurrentItemIndex(mInitialIndex);
}

bool CarouselViewController::performAction(const platform::Action& action) {
  if (action.name == "dismiss:") {
    dismiss();
    return true;
  }
  return ViewController::performAction(action);
}

platform::Value CarouselViewController::selectedValue() const {
  const int64_t i = selectedIndex();
  return i >= 0 && static_cast<size_t>(i) < count() ? mValues[static_cast<size_t>(i)] : platform::Value();
}

std::optional<controls::Visual> CarouselViewController::selectedVisual() const { return visualAtIndex(selectedIndex()); }

std::optional<controls::Visual> CarouselViewController::visualAtIndex(int64_t index) const {
  if (index < 0 || static_cast<size_t>(index) >= count()) return std::nullopt;
  return mVisuals[static_cast<size_t>(index)];
}

int64_t CarouselViewController::selectedIndex() const {
  return oCarouselView ? oCarouselView->currentItemIndex() : mInitialIndex;
}

void CarouselViewController::setSelectedIndex(int64_t index) {
  if (oCarouselView) oCarouselView->setCurrentItemIndex(index);
}

void CarouselViewController::highlightIndex(int64_t index) {
  mHighlightedIndex = index;
  if (oCarouselView) oCarouselView->reloadData();
}

void CarouselViewController::setItemWidth(double width) {
  mItemWidth = width;
  if (oCarouselView) oCarouselView->reloadData();
}

void CarouselViewController::dismiss() { dismissController(); }

void CarouselViewController::callValueChanged() {
  if (delegate_) delegate_->valueChanged(this);
}

int64_t CarouselViewController::numberOfItemsInCarousel(iCarousel*) { return static_cast<int64_t>(count()); }

QWidget* CarouselViewController::viewForItemAtIndex(iCarousel*, int64_t index, QWidget* reusingView) {
  auto* item = dynamic_cast<platform::ImageView*>(reusingView);
  QLabel* field = textFieldOf(item);
  if (!item || !field) {
    item = new platform::ImageView();
    item->resize(static_cast<int>(std::lround(mItemWidth)), static_cast<int>(kItemHeight));
    item->layer().setBackgroundColor(Color::clear());
    field = new QLabel(item);
    field->setGeometry(item->rect());
    field->setAttribute(Qt::WA_TranslucentBackground);
    field->setTextInteractionFlags(Qt::NoTextInteraction);
    field->setAlignment(Qt::AlignCenter);
    field->setProperty(kTagProperty, kTextFieldTag);
  }
  const bool highlighted = index == mHighlightedIndex;
  QPalette palette = field->palette();
  palette.setColor(QPalette::WindowText,
                   (highlighted ? Color::rgb(0.0, 0.5, 1.0) : Color::white(0.8)).toQColor());
  field->setPalette(palette);
  field->setFont(platform::Font::named(highlighted ? "AvenirNext-DemiBold" : "AvenirNext-Regular", 16).qfont());
  const std::optional<controls::Visual> visual = visualAtIndex(index);
  if (visual) {
    if (const auto* image = std::get_if<platform::Image>(&*visual)) {
      field->setText(QString());
      item->setImage(*image);
    } else {
      item->setImage(platform::Image());
      field->setText(std::get<QString>(*visual));
    }
  }
  return item;
}

int64_t CarouselViewController::numberOfPlaceholdersInCarousel(iCarousel*) { return 0; }

double CarouselViewController::carouselItemWidth(iCarousel*) { return mItemWidth; }

platform::Transform3D CarouselViewController::itemTransformForOffset(iCarousel* carousel, double offset,
                                                                     platform::Transform3D base) {
  return controls::tiltedItemTransform(offset, carousel ? carousel->itemWidth() : mItemWidth, base);
}

double CarouselViewController::valueForOption(iCarousel*, int64_t option, double value) {
  return controls::tiltedCarouselOption(option, value, 1.1);
}

void CarouselViewController::didSelectItemAtIndex(iCarousel*, int64_t index) { report(index); }

void CarouselViewController::carouselDidEndScrollingAnimation(iCarousel* carousel) {
  if (carousel) report(carousel->currentItemIndex());
}

void CarouselViewController::report(int64_t index) {
  if (index == mLastNotifiedIndex) return;
  mLastNotifiedIndex = index;
  if (delegate_) delegate_->valueSet(this, index);
}
