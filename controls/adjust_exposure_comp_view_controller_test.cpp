// The exposure picker over a Canon property store filled by hand (exposure compensation -5 to +5 in thirds,
// bracketing up to 2 stops): its items and their labels, the camera's item in red, the placeholders that continue
// the scale, when Set and the arrows are enabled and what Set reports, no picker without steps, and camera changes
// handled on the main thread only.
#include <gtest/gtest.h>

#include <QLabel>
#include <thread>

#include "controls/adjust_exposure_comp_view_controller.h"
#include "controls/property_controller_test_fixture.h"
#include "engine/vendors/available_modules.h"
#include "engine/vendors/canon/canon_exposure.h"
#include "engine/vendors/dispatch.h"
#include "platform/ui/image_view.h"
#include "widgets/i_carousel.h"
#include "widgets/sy_flat_button.h"

namespace {

using controls_testing::Allowed;

constexpr uint32_t kComp = 0xD104;
constexpr uint32_t kBracket = 0xD1D9;

class RecordingDelegate : public AdjustExposureCompViewDelegate {
 public:
  void exposureCompValueSet(AdjustExposureCompViewController* p) override { values.push_back(p->selectedValue()); }
  void exposureBracketingValueSet(AdjustExposureCompViewController* p) override {
    brackets.push_back(p->selectedBracketing());
  }
  void closeExposureCompView(AdjustExposureCompViewController*) override { ++closes; }
  std::vector<uint32_t> values;
  std::vector<float> brackets;
  int closes = 0;
};

class ExposurePickerTest : public controls_testing::PropertyStoreFixture {
 protected:
  void SetUp() override {
    PropertyStoreFixture::SetUp();
    vendorRegisterAvailableModules();
    canonForgetBracketMax();
  }
  void TearDown() override {
    picker_.reset();
    hostWindow_.reset();
    PropertyStoreFixture::TearDown();
    canonForgetBracketMax();
  }

  // A Canon store: compensation -5..+5 in thirds at `current`, and bracketing (Off, 1/3 .. 2 stops) at `bracket`.
  void canonStore(float current, uint32_t bracket, bool withBracketing = true) {
    static const char* const kFractions[] = {"", " 1/3", " 2/3"};
    std::vector<PropertyValueNamesStruct> list;
    for (int i = -15; i <= 15; ++i) {
      const int whole = std::abs(i) / 3, third = std::abs(i) % 3;
      std::string name = i == 0 ? "0" : std::string(i < 0 ? "-" : "+") + (whole ? std::to_string(whole) : "") +
                                            (whole ? kFractions[third] : third == 1 ? "1/3" : third == 2 ? "2/3" : "");
      PropertyValueNamesStruct e{};
      propCopyText(e.name, sizeof e.name, name.c_str());
      e.value = canonEvFloatToCode(static_cast<float>(i) / 3);
      list.push_back(e);
    }
    PropertyStruct* comp = propCreate(kComp, true);
    propSetValueList(comp, list.data(), static_cast<uint16_t>(list.size()));
    comp->kind = PTP_DTC_INT8;
    comp->form = kPropFormEnumeration;
    comp->value = canonEvFloatToCode(current);
    comp->enabled = 1;
    propUnlock(comp);
    if (withBracketing)
      addRecord(kBracket, {{0, "Off"}, {3, "1/3"}, {5, "2/3"}, {8, "1"}, {0x0B, "1 1/3"}, {0x0D, "1 2/3"}, {0x10, "2"}},
                bracket);
    useVendor(VENDOR_CANON, 230);
  }

  AdjustExposureCompViewController* open(uint32_t bracketing = kBracket) {
    picker_ = AdjustExposureCompViewController::initWithExposureCompensation(kComp, bracketing);
    if (!picker_) return nullptr;
    picker_->setDelegate(&delegate_);
    hostWindow_ = std::make_unique<platform::Window>();
    QWidget* v = picker_->view();
    hostWindow_->setFrame({100, 100, double(v->width()), double(v->height())});
    picker_->beginAppearanceTransition(true);
    v->setParent(hostWindow_->contentView());
    v->show();
    showAndWait(hostWindow_.get());
    picker_->endAppearanceTransition();
    settle();
    return picker_.get();
  }

