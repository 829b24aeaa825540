#pragma once
// For tests (header only): a presenter that notes every alert that reaches the screen (thread, style, texts,
// modal or not) and answers a modal one once its session runs: the program's own alerts by pressing OK, or as
// `answer` decides; the platform's plain alerts by pressing their first (default) button, or as
// `answerPlatformAlert` decides. Other windows (popovers, panels) go to the screen unnoted.
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtWidgets/qtestsupport_widgets.h>
#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/alert.h"
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
  // Answers a platform alert (platform/ui/alert.h) on the main thread inside its session, once its window is
  // active (so that keys typed into its field, Return and Escape reach it); null presses its first button.
  std::function<void(platform::Alert& alert, const ShownAlert& shown)> answerPlatformAlert;

  int runModal(platform::Window& window) override {
    if (!isAlert(window)) return Presenter::runModal(window);
    const ShownAlert shown = note(window, true);
    QTimer::singleShot(0, [this, &window, shown] {
      if (auto* alert = qobject_cast<JW_Alert*>(window.windowController())) {
        if (answer) answer(*alert, shown);
        else alert->okAction(alert->oOkButton);
      } else if (platform::Alert* plain = platform::Alert::alertOfWindow(&window)) {
        if (answerPlatformAlert) {
          (void)QTest::qWaitForWindowActive(&window);  // an answer that finds it inactive fails by itself
          answerPlatformAlert(*plain, shown);
        }
        else if (!plain->buttons().empty()) plain->buttons().front()->click();
      }
    });
    return Presenter::runModal(window);
  }

  void present(platform::Window& window, bool makeKey) override {
    if (isAlert(window)) note(window, false);
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
  static bool isAlert(platform::Window& window) {
    return qobject_cast<JW_Alert*>(window.windowController()) != nullptr || platform::Alert::alertOfWindow(&window) != nullptr;
  }

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
    } else if (platform::Alert* plain = platform::Alert::alertOfWindow(&window)) {
      a.title = plain->messageText().toStdString();
      a.message = plain->informativeText().toStdString();
      const std::vector<QPushButton*>& buttons = plain->buttons();
      if (!buttons.empty()) a.okText = buttons.front()->text().toStdString();
      if (buttons.size() > 1) a.cancelText = buttons[1]->text().toStdString();
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
