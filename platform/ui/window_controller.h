#pragma once
// Owns a window made on first use (from an interface file, in the subclasses that have one) and the code that
// sets it up once it is loaded.

#include <QObject>
#include <QString>

namespace platform {

class Window;

class WindowController : public QObject {
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

 protected:
  // Makes the window: a titled window whose content view holds the interface file named by windowNibName when
  // one is registered under that name (see interface_file.h), else an empty one.
  virtual Window* makeWindow();
  virtual void windowDidLoad() {}

 private:
  QString nibName_;
  Window* window_ = nullptr;
  bool loading_ = false;
};

}  // namespace platform