  static QColor textColour(QWidget* item) {
    auto* label = qobject_cast<QLabel*>(item);
    return label ? label->palette().color(QPalette::WindowText) : QColor();
  }

  RecordingDelegate delegate_;
  std::unique_ptr<AdjustExposureCompViewController> picker_;
  std::unique_ptr<platform::Window> hostWindow_;
};

TEST_F(ExposurePickerTest, ThirdsFromMinusFiveToFiveMakeThirtyOneItemsWithTheCamerasValueInRed) {
  canonStore(1.0f / 3, 0);
  AdjustExposureCompViewController* p = open();
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(p->exposureValues().size(), 31u);
  EXPECT_NEAR(p->exposureValues().front(), -5.0f, 1e-4);
  EXPECT_NEAR(p->exposureValues().back(), 5.0f, 1e-4);
  std::vector<std::string> expected;
  for (int i = -15; i <= 15; ++i) expected.push_back(i % 3 == 0 ? std::to_string(i / 3) : "|");
  EXPECT_EQ(p->exposureStrings(), expected);
  EXPECT_EQ(p->initialIndex(), 16);
  EXPECT_EQ(p->oCarouselView->numberOfItems(), 31);
  EXPECT_EQ(p->oCarouselView->currentItemIndex(), 16) << "the carousel opens on the camera's value";

  // The camera's item is red, the others grey.
  const QColor red = AdjustExposureCompViewController::cameraValueColor().toQColor();
  const QColor grey = AdjustExposureCompViewController::otherValueColor().toQColor();
  for (int64_t i : {15, 16, 17}) {
    QWidget* item = p->viewForItemAtIndex(p->oCarouselView, i, nullptr);
    EXPECT_EQ(textColour(item), i == 16 ? red : grey) << i;
    delete item;
  }
  // The scale goes on beyond both ends by the largest bracket (2 stops: 6 placeholders a side).
  EXPECT_EQ(p->numberOfPlaceholders(), 12);
  const std::vector<std::string> before = {"-7", "|", "|", "-6", "|", "|"};
  const std::vector<std::string> after = {"|", "|", "6", "|", "|", "7"};
  for (int a = 0; a < 6; ++a) EXPECT_EQ(p->placeholderText(a), before[a]) << a;
  for (int a = 6; a < 12; ++a) EXPECT_EQ(p->placeholderText(a), after[a - 6]) << a;
  EXPECT_NEAR(p->itemWidth(), p->view()->width() / (6.8 * 3), 1e-9);
}

TEST_F(ExposurePickerTest, SetAndTheArrowsAreEnabledAsTheCarouselAndTheBracketLeaveTheCamerasValues) {
  canonStore(0, 0);
  AdjustExposureCompViewController* p = open();
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->oSetButton->isEnabled());
  EXPECT_FALSE(p->oArrowsInButton->isEnabled()) << "no bracket to narrow";
  EXPECT_TRUE(p->oArrowsOutButton->isEnabled());

  p->oCarouselView->setCurrentItemIndex(18);
  EXPECT_TRUE(p->oSetButton->isEnabled());
  p->oCarouselView->setCurrentItemIndex(15);
  EXPECT_FALSE(p->oSetButton->isEnabled()) << "back on the camera's value";

  // Widened by a click: a third more, both arrows usable, Set reports the bracket only.
  click(p->oArrowsOutButton);
  EXPECT_NEAR(p->selectedBracketing(), 1.0f / 3, 1e-4);
  EXPECT_TRUE(p->oArrowsInButton->isEnabled());
  EXPECT_TRUE(p->oSetButton->isEnabled());
  click(p->oSetButton);
  EXPECT_TRUE(delegate_.values.empty());
  ASSERT_EQ(delegate_.brackets.size(), 1u);
  EXPECT_NEAR(delegate_.brackets[0], 1.0f / 3, 1e-4);

