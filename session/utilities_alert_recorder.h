#pragma once
// For tests (header only): a presenter that notes every alert that reaches the screen (thread, style, texts,
// modal or not) and answers a modal one once its session runs: by pressing OK, or as `answer` decides.
#include <QPointer>
#include <QTimer>
#include <atomic>
#include <functional>
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
  std::string okText;
  std::string cancelText;  // empty when the alert has no cancel button
  bool helpButton = false;
  bool modal = false;
  QPointer<platform::Window> window;  // alerts let go of their windows once closed
};

class AlertRecorder : public platform::Presenter {
 public:
  // Answers a modal alert on the main thread inside its session; null presses OK.
  std::function<void(JW_Alert& alert, const ShownAlert& shown)> answer;

  int runModal(platform::Window& window) override {
    const ShownAlert shown = note(window, true);
    QTimer::singleShot(0, [this, &window, shown] {
      auto* alert = qobject_cast<JW_Alert*>(window.windowController());
      if (alert == nullptr) return;
      if (answer) answer(*alert, shown);
      else alert->okAction(alert->oOkButton);
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
  bool sawMessage(const std::string& message) const {
    for (const ShownAlert& a : shown())
      if (a.message == message) return true;
    return false;
  }

 private:
  ShownAlert note(platform::Window& window, bool modal) {
    ShownAlert a;
    a.thread = std::this_thread::get_id();
    a.modal = modal;
    a.window = &window;
    if (auto* alert = qobject_cast<JW_Alert*>(window.windowController())) {
      a.style = alert->alertStyle();
      a.title = alert->oTitleTextField ? alert->oTitleTextField->text().toStdString() : std::string();
      a.message = alert->oInformationTextField ? alert->oInformationTextField->text().toStdString() : std::string();
      a.helpButton = alert->oHelpButton && !alert->oHelpButton->isHidden();
      if (alert->oOkButton) a.okText = alert->oOkButton->title().toStdString();
      if (alert->oCancelButton && !alert->oCancelButton->isHidden())
        a.cancelText = alert->oCancelButton->title().toStdString();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    shown_.push_back(a);
    count_ = shown_.size();
    return a;
  }

  mutable std::mutex mutex_;
  std::vector<ShownAlert> shown_;
  std::atomic<size_t> count_{0};
};

}  // namespace session_testing
