#pragma once
// The fixture of every window and panel test (header only). Each test gets a fresh Harness (harness.h): the
// application started as the program starts it, a clean settings and documents folder, alerts noted and answered,
// widget timers and engine waits at a tenth of their time; a camera when the test asks for one. The helpers of
// user_actions.h send real mouse and key events and render widgets; what they cannot do fails the test with a
// message that says why (no such widget and the names there are, a hidden or covered widget).
//
//   #include "guitest/gui_test.h"
//
//   class TestPanelTest : public guitest::GuiTest {};
//
//   TEST_F(TestPanelTest, TheButtonAsksTheCamera) {
//     ASSERT_TRUE(connect("canon"));                  // or "nikon", "sony", "fuji", or a camera made by the test
//     platform::Window window;                        // the thing under test, made as the program makes it
//     auto* panel = new guitest::TestPanel;
//     window.setContentView(panel);
//     ASSERT_TRUE(guitest::showWindow(&window));
//     const size_t asked = rig().operationCount(0x1001);          // what the stand-in device received
//     guitest::click(&window, "oButton");             // a real press and release at the button's centre
//     ASSERT_TRUE(waitUntil([&] { return panel->oAnswer->text() != "No answer yet"; }));   // never a sleep
//     EXPECT_EQ(rig().operationCount(0x1001), asked + 1);
//     EXPECT_EQ(alerts().count(), 0u);                // every alert shown, noted and answered with OK
//     const QImage shown = guitest::render(panel);    // pixel checks; guitest::writePng to look at it
//     EXPECT_GT(guitest::coverage(shown, guitest::TestPanel::kSwatchColour,
//                                 panel->findChild<QWidget*>("oSwatch")->geometry()), 0.99);
//   }
//
// Windows the test shows are closed after it; the test keeps ownership of what it made (members or locals).
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

#include "guitest/harness.h"
#include "guitest/user_actions.h"

namespace guitest {

class GuiTest : public ::testing::Test {
 protected:
  void SetUp() override {
    previousReporter_ = setFailureReporter([](const std::string& what) { ADD_FAILURE() << what; });
    harness_.emplace();
    ASSERT_EQ(harness_->startError(), "");
  }

  void TearDown() override {
    harness_.reset();
    setFailureReporter(std::move(previousReporter_));
  }

  Harness& harness() { return *harness_; }
  session_testing::AnsweringPresenter& alerts() { return harness_->alerts(); }

  // A session with a body of `vendor` (or the test's own camera), connected through the product's path.
  ::testing::AssertionResult connect(const std::string& vendor) { return result(harness_->connect(vendor, &why_)); }
  ::testing::AssertionResult connect(std::shared_ptr<devicesim::Camera> camera) {
    return result(harness_->connect(std::move(camera), &why_));
  }
  // The device and camera of the last connect (the test fails when there is none).
  CameraRig& rig() {
    if (!harness_->rig()) {
      ADD_FAILURE() << "no camera: call connect() or harness().prepareCamera() first";
      harness_->prepareCamera("canon");
    }
    return *harness_->rig();
  }

  static bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = kWaitLimit) {
    return Harness::waitUntil(condition, limit);
  }
  static bool waitForPosts(const session_testing::NotificationLog& log, const std::string& name, size_t count = 1) {
    return Harness::waitForPosts(log, name, count);
  }
  static void settle() { Harness::settle(); }

 private:
  ::testing::AssertionResult result(bool ok) {
    return ok ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << why_;
  }

  std::optional<Harness> harness_;
  std::string why_;
  FailureReporter previousReporter_;
};

}  // namespace guitest
