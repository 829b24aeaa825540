#pragma once
// For tests (header only): a presenter that notes every alert that reaches the screen (thread, style, texts,
// modal or not) and, for a modal one, presses its OK button once its session runs.
#include <QTimer>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/presenter.h"
#include "platform/ui/window.h"
#include "widgets/jw_alert.h"
#include "widgets/sy_flat_button.h"

namespace session_testing {

struct ShownAlert {
  std::thread::id thread;
  uint64_t style = 0;
  std::string title;
  std::string message;
  bool helpButton = false;
  bool modal = false;
  platform::Window* window = nullptr;
};

class AlertRecorder : public platform::Presenter {
 public:
  int runModal(platform::Window& window) override {
    note(window, true);
    QTimer::singleShot(0, [&window] {
      if (auto* alert = qobject_cast<JW_Alert*>(window.windowController())) alert->okAction(alert->oOkButton);
    });
    return Presenter::runModal(window);
  }

  void present(platform::Window& window, bool makeKey) override {
    note(window, false);
    Presenter::present(window, makeKey);
  }

  std::vector<ShownAlert> shown() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return shown_;
  }
  size_t count() const { return count_.load(); }

 private:
  void note(platform::Window& window, bool modal) {
    ShownAlert a;
    a.thread = std::this_thread::get_id();
    a.modal = modal;
    a.window = &window;
    if (auto* alert = qobject_cast<JW_Alert*>(window.windowController())) {
      a.style = alert->alertStyle();
      a.title = alert->oTitleTextField ? alert->oTitleTextField->text().toStdString() : std::string();
      a.message = alert->oInformationTextField ? alert->oInformationTextField->text().toStdString() : std::string();
      a.helpButton = alert->oHelpButton && !alert->oHelpButton->isHidden();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(a);
    count_ = shown_.size();
  }

  mutable std::mutex mutex_;
  std::vector<ShownAlert> shown_;
  std::atomic<size_t> count_{0};
};

}  // namespace session_testing
