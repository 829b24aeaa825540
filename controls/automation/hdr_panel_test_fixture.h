#pragma once
// The fixture of the device-run panels' end-to-end tests (header only): a stand-in body of a maker connected with
// the event gate open as the camera window opens it and the device's automation side paced by the test, the panel
// in the widget-kit popover of a stand-in camera window, the requests the device received, the messages shown, and
// the device's end reports.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "controls/automation/hdr_popover_host.h"
#include "controls/property_button_host.h"
#include "devicesim/automation_device.h"
#include "engine/ptp/property_store.h"
#include "guitest/gui_test.h"
#include "platform/foundation/user_defaults.h"

namespace automation_testing {

inline platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }

// The store's current value of a property (0 without a record).
inline uint32_t current(uint32_t code) {
  PropertyCopy copy = propCopyValues(code);
  return copy ? copy->value : 0;
}

template <class Panel>
class PanelTest : public guitest::GuiTest {
 protected:
  void TearDown() override {
    panel_.reset();
    host_.reset();
    ends_.reset();
    GuiTest::TearDown();
  }

  void connectBody(const std::string& vendor) {
    ends_ = std::make_unique<EndWatcher>();
    ASSERT_TRUE(connect(vendor));
    controls_testing::openSessionForSettings();
    ASSERT_TRUE(waitUntil(controls_testing::settingsTaken));
    rig().automation().setPaced(true);
  }
  // Opens the panel (made once, as the capture panel makes it) in a new popover.
  void openPanel() {
    if (!host_) host_ = std::make_unique<PanelHost>();
    if (!panel_) panel_ = std::make_unique<Panel>();
    ASSERT_TRUE(host_->open(panel_.get(), [p = panel_.get()](SFBPopover* popover) { p->setPopover(popover); }));
    ASSERT_TRUE(waitForOverlays());
  }

  std::vector<devicesim::SequenceRequest> requests() { return rig().automation().requests(); }
  bool waitForRequests(size_t n) {
    return waitUntil([&] { return requests().size() >= n; });
  }
  // The device has reported the end of `n` sequences and the panel has taken its progress view away.
  bool waitForEnds(size_t n) {
    return ends_->waitForEnds(n, [&] { return !panel_->isFeedbackShown(); });
  }

  // The titles of the questions and messages shown, in order ("Error" messages by their text).
  std::vector<std::string> shown() {
    std::vector<std::string> out;
    for (const auto& a : alerts().shown())
      if (!a.title.empty()) out.push_back(a.title == "Error" ? a.message : a.title);
    return out;
  }
  std::string lastShown() {
    const std::vector<std::string> all = shown();
    return all.empty() ? "nothing" : all.back();
  }
  bool sawShown(const std::string& text) {
    const std::vector<std::string> all = shown();
    return std::find(all.begin(), all.end(), text) != all.end();
  }

  std::unique_ptr<EndWatcher> ends_;
  std::unique_ptr<PanelHost> host_;
  std::unique_ptr<Panel> panel_;
};

}  // namespace automation_testing
