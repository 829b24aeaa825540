#include "platform/ui/responder.h"

#include <QApplication>
#include <QVariant>
#include <QWidget>

#include "platform/ui/window.h"
#include "platform/ui/window_controller.h"

namespace platform {

namespace {

constexpr const char* kViewResponder = "vxViewResponder";

Responder* perform(const Action& action, QWidget* from) {
  for (QWidget* w = from; w != nullptr; w = w->parentWidget()) {
    if (auto* r = dynamic_cast<Responder*>(w); r && r->performAction(action)) return r;
    if (Responder* controller = viewResponder(w); controller && controller->performAction(action)) {
      return controller;
    }
    if (w->isWindow()) {
      auto* window = qobject_cast<Window*>(w);
      WindowController* wc = window ? window->windowController() : nullptr;
      if (wc && wc->performAction(action)) return wc;
      break;
    }
  }
  return nullptr;
}

QWidget* firstResponder() {
  QWidget* active = QApplication::activeWindow();
  if (!active) return nullptr;
  QWidget* focus = active->focusWidget();
  return focus ? focus : active;
}

}  // namespace

bool Responder::performAction(const Action&) { return false; }

Responder* sendAction(const std::string& name, QObject* sender, QWidget* from) {
  Action action{name, sender, nullptr};
  return perform(action, from ? from : firstResponder());
}

Responder* sendAction(const std::string& name, Responder* sender, QWidget* from) {
  Action action{name, nullptr, sender};
  return perform(action, from ? from : firstResponder());
}

void setViewResponder(QWidget* view, Responder* controller) {
  if (!view) return;
  view->setProperty(kViewResponder, controller ? QVariant::fromValue(static_cast<void*>(controller)) : QVariant());
}

Responder* viewResponder(const QWidget* view) {
  if (!view) return nullptr;
  const QVariant v = view->property(kViewResponder);
  return v.isValid() ? static_cast<Responder*>(v.value<void*>()) : nullptr;
}

}  // namespace platform
