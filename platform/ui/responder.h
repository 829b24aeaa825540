#pragma once
// Actions sent up a responder chain: a control or an item sends an action by name, and the first responder on
// the way up that handles it performs it. The chain from a widget runs:
//   the widget → the controller of its view, when it is one (a view controller, a collection item) →
//   its superview → ... → the window → the window's controller.
// Widgets take part by also deriving from Responder; controllers do by being registered for their view
// (ViewController and CollectionViewItem do that themselves).
//
//   // In a collection item, on a double click:
//   platform::sendAction("collectionItemViewDoubleClick", this, view());
//   // In the card browser's view controller:
//   bool performAction(const platform::Action& a) override {
//     if (a.name != "collectionItemViewDoubleClick") return ViewController::performAction(a);
//     collectionItemViewDoubleClick(a.sender<ThumbnailViewCell>());
//     return true;
//   }
//
// Main thread only.
#include <QObject>
#include <QPointer>
#include <string>

class QWidget;

namespace platform {

class Responder;

// One action on its way: the action's name (the handler's method name) and who sent it.
struct Action {
  std::string name;
  QPointer<QObject> senderObject;        // a control, a controller, ...
  Responder* senderResponder = nullptr;  // an item or another responder that is not a QObject

  // The sender as T, or null when it is none or of another class.
  template <class T>
  T* sender() const {
    if (senderObject) return dynamic_cast<T*>(senderObject.data());
    if (senderResponder) return dynamic_cast<T*>(senderResponder);
    return nullptr;
  }
};

class Responder {
 public:
  virtual ~Responder() = default;
  // Performs the action when this responder handles it and answers true; false passes it on up the chain.
  virtual bool performAction(const Action& action);
};

// Sends `name` up the chain from `from` (see above); without `from`, from the focus widget of the active
// window, else the active window. Returns the responder that performed it, or null when none did.
Responder* sendAction(const std::string& name, QObject* sender, QWidget* from = nullptr);
Responder* sendAction(const std::string& name, Responder* sender, QWidget* from);

// Registers `controller` as the responder that follows `view` (and that is followed by the view's superview);
// null clears it. The registration does not keep the controller alive: clear it before the controller goes.
void setViewResponder(QWidget* view, Responder* controller);
Responder* viewResponder(const QWidget* view);

}  // namespace platform
