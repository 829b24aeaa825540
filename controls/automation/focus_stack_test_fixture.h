#pragma once
// The focus-stacking panel as the capture control panel shows it: connected to a stand-in body, live view on where
// the panel needs it, the panel in the widget kit's popover over a window, and the user's clicks on its buttons.
#include <QLineEdit>
#include <QProgressBar>
#include <memory>
#include <string>
#include <vector>

#include "controls/automation/focus_stack_view_controller.h"
#include "engine/ptp/vendor_state.h"
#include "guitest/gui_test.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/user_defaults.h"
#include "platform/ui/window.h"
#include "session/camera_controller.h"
#include "session/camera_event_pump.h"
#include "session/notification_names.h"
#include "session/utilities.h"
#include "widgets/color_view.h"
#include "widgets/sfb_popover.h"

namespace focus_stack_testing {

inline platform::UserDefaults& defaults() { return platform::UserDefaults::standardUserDefaults(); }
inline std::string text(const char* key) { return platform::localizedString(key); }

// A panel in the widget kit's popover over a new window, as the capture control panel shows its automation
// panels (without the fade); returns once the panel has appeared.
template <class Panel>
::testing::AssertionResult showInKitPopover(Panel& panel, std::unique_ptr<platform::Window>& window,
                                            std::unique_ptr<SFBPopover>& popover) {
  window = std::make_unique<platform::Window>();
  window->setContentSize({700, 600});
  if (!guitest::showWindow(window.get())) return ::testing::AssertionFailure() << "the window did not show";
  popover = std::make_unique<SFBPopover>(&panel);
  popover->setAnimates(false);
  panel.setPopover(popover.get());
  popover->displayPopoverInWindow(window.get(), {350, 560});
  if (!guitest::Harness::waitUntil([&] { return panel.appearance() == platform::ViewController::Appearance::Appeared; }))
    return ::testing::AssertionFailure() << "the panel did not appear";
  guitest::Harness::settle();
  return ::testing::AssertionSuccess();
}

class FocusPanelTest : public guitest::GuiTest {
 protected:
  void TearDown() override {
    closePanel();
    window_.reset();
    guitest::GuiTest::TearDown();
  }

  // The body connected and the camera's events let through, as the camera window does once it is up.
  template <class Body>
  ::testing::AssertionResult connect(Body body) {
    ::testing::AssertionResult connected = guitest::GuiTest::connect(body);
    if (connected) startCameraEventDispatch();
    return connected;
  }

  // Live view on, as the user turns it on in the camera window; waits until the session says so.
  ::testing::AssertionResult liveViewOn() {
    CameraController::instance().toggleLiveView(true, nullptr);
    if (!waitUntil([] { return CameraController::instance().liveViewStatus() != 0; }))
      return ::testing::AssertionFailure() << "live view did not come on";
    return ::testing::AssertionSuccess();
  }

  // The panel in its popover, shown over a window of the application.
  void showPanel() {
    panel_ = std::make_unique<FocusStackViewController>();
    ASSERT_TRUE(showInKitPopover(*panel_, window_, popover_));
  }

  void closePanel() {
    popover_.reset();
    panel_.reset();
  }

  FocusStackViewController& panel() { return *panel_; }
  QWidget* view() { return panel_->view(); }

  // A click on a control of the panel, once no progress overlay is in the way.
  void click(const char* name) {
    ASSERT_TRUE(waitForOverlays());
    ASSERT_TRUE(guitest::click(view(), name)) << name;
  }
  // A nudge, and the wait until its drive has come back (the counter moved, or an alert said why not).
  void nudge(const char* name) {
    const int64_t before = panel_->currentSteps();
    const size_t alertsBefore = alerts().count();
    click(name);
    ASSERT_TRUE(waitUntil([&] { return panel_->currentSteps() != before || alerts().count() != alertsBefore; }))
        << name;
    ASSERT_TRUE(waitForOverlays());
  }
  // Types into a field of the panel as the user does: select all, type, Return.
  void type(QLineEdit* field, const QString& value) {
    ASSERT_TRUE(guitest::click(field));
    ASSERT_TRUE(guitest::keyClick(field, Qt::Key_A, Qt::ControlModifier));
    ASSERT_TRUE(guitest::typeText(field, value));
    ASSERT_TRUE(guitest::keyClick(field, Qt::Key_Return));
  }

  // Every value the progress bar showed while the test ran.
  std::vector<int> watchProgress() {
    auto values = std::make_shared<std::vector<int>>();
    QObject::connect(panel_->oFeedbackProgressIndicator, &QProgressBar::valueChanged,
                     [values](int v) { values->push_back(v); });
    progress_ = values;
    return {};
  }
  std::vector<int> progress() const { return progress_ ? *progress_ : std::vector<int>{}; }

  // The messages of the alerts shown since `from`.
  std::vector<std::string> messagesSince(size_t from) {
    std::vector<std::string> out;
    const auto shown = alerts().shown();
    for (size_t i = from; i < shown.size(); ++i) out.push_back(shown[i].message);
    return out;
  }
  bool alertShown(const std::string& message, size_t from = 0) {
    for (const std::string& m : messagesSince(from))
      if (m.rfind(message, 0) == 0) return true;
    return false;
  }
  ::testing::AssertionResult waitForAlert(const std::string& message, size_t from = 0) {
    if (waitUntil([&] { return alertShown(message, from); })) return ::testing::AssertionSuccess();
    ::testing::AssertionResult failure = ::testing::AssertionFailure() << "no alert \"" << message << "\"; shown:";
    for (const std::string& m : messagesSince(0)) failure << " [" << m << "]";
    return failure;
  }
  // The run has ended: its feedback is gone and the live-view lock is free again.
  ::testing::AssertionResult waitForRunEnd() {
    if (!waitUntil([&] { return !panel_->isRunning(); })) return ::testing::AssertionFailure() << "the run goes on";
    settle();
    if (panel_->oFeedbackView->isVisible()) return ::testing::AssertionFailure() << "the progress view stays";
    if (!Utilities::tryLockLiveView(2000)) return ::testing::AssertionFailure() << "the live-view lock is held";
    Utilities::unlockLiveView();
    return ::testing::AssertionSuccess();
  }

  std::unique_ptr<platform::Window> window_;
  std::unique_ptr<FocusStackViewController> panel_;
  std::unique_ptr<SFBPopover> popover_;
  std::shared_ptr<std::vector<int>> progress_;
};

}  // namespace focus_stack_testing
