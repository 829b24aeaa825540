#include "session/command.h"

#include <mutex>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/ui/window.h"
#include "platform/ui/window_controller.h"
#include "widgets/jw_alert.h"
#include "widgets/sfb_popover.h"

namespace {

// The batch that began last; cleared by the first batch that ends (changeWaitDialog only needs a best guess).
struct CurrentCommand {
  std::mutex mutex;
  std::shared_ptr<Command> command;
};
CurrentCommand& current() {
  static CurrentCommand c;
  return c;
}
void setCurrent(std::shared_ptr<Command> command) {
  std::lock_guard<std::mutex> lock(current().mutex);
  current().command = std::move(command);
}
std::shared_ptr<Command> currentCommand() {
  std::lock_guard<std::mutex> lock(current().mutex);
  return current().command;
}

constexpr int32_t kConnectionFailure = 0xFF0E;
constexpr float kOverlayGraceTime = 1.0f;

// Windows that stand over another one and leave the overlay to the window behind: alerts, the widget kit's
// popovers, and windows that ride on another (the platform's popovers).
bool coversWithOverlayBehind(QWidget* window) {
  if (qobject_cast<SFBPopoverWindow*>(window)) return true;
  auto* ours = qobject_cast<platform::Window*>(window);
  return ours && (qobject_cast<JW_Alert*>(ours->windowController()) != nullptr || ours->parentWindow() != nullptr);
}

QWidget* contentViewOf(QWidget* window) {
  if (auto* ours = qobject_cast<platform::Window*>(window); ours && ours->contentView()) return ours->contentView();
  return window;
}

// The content view of the first window in front-to-back order, or null.
QWidget* frontContentView() {
  const std::vector<QWidget*> windows = platform::Window::orderedWindows();
  return windows.empty() ? nullptr : contentViewOf(windows.front());
}

}  // namespace

QWidget* Command::overlayHostView() {
  const std::vector<QWidget*> windows = platform::Window::orderedWindows();
  if (windows.empty()) return nullptr;
  // A picker's popover over a panel's popover over the window: the window, however many stand over it.
  for (QWidget* window : windows)
    if (!coversWithOverlayBehind(window)) return contentViewOf(window);
  return contentViewOf(windows.front());
}

void Command::setWaitView(MBProgressHUD* view) { waitView_ = view; }

void Command::runCommands(CommandBlockArray commands, ReturnBlock returnBlock, QWidget* view,
                          platform::DispatchQueue* queue) {
  if (!platform::isMainThread()) {
    // Returns once the overlay is up and the batch queued, so that callers on a worker may rely on both.
    platform::mainQueue().sync([&] { runCommands(std::move(commands), std::move(returnBlock), view, queue); });
    return;
  }
  std::shared_ptr<Command> command(new Command());
  command->returnBlock_ = std::move(returnBlock);

  if (view != nullptr) {
    if (QWidget* host = overlayHostView()) {
      MBProgressHUD* hud = MBProgressHUD::showHUDAddedTo(host, true);
      command->waitView_ = hud;
      hud->setRemoveFromSuperViewOnHide(true);
      hud->setGraceTime(kOverlayGraceTime);
      std::string title;
      if (!commands.empty() && commands.front().title()) title = *commands.front().title();
      hud->setLabelText(QString::fromStdString(title));
      hud->show(true);
    }
  }

  platform::DispatchQueue& target = queue != nullptr ? *queue : platform::globalQueue(platform::QueuePriority::Default);
  target.async([command, commands = std::move(commands)] { command->runCommandsInBackground(commands); });
}

void Command::runCommands(CommandBlockArray commands, ReturnBlock returnBlock) {
  runCommandsWithQueue(std::move(commands), std::move(returnBlock), nullptr);
}

void Command::runCommandsWithQueue(CommandBlockArray commands, ReturnBlock returnBlock,
                                   platform::DispatchQueue* queue) {
  if (!platform::isMainThread()) {
    // The front window is read on the main thread.
    platform::mainQueue().sync(
        [&] { runCommandsWithQueue(std::move(commands), std::move(returnBlock), queue); });
    return;
  }
  runCommands(std::move(commands), std::move(returnBlock), frontContentView(), queue);
}

void Command::runCommandsInView(CommandBlockArray commands, ReturnBlock returnBlock, QWidget* view) {
  runCommands(std::move(commands), std::move(returnBlock), view, nullptr);
}

void Command::runCommandsInBackground(const CommandBlockArray& commands) {
  setCurrent(shared_from_this());
  int32_t result = -1;
  for (const CommandBlock& unit : commands) {
    result = unit.block() ? unit.block()() : -1;
    if (result < 0) break;
  }
  platform::mainQueue().async([self = shared_from_this(), result] { self->commandFinished(result); });
}

void Command::commandFinished(int32_t result) {
  setCurrent(nullptr);
  if (MBProgressHUD* hud = waitView_.data()) hud->hide(true);
  waitView_ = nullptr;
  if (result == kConnectionFailure) {
    platform::NotificationCenter::defaultCenter().postNotificationName(kConnectionFailureNotification,
                                                                      platform::Value(kConnectionFailure));
  }
  if (returnBlock_) {
    ReturnBlock block = std::move(returnBlock_);
    returnBlock_ = nullptr;
    block(result);
  }
}

void Command::changeWaitDialog(const std::string& text) {
  auto apply = [&text] {
    std::shared_ptr<Command> command = currentCommand();
    if (command && command->waitView_) command->waitView_->setLabelText(QString::fromStdString(text));
  };
  if (platform::isMainThread()) apply();
  else platform::mainQueue().sync(apply);
}
