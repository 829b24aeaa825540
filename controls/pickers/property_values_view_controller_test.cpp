// The grid picker on its own: which buttons it makes from a record or a list, what it selects and scrolls to,
// what a click reports, how it follows the record, and the ON/OFF form; driven with real clicks.
#include "controls/pickers/property_values_view_controller.h"

#include <QLabel>

#include "controls/property_controller_test_fixture.h"
#include "platform/ui/scroll_view.h"
#include "platform/ui/view_geometry.h"
#include "widgets/it_switch.h"

namespace {

using controls_testing::Allowed;

struct Recorder : PropertyValuesViewDelegate {
  std::vector<int64_t> selected;
  std::vector<std::pair<uint32_t, int64_t>> toggled;
  void buttonSelected(int64_t value, PropertyValuesViewController*) override { selected.push_back(value); }
  void buttonToggled(uint32_t code, int64_t value) override { toggled.emplace_back(code, value); }
};

class PropertyValuesPickerTest : public controls_testing::PropertyStoreFixture {
 protected:
  // Shows the picker's view in a window of its own, as a popover would.
  void show(PropertyValuesViewController* picker) {
    host_ = std::make_unique<platform::Window>();
    QWidget* v = picker->view();
    host_->setFrame({500, 100, double(v->width()), double(v->height())});
    v->setParent(host_->contentView());
    v->move(0, 0);
    v->show();
    showAndWait(host_.get());
    settle();
  }
  void TearDown() override {
    host_.reset();
    PropertyStoreFixture::TearDown();
  }
  static std::vector<int64_t> tags(const PropertyValuesViewController& p) {
    std::vector<int64_t> out;
    for (SYFlatButton* b : p.buttons()) out.push_back(b->tag());
    return out;
  }
  static std::vector<int> states(const PropertyValuesViewController& p) {
    std::vector<int> out;
    for (SYFlatButton* b : p.buttons()) out.push_back(b->state());
    return out;
  }
  // A record of `count` ISO-like values 100, 200, ... with the current one at `currentIndex`.
  static void addIsoRecord(uint32_t code, int count, int currentIndex) {
    PropertyStruct* r = propCreate(code, true);
    std::vector<PropertyValueNamesStruct> list(count);
    for (int i = 0; i < count; ++i) {
      list[i].value = 100u * (i + 1);
      propCopyText(list[i].name, sizeof list[i].name, std::to_string(list[i].value));
    }
    propSetValueList(r, list.data(), static_cast<uint16_t>(count));
    r->form = kPropFormEnumeration;
    r->value = 100u * (currentIndex + 1);
    r->enabled = 1;
    propUnlock(r);
  }

