#include "controls/adjust_exposure_comp_view_controller.h"

#include <QLabel>
#include <cmath>
#include <cstdio>

#include "controls/interface_actions.h"
#include "controls/tilted_carousel.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/dispatch.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/graphics/font.h"
#include "platform/ui/image_view.h"
#include "platform/ui/interface_file.h"
#include "platform/ui/view.h"
#include "platform/ui/view_geometry.h"
#include "session/utilities.h"
#include "ui_AdjustExposureComp.h"
#include "widgets/sy_flat_button.h"

VX_INTERFACE_FILE("AdjustExposureComp", Ui::AdjustExposureComp);

using platform::Color;
using platform::Size;

namespace {

constexpr const char* kTagProperty = "tag";
constexpr int kTextFieldTag = 1;
constexpr float kBracketTolerance = 0.1f;
// No camera's scale has more steps than this; a wider range from a confused record is cut there.
constexpr size_t kMostValues = 1000;
constexpr double kStopsAcross = 6.8;

std::string stopLabel(float stops) {
  const float rounded = std::round(stops);
  if (std::fabs(stops - rounded) < 0.1f) return std::to_string(static_cast<int>(rounded));
  return "|";
}

}  // namespace

AdjustExposureCompViewController::AdjustExposureCompViewController() : ViewController("AdjustExposureComp") {}

AdjustExposureCompViewController::~AdjustExposureCompViewController() {
  *alive_ = false;
  platform::NotificationCenter::defaultCenter().removeObserver(this);
  // The carousel may outlive the picker for a moment (its view goes after): it must not call back.
  if (isViewLoaded() && oCarouselView) {
    oCarouselView->setDelegate(nullptr);
    oCarouselView->setDataSource(nullptr);
  }
}

const Color& AdjustExposureCompViewController::cameraValueColor() {
  static const Color c = Color::rgb(0.8, 0.0, 0.0, 1.0);
  return c;
}

const Color& AdjustExposureCompViewController::otherValueColor() {
  static const Color c = Color::rgb(0.8, 0.8, 0.8, 1.0);
  return c;
}

std::unique_ptr<AdjustExposureCompViewController> AdjustExposureCompViewController::initWithExposureCompensation(
    uint32_t compCode, uint32_t bracketingCode) {
  const PropertyCopy comp = compCode ? propCopyValues(compCode) : nullptr;
  if (!comp) return nullptr;
  const int stepsPerStop = camExposureCompCount();
  // A scale without steps has no values to offer (and would have no width per value).
  if (stepsPerStop <= 0) return nullptr;

  std::unique_ptr<AdjustExposureCompViewController> p(new AdjustExposureCompViewController());
  p->mExposureCompPropertyCode = compCode;
  const PropertyCopy bracket = bracketingCode ? propCopyValues(bracketingCode) : nullptr;
  if (bracket) {
    p->mBracketingPropertyCode = bracketingCode;
    p->mInitialBracket = camExposureCompCode(bracket->value);
    p->hasBracketing_ = true;
  }
  const float current = camExposureCompGet(comp->value);
  const bool movie = compCode != camVendorPropertyCodes().exposureCompensation;
  p->mMaxExposureComp = camExposureCompMax(movie);
  p->mMinExposureComp = camExposureCompMin(movie);
  p->mMaxExposureBracket = std::max(0.0f, camBracketMax());
  p->mMinExposureBracket = -p->mMaxExposureBracket;
  if (p->hasBracketing_) p->readBracketCounts();
  p->mStepsPerStop = stepsPerStop;
  p->mStep = 1.0f / static_cast<float>(stepsPerStop);

  for (float v = p->mMinExposureComp;
       static_cast<double>(v) < static_cast<double>(p->mMaxExposureComp) + 0.1 && p->mExposureValues.size() < kMostValues;
       v += p->mStep) {
    if (std::fabs(current - v) < 0.1f) p->mInitialIndex = static_cast<int64_t>(p->mExposureValues.size());
    p->mExposureValues.push_back(v);
    p->mExposureStrings.push_back(stopLabel(v));
  }
  p->mCurrentBracket = p->mInitialBracket;

  QWidget* view = p->view();
  p->mItemWidth = view->width() / (kStopsAcross * stepsPerStop);
  p->mNumberOfPlaceholders = static_cast<int32_t>(std::trunc(stepsPerStop * p->mMaxExposureBracket * 2));
  p->observe();
  if (p->oCarouselView) {
    p->oCarouselView->reloadData();
    // On the camera's value from the start, so that the popover fades in on it (viewDidAppear jumps there too).
    p->oCarouselView->setCurrentItemIndex(p->mInitialIndex);
  }
  return p;
}

