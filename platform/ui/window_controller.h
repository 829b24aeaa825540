#pragma once
// Owns a window made on first use (from an interface file, in the subclasses that have one) and the code that
// sets it up once it is loaded. It may host a content view controller, whose view then fills the window:
//
//   controller->setContentViewController(new CardContentsViewController());   // owned from now on
//   controller->showWindow();            // the content controller hears viewWillAppear / viewDidAppear
//
// The window controller is the last responder of its window's responder chain (responder.h).

#include <QObject>
#include <QPointer>
#include <QString>

#include "platform/ui/responder.h"

namespace platform {

class ViewController;
class Window;

class WindowController : public QObject, public Responder {
  Q_OBJECT

 public:
  explicit WindowController(QString windowNibName = {});
  ~WindowController() override;

  // The window, loaded (and windowDidLoad run) on first use.
  Window* window();
  bool isWindowLoaded() const { return window_ != nullptr; }
  const QString& windowNibName() const { return nibName_; }

  // Shows the window non-modal, key and in front.
  void showWindow();
  // Takes the window off the screen.
  virtual void close();

  // The controller whose view fills the window's content view (the window is loaded for it). The window
  // controller owns it (as its QObject child) and deletes one it replaces. The window takes the view's size, or
  // the controller's preferred content size when it has one.
  ViewController* contentViewController() const;
  void setContentViewController(ViewController* controller);

 protected:
  // Makes the window: a titled window whose content view holds the interface file named by windowNibName when
  // one is registered under that name (see interface_file.h), else an empty one.
  virtual Window* makeWindow();
  virtual void windowDidLoad() {}

 private:
  QString nibName_;
  Window* window_ = nullptr;
  QPointer<ViewController> contentViewController_;
  bool loading_ = false;
};

}  // namespace platform
