// The harness's test panel in a plain window and in a popover below a button: the example states, and the check
// that the program works.
#include <QPushButton>
#include <memory>

#include "app/tools/shot_registry.h"
#include "guitest/test_panel.h"
#include "guitest/user_actions.h"
#include "platform/ui/popover.h"
#include "platform/ui/window.h"

namespace {

[[maybe_unused]] const bool inWindow = window_shots::registerShot(
    {"harness-test-panel", "", "the window-test harness's own panel in a plain window",
     [](window_shots::ShotContext& shot) -> QWidget* {
       auto* window = shot.keep(std::make_unique<platform::Window>());
       window->setWindowTitle(QStringLiteral("Test panel"));
       window->setContentView(new guitest::TestPanel);
       window->setContentSize(platform::Size{260, 150});
       return window;
     }});

// A popover is a window of its own: the state returns it, shown below the button that opened it.
[[maybe_unused]] const bool inPopover = window_shots::registerShot(
    {"harness-test-panel-popover", "canon", "the test panel in the platform popover, after asking a Canon body",
     [](window_shots::ShotContext& shot) -> QWidget* {
       auto* window = shot.keep(std::make_unique<platform::Window>());
       auto* opener = new QPushButton(QStringLiteral("Open"));
       window->setContentView(opener);
       window->setContentSize(platform::Size{120, 40});
       if (!guitest::showWindow(window)) return nullptr;
       auto* controller = shot.keep(std::make_unique<guitest::TestPanelController>());
       auto* popover = shot.keep(std::make_unique<platform::Popover>());
       popover->setContentViewController(controller);
       popover->showRelativeToRect(platform::Rect(0, 0, opener->width(), opener->height()), opener,
                                   platform::RectEdge::MinY);
       guitest::TestPanel* panel = controller->panel();
       if (!guitest::Harness::waitUntil([&] { return popover->popoverWindow() && panel->isVisible(); }) ||
           !guitest::click(panel, "oButton") ||
           !guitest::Harness::waitUntil([&] { return panel->presses() == 1 && !panel->oAnswer->text().startsWith("No"); })) {
         shot.fail("the popover's panel did not answer");
         return nullptr;
       }
       guitest::Harness::waitForOverlays();  // the batch's progress overlay fades out
       return popover->popoverWindow();
     }});

}  // namespace
