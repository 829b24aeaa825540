#pragma once
// The command runner. A caller hands an ordered batch of CommandBlocks and a return block to one of the run
// operations and goes on: the batch runs on a worker queue, one block after the other, stopping after the first
// negative result, while a progress overlay labelled with the first block's title covers the front window. When
// the batch ends the overlay goes away and the return block receives the last result on the main queue (-1 for
// an empty batch). A final result of 0xFF0E (link failure) first posts "ConnectionFailure".
//
// The runner has no queue of its own: batches on the global queue may run at the same time, batches on one serial
// queue run one after the other in the order they were started. The run operations may be called from any
// thread; off the main thread they hop to the main queue synchronously, so that when they return the overlay is
// up and the batch queued.
#include <QPointer>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "session/command_block.h"
#include "widgets/mb_progress_hud.h"

class QWidget;
namespace platform {
class DispatchQueue;
}

// Posted on the default centre when a batch ends with 0xFF0E; its object is the number 65294.
inline constexpr const char* kConnectionFailureNotification = "ConnectionFailure";

class Command : public std::enable_shared_from_this<Command> {
 public:
  using ReturnBlock = std::function<void(int32_t result)>;

  // The full form. `view` is only a switch: null runs the batch without an overlay; any other view asks for an
  // overlay, which goes over the front window (or the window behind a front alert or popover window), not over
  // the view itself. A null `queue` is the global queue of default priority. The queue must stay alive during
  // this call; once queued, the batch keeps running when the caller lets its handle go.
  static void runCommands(CommandBlockArray commands, ReturnBlock returnBlock, QWidget* view,
                          platform::DispatchQueue* queue);
  // On the global queue, with an overlay when a window is open.
  static void runCommands(CommandBlockArray commands, ReturnBlock returnBlock);
  // On `queue` (null: the global queue), with an overlay when a window is open.
  static void runCommandsWithQueue(CommandBlockArray commands, ReturnBlock returnBlock,
                                   platform::DispatchQueue* queue);
  // On the global queue; with an overlay unless `view` is null.
  static void runCommandsInView(CommandBlockArray commands, ReturnBlock returnBlock, QWidget* view);

  // Sets the label of the running batch's overlay (the batch that began last), on the main queue; from another
  // thread it waits for the main queue. Does nothing when no batch runs or it has no overlay.
  static void changeWaitDialog(const std::string& text);
  // Kept for callers that ask for the overlay's placement; the overlay is always centred.
  static void setWaitDialogOffsetToTop() {}
  static void setWaitDialogOffsetToCenter() {}

  // The content view of the window that an overlay covers now: the front window, or, while alerts and popover
  // windows stand in front, the first window behind them (the front one when there is no other); null without a
  // window.
  static QWidget* overlayHostView();

  MBProgressHUD* waitView() const { return waitView_.data(); }
  void setWaitView(MBProgressHUD* view);
  const ReturnBlock& returnBlock() const { return returnBlock_; }
  void setReturnBlock(ReturnBlock block) { returnBlock_ = std::move(block); }

  // Runs the batch on the calling thread, then schedules commandFinished on the main queue.
  void runCommandsInBackground(const CommandBlockArray& commands);
  // Ends the batch on the main queue: overlay hidden, "ConnectionFailure" posted for 0xFF0E, return block called.
  void commandFinished(int32_t result);

 private:
  Command() = default;

  QPointer<MBProgressHUD> waitView_;
  ReturnBlock returnBlock_;
};