void AdjustExposureCompViewController::readBracketCounts() {
  uint8_t below = 0, above = 0;
  if (!camExposureCompValues(&below, &above)) below = above = 0;
  mNumNegativeBrackets = below;
  mNumPositiveBrackets = above;
}

void AdjustExposureCompViewController::observe() {
  std::vector<uint32_t> codes{mExposureCompPropertyCode};
  if (hasBracketing_) {
    codes.push_back(mBracketingPropertyCode);
    if (camIsNikon())
      for (uint32_t c : {0xD0C0u, 0xD0C1u, 0xD0C2u})
        if (c != mBracketingPropertyCode) codes.push_back(c);
  }
  platform::NotificationCenter& center = platform::NotificationCenter::defaultCenter();
  for (uint32_t code : codes) {
    // Posted on the event thread: the handler only hops, and the picker is looked at on the main thread.
    center.addObserver(
        this,
        [alive = alive_, self = this](const platform::Notification& n) {
          platform::mainQueue().async([alive, self, n] {
            if (*alive) self->propertyUpdatedNotification(n);
          });
        },
        "JW_" + std::to_string(code));
  }
}

void AdjustExposureCompViewController::viewDidLoad() {
  oArrowsInButton = outlet<SYFlatButton>("oArrowsInButton");
  oArrowsOutButton = outlet<SYFlatButton>("oArrowsOutButton");
  oSetButton = outlet<SYFlatButton>("oSetButton");
  oCloseButton = outlet<SYFlatButton>("oCloseButton");
  oCarouselView = outlet<iCarousel>("oCarouselView");
  oCarouselBackgroundImageView = outlet<platform::ImageView>("oCarouselBackgroundImageView");
  if (auto* root = dynamic_cast<platform::View*>(view())) {
    root->layer().setBackgroundColor(Color::rgb(0.11, 0.11, 0.12, 0.96));
    root->layer().setCornerRadius(6);
  }
  if (oCarouselBackgroundImageView)
    oCarouselBackgroundImageView->setImageScaling(platform::ImageScaling::AxesIndependently);
  if (oSetButton) {
    oSetButton->setTitle(QString::fromStdString(platform::localizedString("Set")));
    oSetButton->setFont(platform::Font::named(QStringLiteral("AvenirNext-DemiBold"), 14));
  }
  if (oCloseButton) oCloseButton->setImage(VorlaxentStyleKit::imageOfXMarkWithSize(Size{16, 16}));
  if (oCarouselView) {
    oCarouselView->setDataSource(this);
    oCarouselView->setDelegate(this);
  }
  controls::connectInterfaceActions(view());
}

void AdjustExposureCompViewController::viewDidLayout() {
  if (oCarouselBackgroundImageView && oCarouselBackgroundImageView->image().isNull()) drawBackground();
  refresh();
}

void AdjustExposureCompViewController::viewDidAppear() {
  if (!oCarouselView) return;
  oCarouselView->setCurrentItemIndex(mInitialIndex);
  oCarouselView->layer().setBackgroundColor(Color::clear());
  checkSetButtonEnabled();
}

bool AdjustExposureCompViewController::performAction(const platform::Action& action) {
  if (action.name == "close:") {
    close();
  } else if (action.name == "setAction:") {
    setAction();
  } else if (action.name == "changeExposureBracket:") {
    changeExposureBracket(action.sender<SYFlatButton>());
  } else {
    return ViewController::performAction(action);
  }
  return true;
}

void AdjustExposureCompViewController::drawBackground() {
  if (!oCarouselBackgroundImageView) return;
  oCarouselBackgroundImageView->setImage(VorlaxentStyleKit::imageOfCarouselBackgroundWithExposureBracket(
      mCurrentBracket, mNumNegativeBrackets, mNumPositiveBrackets));
}

