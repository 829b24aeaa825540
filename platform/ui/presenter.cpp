#include "platform/ui/presenter.h"

#include "platform/ui/modal_session.h"
#include "platform/ui/window.h"

namespace platform {

namespace {
Presenter& plain() {
  static Presenter p;
  return p;
}
Presenter*& slot() {
  static Presenter* p = &plain();
  return p;
}
}  // namespace

int Presenter::runModal(Window& window) {
  // The session shows the window once, already modal: showing it first would show it twice.
  return runModalForWindow(&window);
}

void Presenter::present(Window& window, bool makeKey) {
  if (makeKey) window.makeKeyAndOrderFront();
  else window.orderFront();
}

void Presenter::dismiss(Window& window) { window.orderOut(); }

Presenter& currentPresenter() { return *slot(); }

ScopedPresenter::ScopedPresenter(Presenter& presenter) : previous_(slot()) { slot() = &presenter; }
ScopedPresenter::~ScopedPresenter() { slot() = previous_; }

}  // namespace platform
