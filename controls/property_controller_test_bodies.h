#pragma once
// For the end-to-end tests of the property buttons and the capture panel (header only): each maker's stand-in
// body as those tests look into it: its allowed ISO values, its log of property sets and its current values.
#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

#include "devicesim/canon_camera.h"
#include "devicesim/fuji_camera.h"
#include "devicesim/nikon_camera.h"
#include "devicesim/sony_camera.h"
#include "controls/pickers/property_values_view_controller.h"
#include "controls/property_controller.h"
#include "controls/property_set_texts.h"
#include "engine/ptp/property_values.h"
#include "engine/ptp/session_open.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/nikon/nikon_properties.h"
#include "guitest/camera_rig.h"
#include "guitest/harness.h"
#include "guitest/user_actions.h"
#include "platform/ui/popover.h"
#include "platform/ui/window.h"
#include "widgets/mb_progress_hud.h"
#include "widgets/sy_flat_button.h"

namespace controls_testing {

using devicesim::PropertySetLog;

struct Body {
  const char* vendor;
  // The body's allowed ISO values as the engine keeps them (32-bit), in the body's order.
  std::function<std::vector<uint32_t>(guitest::CameraRig&)> isoValues;
  std::function<PropertySetLog&(guitest::CameraRig&)> sets;
  // The body's current value of a property.
  std::function<int64_t(guitest::CameraRig&, uint16_t)> value;
};

template <class Range>
std::vector<uint32_t> asU32(const Range& values) {
  std::vector<uint32_t> out;
  for (auto v : values) out.push_back(static_cast<uint32_t>(v));
  return out;
}

inline const Body kBodies[] = {
    {"canon", [](guitest::CameraRig& r) { return asU32(r.cameraAs<devicesim::CanonCamera>()->property(0xD103)->allowed); },
     [](guitest::CameraRig& r) -> PropertySetLog& { return r.cameraAs<devicesim::CanonCamera>()->propertySets(); },
     [](guitest::CameraRig& r, uint16_t code) {
       return int64_t(r.cameraAs<devicesim::CanonCamera>()->propertyValue(code).value_or(0));
     }},
    {"nikon", [](guitest::CameraRig& r) { return asU32(r.cameraAs<devicesim::NikonCamera>()->property(0x500F)->values); },
     [](guitest::CameraRig& r) -> PropertySetLog& { return r.cameraAs<devicesim::NikonCamera>()->propertySets(); },
     [](guitest::CameraRig& r, uint16_t code) { return r.cameraAs<devicesim::NikonCamera>()->value(code); }},
    {"sony", [](guitest::CameraRig& r) { return asU32(r.cameraAs<devicesim::SonyCamera>()->property(0xD21E)->list); },
     [](guitest::CameraRig& r) -> PropertySetLog& { return r.cameraAs<devicesim::SonyCamera>()->propertySets(); },
     [](guitest::CameraRig& r, uint16_t code) {
       return int64_t(r.cameraAs<devicesim::SonyCamera>()->propertyValue(code));
     }},
    {"fuji", [](guitest::CameraRig& r) { return asU32(r.cameraAs<devicesim::FujiCamera>()->property(0x500F)->values); },
     [](guitest::CameraRig& r) -> PropertySetLog& { return r.cameraAs<devicesim::FujiCamera>()->propertySets(); },
     [](guitest::CameraRig& r, uint16_t code) { return r.cameraAs<devicesim::FujiCamera>()->property(code)->current; }},
};

// A progress overlay of the command runner covers a window while device work runs.
inline bool overlaid() {
  for (QWidget* window : QApplication::topLevelWidgets())
    for (MBProgressHUD* hud : window->findChildren<MBProgressHUD*>())
      if (hud->isVisible()) return true;
  return false;
}
// A click once no progress overlay covers the windows (as a user waits for the last setting to go through).
inline bool pressWhenFree(QWidget* widget) {
  return guitest::Harness::waitUntil([] { return !overlaid(); }) && guitest::click(widget);
}
// Presses the controller's button and waits for its picker to be on screen.
inline bool openPicker(PropertyController* controller) {
  if (!pressWhenFree(controller->button())) return false;
  return guitest::Harness::waitUntil([&] {
    return controller->popover() && controller->popover()->popoverWindow() &&
           controller->popover()->popoverWindow()->isVisible();
  });
}
inline std::vector<uint32_t> tags(const std::vector<SYFlatButton*>& buttons) {
  std::vector<uint32_t> out;
  for (SYFlatButton* b : buttons) out.push_back(static_cast<uint32_t>(b->tag()));
  return out;
}
// Alerts with a title (the recorder also notes popover windows).
inline std::vector<session_testing::ShownAlert> shownAlerts(session_testing::AnsweringPresenter& alerts) {
  std::vector<session_testing::ShownAlert> out;
  for (const auto& a : alerts.shown())
    if (!a.title.empty()) out.push_back(a);
  return out;
}

// The ISO button of `controller` pressed with the mouse opens a grid of exactly the body's allowed values; a
// click on the value beside the current one reaches the body, and the button follows the body's own report of
// the change. Then the body refuses the next set: "PropertySetError" is shown and the button keeps the body's
// value.
inline void isoGridRoundTrip(guitest::CameraRig& rig, const Body& body, PropertyController* controller,
                             session_testing::AnsweringPresenter& alerts) {
  using guitest::Harness;
  const uint32_t iso = controller->propertyCode();
  SYFlatButton* button = controller->button();
  ASSERT_NE(button, nullptr);
  const QString before = button->title();

  ASSERT_TRUE(openPicker(controller));
  PropertyValuesViewController* picker = controller->propertyValuesViewController();
  ASSERT_NE(picker, nullptr);
  std::vector<uint32_t> expected = body.isoValues(rig);
  if (camIsNikon() && nikonPropertyVisible()) expected.push_back(0xFFFF);  // the body's automatic-ISO switch
  EXPECT_EQ(tags(picker->buttons()), expected);

  // The button next to the current value (so that it is in view) is clicked.
  const auto& buttons = picker->buttons();
  auto at = std::find_if(buttons.begin(), buttons.end(), [](SYFlatButton* b) { return b->state() == 1; });
  ASSERT_NE(at, buttons.end()) << "the current value is selected";
  size_t pick = size_t(at - buttons.begin()) + 1;
  if (pick >= body.isoValues(rig).size()) pick -= 2;
  const uint32_t chosen = static_cast<uint32_t>(buttons[pick]->tag());
  ASSERT_TRUE(pressWhenFree(buttons[pick]));
  ASSERT_TRUE(Harness::waitUntil([&] { return static_cast<uint32_t>(body.value(rig, uint16_t(iso))) == chosen; }))
      << "the body never took " << chosen;
  EXPECT_FALSE(body.sets(rig).requests(uint16_t(iso)).empty());
  const QString after = QString::fromStdString(propFormatValueOrNumber(iso, chosen));
  ASSERT_TRUE(Harness::waitUntil([&] { return button->title() == after; }))
      << button->title().toStdString() << " not " << after.toStdString();
  EXPECT_NE(after, before);
  EXPECT_TRUE(shownAlerts(alerts).empty()) << shownAlerts(alerts).front().message;
  ASSERT_TRUE(Harness::waitUntil([&] { return controller->popover() == nullptr; }));

  body.sets(rig).refuseNext(uint16_t(iso), 0x2005);
  ASSERT_TRUE(openPicker(controller));
  picker = controller->propertyValuesViewController();
  const auto& again = picker->buttons();
  at = std::find_if(again.begin(), again.end(), [](SYFlatButton* b) { return b->state() == 1; });
  ASSERT_NE(at, again.end());
  const size_t other = at == again.begin() ? 1 : size_t(at - again.begin()) - 1;
  ASSERT_TRUE(pressWhenFree(again[other]));
  ASSERT_TRUE(Harness::waitUntil([&] { return !shownAlerts(alerts).empty(); }));
  const std::string name = controls::propertyDisplayName(iso);
  EXPECT_EQ(shownAlerts(alerts).front().title, "Error");
  EXPECT_EQ(shownAlerts(alerts).front().message.rfind(controls::propertySetErrorText(name), 0), 0u)
      << shownAlerts(alerts).front().message;
  EXPECT_EQ(static_cast<uint32_t>(body.value(rig, uint16_t(iso))), chosen);
  EXPECT_EQ(button->title(), after);
}

}  // namespace controls_testing