void AdjustExposureCompViewController::refresh() {
  checkBracketButtonsEnabled();
  if (!oArrowsInButton || !oArrowsOutButton) return;
  const Size b = platform::boundsOf(oArrowsInButton).size;
  const Size size{0.8 * b.width, 0.8 * b.height};
  oArrowsInButton->setImage(VorlaxentStyleKit::imageOfArrowsInWithSize(size, false, oArrowsInButton->isEnabled()));
  oArrowsOutButton->setImage(VorlaxentStyleKit::imageOfArrowsOutWithSize(size, false, oArrowsOutButton->isEnabled()));
}

void AdjustExposureCompViewController::checkBracketButtonsEnabled() {
  if (!oArrowsInButton || !oArrowsOutButton) return;
  if (hasBracketing_) {
    oArrowsInButton->setEnabled(mCurrentBracket > kBracketTolerance);
    oArrowsOutButton->setEnabled(camBracketMax() > mCurrentBracket + kBracketTolerance);
    checkSetButtonEnabled();
  } else {
    oArrowsInButton->setEnabled(false);
    oArrowsOutButton->setEnabled(false);
  }
}

void AdjustExposureCompViewController::checkSetButtonEnabled() {
  if (!platform::isMainThread()) {
    platform::mainQueue().async([alive = alive_, self = this] {
      if (*alive) self->checkSetButtonEnabled();
    });
    return;
  }
  if (!oSetButton) return;
  const int64_t shown = oCarouselView ? oCarouselView->currentItemIndex() : mInitialIndex;
  oSetButton->setEnabled(shown != mInitialIndex || std::fabs(mInitialBracket - mCurrentBracket) > kBracketTolerance);
}

void AdjustExposureCompViewController::changeExposureBracket(SYFlatButton* sender) {
  if (!sender) return;
  mCurrentBracket += camChangeBracket(static_cast<int>(sender->tag()), mCurrentBracket);
  if (mCurrentBracket < 0) mCurrentBracket = 0;
  drawBackground();
  refresh();
}

void AdjustExposureCompViewController::setAction() {
  const int64_t shown = oCarouselView ? oCarouselView->currentItemIndex() : mInitialIndex;
  if (shown != mInitialIndex && delegate_) delegate_->exposureCompValueSet(this);
  if (std::fabs(mInitialBracket - mCurrentBracket) > kBracketTolerance && delegate_)
    delegate_->exposureBracketingValueSet(this);
}

void AdjustExposureCompViewController::close() {
  if (delegate_) delegate_->closeExposureCompView(this);
}

uint32_t AdjustExposureCompViewController::selectedValue() const {
  const int64_t index = oCarouselView ? oCarouselView->currentItemIndex() : mInitialIndex;
  if (index < 0 || static_cast<size_t>(index) >= mExposureValues.size()) return 0;
  return camExposureCompSelected(mExposureValues[static_cast<size_t>(index)]);
}

void AdjustExposureCompViewController::propertyUpdatedNotification(const platform::Notification& notification) {
  if (!platform::isMainThread()) {
    platform::mainQueue().async([alive = alive_, self = this, notification] {
      if (*alive) self->propertyUpdatedNotification(notification);
    });
    return;
  }
  const uint32_t code = Utilities::propertyCodeFromNotification(notification.name);
  const PropertyCopy record = propCopyValues(code);
  if (!record) return;
  if (code == mExposureCompPropertyCode) {
    if (mStep > 0)
      mInitialIndex = static_cast<int64_t>(std::round((camExposureCompGet(record->value) - mMinExposureComp) / mStep));
    // The item views are made again, so that the red item follows the camera.
    if (oCarouselView) oCarouselView->reloadData();
  } else if (hasBracketing_ &&
             (code == mBracketingPropertyCode || (camIsNikon() && (code == 0xD0C0 || code == 0xD0C2)))) {
    // Nikon's on/off switch and program change what the bracketing property's value means: it is read again.
    const PropertyCopy bracket = propCopyValues(mBracketingPropertyCode);
    if (bracket) mInitialBracket = camExposureCompCode(bracket->value);
    readBracketCounts();
    drawBackground();
  }
  checkSetButtonEnabled();
}

