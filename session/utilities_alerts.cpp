// The alerts of Utilities.
#include <QString>
#include <set>
#include <string>

#include "platform/foundation/dispatch.h"
#include "session/ptp_errors.h"
#include "session/utilities.h"
#include "widgets/jw_alert.h"

namespace {

enum AlertStyle : uint64_t { kWarningStyle = 0, kInfoStyle = 1, kErrorStyle = 2 };

// How long a self-dismissing information stays up: long enough to read a line, as the connection view's
// self-dismissing errors do.
constexpr double kInfoAutoDismissSeconds = 3.0;

std::shared_ptr<JW_Alert> makeAlert(AlertStyle style, const std::string& title, const std::string& message) {
  auto alert = JW_Alert::jwAlertWithStyle(style);
  alert->setTitleText(QString::fromStdString(title));
  alert->setInformationText(QString::fromStdString(message));
  return alert;
}

// Off the main thread: queues `call` on the main queue and answers true, so the caller returns at once.
template <class F>
bool handedToMainQueue(F call) {
  if (platform::isMainThread()) return false;
  platform::mainQueue().async(std::move(call));
  return true;
}

}  // namespace

void Utilities::showWarningMessage(const std::string& message) {
  if (handedToMainQueue([message] { showWarningMessage(message); })) return;
  makeAlert(kWarningStyle, "Warning", message)->show();
}

void Utilities::showInfoMessage(const std::string& message, const std::string& title) {
  showInfoMessage(message, title, false);
}

void Utilities::showInfoMessage(const std::string& message, const std::string& title, bool autoDismiss) {
  if (handedToMainQueue([message, title, autoDismiss] { showInfoMessage(message, title, autoDismiss); })) return;
  auto alert = makeAlert(kInfoStyle, title, message);
  // A self-dismissing note must not hold the main thread in a modal session the user did not ask to end.
  if (autoDismiss) alert->showAndDismiss(kInfoAutoDismissSeconds);
  else alert->show();
}

void Utilities::showErrorMessage(const std::string& message) { showErrorMessage(message, std::string()); }

void Utilities::showErrorMessage(const std::string& message, const std::string& helpMessage) {
  if (handedToMainQueue([message, helpMessage] { showErrorMessage(message, helpMessage); })) return;
  // The same error while it is on screen says nothing new: a dropped link fails every queued thumbnail, and an
  // alert each, every one a modal session inside the last, held the main thread (and the reconnect) for minutes.
  static std::set<std::string> onScreen;  // main thread only
  if (!onScreen.insert(message).second) return;
  auto alert = makeAlert(kErrorStyle, "Error", message);
  if (!helpMessage.empty()) alert->setHelpText(QString::fromStdString(helpMessage));
  alert->show();  // modal: back once it is closed
  onScreen.erase(message);
}

void Utilities::showErrorMessage(const std::string& message, uint16_t errorCode) {
  showErrorMessage(PtpErrors::appendString(message + " ", errorCode));
}

void Utilities::showAndDismissErrorMessage(const std::string& message, double delay) {
  // Widgets live on the main thread; a caller elsewhere is handed over rather than allowed to touch them.
  if (handedToMainQueue([message, delay] { showAndDismissErrorMessage(message, delay); })) return;
  makeAlert(kErrorStyle, "Error", message)->showAndDismiss(delay);
}
