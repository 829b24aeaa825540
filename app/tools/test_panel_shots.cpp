// The harness's test panel in a plain window: the example state, and the check that the program works.
#include <memory>

#include "app/tools/shot_registry.h"
#include "guitest/test_panel.h"
#include "platform/ui/window.h"

namespace {

[[maybe_unused]] const bool registered = window_shots::registerShot(
    {"harness-test-panel", "", "the window-test harness's own panel in a plain window",
     [](window_shots::ShotContext& shot) -> QWidget* {
       auto* window = shot.keep(std::make_unique<platform::Window>());
       window->setWindowTitle(QStringLiteral("Test panel"));
       window->setContentView(new guitest::TestPanel);
       window->setContentSize(platform::Size{260, 150});
       return window;
     }});

}  // namespace