// --- carousel ---

int64_t AdjustExposureCompViewController::numberOfItemsInCarousel(iCarousel*) {
  return static_cast<int64_t>(mExposureValues.size());
}

QWidget* AdjustExposureCompViewController::textField(QWidget* reusingView, const std::string& text,
                                                     const Color& color, double width) {
  auto* field = qobject_cast<QLabel*>(reusingView);
  if (!field || field->property(kTagProperty).toInt() != kTextFieldTag) {
    field = new QLabel();
    field->setTextInteractionFlags(Qt::NoTextInteraction);
    field->setAlignment(Qt::AlignCenter);
    field->setAutoFillBackground(false);
    field->setAttribute(Qt::WA_TranslucentBackground);
    field->setProperty(kTagProperty, kTextFieldTag);
  }
  const double height = oCarouselView ? oCarouselView->height() : 32;
  // Each field is as wide as its place on the carousel, its text centred there (the carousel draws a view
  // stretched over its place). Fields draw no background: on the turned ruler each overlaps its neighbours, and
  // the nearer ones would hide the farther ones' numbers, the camera's among them.
  field->resize(std::max(1, static_cast<int>(std::lround(width))), static_cast<int>(height));
  QPalette palette = field->palette();
  palette.setColor(QPalette::WindowText, color.toQColor());
  field->setPalette(palette);
  const bool stroke = text == "|";
  field->setFont(platform::Font::named(stroke ? QStringLiteral("AvenirNext-Regular") : QStringLiteral("AvenirNext-DemiBold"),
                                       stroke ? 12 : 14)
                     .qfont());
  field->setText(QString::fromStdString(text));
  return field;
}

QWidget* AdjustExposureCompViewController::viewForItemAtIndex(iCarousel*, int64_t index, QWidget* reusingView) {
  if (index < 0 || static_cast<size_t>(index) >= mExposureStrings.size()) return nullptr;
  return textField(reusingView, mExposureStrings[static_cast<size_t>(index)],
                   index == mInitialIndex ? cameraValueColor() : otherValueColor(), mItemWidth);
}

int64_t AdjustExposureCompViewController::numberOfPlaceholdersInCarousel(iCarousel*) {
  return std::max(0, mNumberOfPlaceholders);
}

std::string AdjustExposureCompViewController::placeholderText(int64_t a) const {
  const int64_t n = mStepsPerStop;
  if (n <= 0) return "|";
  const float bracket = mMaxExposureBracket;
  const int64_t before = static_cast<int64_t>(std::trunc(static_cast<float>(n) * bracket));
  if (a < before) {
    if (a % n != 0) return "|";
    return std::to_string(static_cast<int>(std::trunc(static_cast<float>(a / n) + (mMinExposureComp - bracket))));
  }
  const int64_t placeholders = oCarouselView ? oCarouselView->numberOfPlaceholders() : mNumberOfPlaceholders;
  if ((a + 1) % n != 0) return "|";
  return std::to_string(
      static_cast<int>(std::trunc(mMaxExposureComp + bracket - static_cast<float>((placeholders - a - 1) / n))));
}

QWidget* AdjustExposureCompViewController::placeholderViewAtIndex(iCarousel*, int64_t index, QWidget* reusingView) {
  return textField(reusingView, placeholderText(index), otherValueColor(), mItemWidth);
}

double AdjustExposureCompViewController::carouselItemWidth(iCarousel*) { return mItemWidth; }

platform::Transform3D AdjustExposureCompViewController::itemTransformForOffset(iCarousel* carousel, double offset,
                                                                               platform::Transform3D base) {
  return controls::tiltedItemTransform(offset, carousel ? carousel->itemWidth() : mItemWidth, base);
}

double AdjustExposureCompViewController::valueForOption(iCarousel*, int64_t option, double value) {
  return controls::tiltedCarouselOption(option, value, 1.03);
}

void AdjustExposureCompViewController::carouselCurrentItemIndexDidChange(iCarousel*) { checkSetButtonEnabled(); }
