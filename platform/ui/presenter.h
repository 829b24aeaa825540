#pragma once
// How alerts, the progress overlay's windows and popovers reach the screen. The widgets show, run modally and
// dismiss their windows only through the current presenter, so a test can put its own in place: to act inside
// a modal session (click a button of the alert that is up), or to watch what is shown.

#include <memory>

namespace platform {

class Window;

class Presenter {
 public:
  virtual ~Presenter() = default;
  // Application-modal: shows the window and returns when a stopModal ends the session (its code).
  virtual int runModal(Window& window);
  // Non-modal: shows the window and orders it front, making it key when asked.
  virtual void present(Window& window, bool makeKey);
  // Takes the window off the screen.
  virtual void dismiss(Window& window);
};

// The presenter in force (the plain one unless a test installed another).
Presenter& currentPresenter();

class ScopedPresenter {
 public:
  explicit ScopedPresenter(Presenter& presenter);
  ~ScopedPresenter();
  ScopedPresenter(const ScopedPresenter&) = delete;
  ScopedPresenter& operator=(const ScopedPresenter&) = delete;

 private:
  Presenter* previous_;
};

}  // namespace platform