  // Out to the largest bracket: arrows-out goes off within 0.1 stop of it.
  for (int i = 0; i < 5; ++i) click(p->oArrowsOutButton);
  EXPECT_NEAR(p->selectedBracketing(), 2.0f, 1e-3);
  EXPECT_FALSE(p->oArrowsOutButton->isEnabled());
  // Back in to nothing: arrows-in goes off at 0.1 stop or less, and so does Set.
  for (int i = 0; i < 6; ++i) click(p->oArrowsInButton);
  EXPECT_NEAR(p->selectedBracketing(), 0.0f, 1e-3);
  EXPECT_FALSE(p->oArrowsInButton->isEnabled());
  EXPECT_FALSE(p->oSetButton->isEnabled());

  // One click of Set reports both when both changed; the value is the camera's code of the centred item.
  p->oCarouselView->setCurrentItemIndex(18);
  click(p->oArrowsOutButton);
  delegate_.brackets.clear();
  click(p->oSetButton);
  ASSERT_EQ(delegate_.values.size(), 1u);
  EXPECT_EQ(delegate_.values[0], canonEvFloatToCode(1.0f));
  EXPECT_EQ(delegate_.brackets.size(), 1u);
  click(p->oCloseButton);
  EXPECT_EQ(delegate_.closes, 1);
}

TEST_F(ExposurePickerTest, WithoutBracketingBothArrowsStayOffAndTheCountsAreZero) {
  canonStore(0, 0, false);
  AdjustExposureCompViewController* p = open(0);
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->hasBracketing());
  EXPECT_FALSE(p->oArrowsInButton->isEnabled());
  EXPECT_FALSE(p->oArrowsOutButton->isEnabled());
  EXPECT_EQ(p->numNegativeBrackets(), 0);
  EXPECT_EQ(p->numPositiveBrackets(), 0);
  EXPECT_FALSE(p->oCarouselBackgroundImageView->image().isNull()) << "the background still shows the scale";
}

TEST_F(ExposurePickerTest, NothingOpensWithoutARecordOrWithoutStepsPerStop) {
  useVendor(VENDOR_CANON, 230);
  EXPECT_EQ(AdjustExposureCompViewController::initWithExposureCompensation(kComp, kBracket), nullptr);
  // A Sony body's scale has no steps per stop (its compensation is stepped by notches instead).
  addRecord(0x5010, {{0, "0"}, {300, "+0.3"}}, 0);
  useVendor(VENDOR_SONY, 0);
  EXPECT_EQ(camExposureCompCount(), 0);
  EXPECT_EQ(AdjustExposureCompViewController::initWithExposureCompensation(0x5010, 0), nullptr);
}

TEST_F(ExposurePickerTest, CameraChangesAreTakenOnTheMainThreadAndNeverReachAPickerThatIsGone) {
  canonStore(0, 0);
  AdjustExposureCompViewController* p = open();
  ASSERT_NE(p, nullptr);
  const QColor red = AdjustExposureCompViewController::cameraValueColor().toQColor();

  setRecord(kComp, canonEvFloatToCode(-1.0f));
  postFromEventThread("JW_" + std::to_string(kComp));
  EXPECT_EQ(p->initialIndex(), 15) << "nothing changes on the posting thread";
  drainMainQueue();
  EXPECT_EQ(p->initialIndex(), 12);
  QWidget* item = p->viewForItemAtIndex(p->oCarouselView, 12, nullptr);
  EXPECT_EQ(textColour(item), red);
  delete item;
  EXPECT_TRUE(p->oSetButton->isEnabled()) << "the carousel still shows the old value";

  setRecord(kBracket, 8);
  postFromEventThread("JW_" + std::to_string(kBracket));
  drainMainQueue();
  EXPECT_NEAR(p->initialBracket(), 1.0f, 1e-4);
  EXPECT_NEAR(p->selectedBracketing(), 0.0f, 1e-4) << "the user's bracket is the user's";

  // A code without a record is ignored; a change queued for a picker that is gone is dropped.
  postFromEventThread("JW_" + std::to_string(0xD1FF));
  postFromEventThread("JW_" + std::to_string(kComp));
  picker_.reset();
  hostWindow_.reset();
  drainMainQueue();
}

}  // namespace