  std::unique_ptr<platform::Window> host_;
};

TEST_F(PropertyValuesPickerTest, TheRecordsValuesBecomeButtonsWithTheCurrentOneSelectedScrolledIntoViewAndClickable) {
  addIsoRecord(0xD21E, 30, 19);
  useVendor(VENDOR_SONY);
  auto picker = PropertyValuesViewController::initWithProperty(0xD21E, nullptr);
  Recorder recorder;
  picker->setDelegate(&recorder);
  picker->loadButtonsWithAspectRatio(2.2);
  show(picker.get());

  std::vector<int64_t> expectedTags;
  for (int i = 1; i <= 30; ++i) expectedTags.push_back(100 * i);
  EXPECT_EQ(tags(*picker), expectedTags);
  std::vector<int> expectedStates(30, 0);
  expectedStates[19] = 1;
  EXPECT_EQ(states(*picker), expectedStates);

  // 77-point buttons in 400 points: 4 columns, 8 rows of 45 points and a 10-point margin: 370 points. Button 20
  // sits in row 5: y = 370 - 45 - 4 x 45 = 145; the view scrolls to 145 minus half the 250-point scroll view.
  EXPECT_EQ(picker->oButtonsView->height(), 370);
  const platform::Rect selected = platform::frameOf(picker->buttons()[19]);
  EXPECT_NEAR(selected.y(), 145, 1e-6);
  EXPECT_NEAR(selected.width(), 77, 1e-6);
  EXPECT_NEAR(picker->oScrollView->documentVisibleRect().y(), 20, 1e-6);

  // A real click on the visible button of 1800 reports its value.
  SYFlatButton* b = picker->buttons()[17];
  ASSERT_TRUE(b->isVisible());
  click(b);
  EXPECT_EQ(recorder.selected, (std::vector<int64_t>{1800}));
}

TEST_F(PropertyValuesPickerTest, RefreshFollowsTheRecordAndNotAnotherPropertyThatTookItsSlot) {
  addIsoRecord(0xD21E, 5, 0);
  useVendor(VENDOR_SONY);
  auto picker = PropertyValuesViewController::initWithProperty(0xD21E, nullptr);
  picker->loadButtonsWithAspectRatio(1.5);
  EXPECT_EQ(states(*picker), (std::vector<int>{1, 0, 0, 0, 0}));

  setRecord(0xD21E, 400);
  picker->valueUpdated();
  EXPECT_EQ(states(*picker), (std::vector<int>{0, 0, 0, 1, 0}));

  // The store is cleared and another property fills the same slot, with a value equal to one of the grid's tags:
  // the picker of 0xD21E must not take it for its own.
  PropertyStruct* old = propFind(0xD21E);
  propStoreClear();
  PropertyStruct* other = controls_testing::PropertyStoreFixture::addRecord(0x5005, {{200, "Daylight"}}, 200);
  ASSERT_EQ(other, old);
  picker->valueUpdated();
  EXPECT_EQ(states(*picker), (std::vector<int>{0, 0, 0, 1, 0}));
}

TEST_F(PropertyValuesPickerTest, AListTagsItsButtonsByPositionAndASelectionPastTheEndSelectsNothing) {
  std::vector<controls::Visual> faces = {QString("1 s"), QString("2 s"), QString("4 s")};
  auto picker = PropertyValuesViewController::initWithStringArray(faces, {10, 20}, "Delay", 7, nullptr);
  picker->loadButtonsWithAspectRatio(1.5);
  // A face past the value list keeps tag 0.
  EXPECT_EQ(tags(*picker), (std::vector<int64_t>{10, 20, 0}));
  EXPECT_EQ(states(*picker), (std::vector<int>{0, 0, 0}));
  EXPECT_EQ(picker->oTitleLabel->text(), "Delay");
  EXPECT_EQ(picker->buttons()[1]->title(), "2 s");
  EXPECT_NEAR(picker->oScrollView->documentVisibleRect().x(), 0, 1e-9);
  EXPECT_NEAR(picker->oScrollView->documentVisibleRect().y(), 0, 1e-9);

  // The helpers of the class's interface read and mark by tag and position.
  EXPECT_EQ(picker->buttonIndexForTag(20), 1);
  EXPECT_EQ(picker->buttonIndexForTag(99), 0);
  EXPECT_EQ(picker->stringFromTag(10), "1 s");
  EXPECT_EQ(picker->stringFromTag(99), "");
  EXPECT_EQ(picker->stringAtIndex(2), "4 s");
  EXPECT_EQ(picker->stringAtIndex(3), "");
  picker->buttonSelected(20);
  EXPECT_EQ(states(*picker), (std::vector<int>{0, 1, 0}));

  auto within = PropertyValuesViewController::initWithStringArray(faces, {10, 20, 30}, "Delay", 2, nullptr);
  within->loadButtonsWithAspectRatio(1.5);
  EXPECT_EQ(states(*within), (std::vector<int>{0, 0, 1}));
}

TEST_F(PropertyValuesPickerTest, NoEntriesGiveAnEmptyGrid) {
  addRecord(0x500B, {}, 2);
  useVendor(VENDOR_SONY);
  auto picker = PropertyValuesViewController::initWithProperty(0x500B, nullptr);
  picker->loadButtonsWithAspectRatio(1.5);
  EXPECT_TRUE(picker->buttons().empty());
  auto missing = PropertyValuesViewController::initWithProperty(0x5007, nullptr);
  missing->loadButtonsWithAspectRatio(1.5);
  EXPECT_TRUE(missing->buttons().empty());
}

TEST_F(PropertyValuesPickerTest, NikonIsoGridEndsWithAutoOnlyWhereTheBodyHasTheAutoIsoProperties) {
  addIsoRecord(0x500F, 4, 1);
  useVendor(VENDOR_NIKON);
  auto plain = PropertyValuesViewController::initWithProperty(0x500F, nullptr);
  plain->loadButtonsWithAspectRatio(2.2);
  EXPECT_EQ(tags(*plain), (std::vector<int64_t>{100, 200, 300, 400}));

  addRecord(0xD16A, {{0, "Off"}, {1, "On"}}, 0);
  addRecord(0xD0B5, {{100, "100"}, {200, "200"}}, 100);
  auto withAuto = PropertyValuesViewController::initWithProperty(0x500F, nullptr);
  withAuto->loadButtonsWithAspectRatio(2.2);
  EXPECT_EQ(tags(*withAuto), (std::vector<int64_t>{100, 200, 300, 400, 0xFFFF}));
}

TEST_F(PropertyValuesPickerTest, TheOnOffFormShowsTheToggleRecordAndReportsAFlip) {
  addRecord(0xD0B5, {{100, "100"}}, 100);
  addRecord(0xD16A, {{0, "Off"}, {1, "On"}}, 1);
  useVendor(VENDOR_NIKON);
  auto picker = PropertyValuesViewController::initWithProperty(0xD0B5, nullptr);
  Recorder recorder;
  picker->setDelegate(&recorder);
  picker->loadToggleSwitchWithProperty(0xD16A);
  show(picker.get());
  ASSERT_NE(picker->toggleSwitch(), nullptr);
  EXPECT_TRUE(picker->toggleSwitch()->checked());
  EXPECT_EQ(picker->toggleLabel()->text(), "ON");
  // Placed as the form says: label 46 points up, switch centred 84 points up (y-up in the picker's view).
  EXPECT_NEAR(platform::frameOf(picker->toggleSwitch()).x(), (400 - 48.54) / 2, 0.6);
  EXPECT_NEAR(platform::frameOf(picker->toggleLabel()).y(), 46, 0.6);

  click(picker->toggleSwitch());
  settle();
  EXPECT_EQ(recorder.toggled, (std::vector<std::pair<uint32_t, int64_t>>{{0xD16A, 0}}));
  EXPECT_EQ(picker->toggleLabel()->text(), "OFF");

  // The camera's own change comes back through a refresh.
  setRecord(0xD16A, 1);
  picker->valueUpdated();
  EXPECT_TRUE(picker->toggleSwitch()->checked());
  EXPECT_EQ(picker->toggleLabel()->text(), "ON");

  // Without a record nothing is built.
  auto none = PropertyValuesViewController::initWithProperty(0xD0B5, nullptr);
  none->loadToggleSwitchWithProperty(0xD054);
  EXPECT_EQ(none->toggleSwitch(), nullptr);
}

}  // namespace
