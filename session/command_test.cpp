// The command runner: batches run on a worker one block after the other and stop at the first negative result,
// report on the main queue, post "ConnectionFailure" for a final 0xFF0E, run side by side on the global queue and
// in order on a serial queue, and put their overlay on the right window for as long as they run.
#include "session/command.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/foundation/dispatch.h"
#include "platform/foundation/notification_center.h"
#include "platform/foundation/test_application.h"
#include "platform/ui/window.h"
#include "widgets/jw_alert.h"
#include "widgets/mb_progress_hud.h"
#include "widgets/sfb_popover.h"

namespace {

using namespace std::chrono_literals;
constexpr auto kWait = 10s;

// What a return block saw.
struct Outcome {
  std::atomic<bool> done{false};
  std::atomic<int32_t> result{12345};
  std::atomic<bool> onMainThread{false};

  Command::ReturnBlock block() {
    return [this](int32_t r) {
      onMainThread = platform::isMainThread();
      result = r;
      done = true;
    };
  }
  bool await() {
    return platform::runMainUntil([this] { return done.load(); }, kWait);
  }
};

class CommandTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ensureTestApplication(); }
  void TearDown() override {
    for (auto& w : windows_) w->orderOut();
    windows_.clear();
    // Let overlays and windows that were let go be deleted before the next test looks at the window order.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  platform::Window* openWindow(platform::Window* w = nullptr) {
    if (w == nullptr) w = new platform::Window();
    w->setFrame({100, 100, 400, 300});
    w->orderFront();
    windows_.emplace_back(w);
    return w;
  }

  std::vector<std::unique_ptr<platform::Window>> windows_;
};

// A block that returns `value` and notes that it ran.
CommandBlock noting(std::vector<int>& ran, std::mutex& m, int index, int32_t value) {
  return CommandBlock(
      [&ran, &m, index, value] {
        std::lock_guard<std::mutex> lock(m);
        ran.push_back(index);
        return value;
      },
      "step");
}

TEST_F(CommandTest, BatchRunsInOrderAndStopsAtTheFirstNegativeResult) {
  struct Case {
    const char* name;
    std::vector<int32_t> results;
    std::vector<int> expectedRan;
    int32_t expectedResult;
  };
  const Case cases[] = {
      {"positive failures do not stop", {0x2001, 0x2019, 0x2002}, {0, 1, 2}, 0x2002},
      {"first negative stops at once", {-1, 0x2001, 0x2001}, {0}, -1},
      {"negative in the middle", {0x2001, -7, 0x2001}, {0, 1}, -7},
      {"the largest code is not negative", {0xFFFF, 0x2001}, {0, 1}, 0x2001},
      {"empty batch", {}, {}, -1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<int> ran;
    std::mutex m;
    CommandBlockArray batch;
    for (size_t i = 0; i < c.results.size(); ++i) batch.push_back(noting(ran, m, int(i), c.results[i]));
    Outcome outcome;
    Command::runCommandsInView(std::move(batch), outcome.block(), nullptr);
    ASSERT_TRUE(outcome.await());
    EXPECT_EQ(outcome.result, c.expectedResult);
    EXPECT_TRUE(outcome.onMainThread) << "the return block runs on the main queue";
    std::lock_guard<std::mutex> lock(m);
    EXPECT_EQ(ran, c.expectedRan);
  }
}

TEST_F(CommandTest, BlocksRunOffTheMainThread) {
  std::atomic<bool> onMain{true};
  Outcome outcome;
  Command::runCommandsInView({CommandBlock(
                                 [&] {
                                   onMain = platform::isMainThread();
                                   return int32_t{0x2001};
                                 },
                                 "off the main thread")},
                             outcome.block(), nullptr);
  ASSERT_TRUE(outcome.await());
  EXPECT_FALSE(onMain);
  EXPECT_EQ(outcome.result, 0x2001);
}

TEST_F(CommandTest, OnlyAFinalLinkFailurePostsConnectionFailureBeforeTheReturnBlock) {
  std::vector<std::string> events;
  int64_t posted = 0;
  auto token = platform::NotificationCenter::defaultCenter().addObserverForName(
      kConnectionFailureNotification, nullptr, [&](const platform::Notification& n) {
        events.push_back("notification");
        posted = n.object.toInteger();
      });
  struct Case {
    std::vector<int32_t> results;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {{0x2001, 0xFF0E}, {"notification", "return"}},
      {{0xFF0E, 0x2001}, {"return"}},  // an earlier 0xFF0E that is not the last result posts nothing
      {{0x2002}, {"return"}},
  };
  for (const Case& c : cases) {
    events.clear();
    CommandBlockArray batch;
    for (int32_t r : c.results) batch.emplace_back([r] { return r; }, "t");
    std::atomic<bool> done{false};
    Command::runCommandsInView(std::move(batch), [&](int32_t) { events.push_back("return"); done = true; }, nullptr);
    ASSERT_TRUE(platform::runMainUntil([&] { return done.load(); }, kWait));
    EXPECT_EQ(events, c.expected);
  }
  EXPECT_EQ(posted, 65294);
  platform::NotificationCenter::defaultCenter().removeObserver(token);
}

TEST_F(CommandTest, BatchesOnTheGlobalQueueRunAtTheSameTime) {
  // Each batch waits for the other to have started: only batches that overlap get past the rendezvous.
  platform::Semaphore aStarted, bStarted;
  Outcome a, b;
  Command::runCommandsInView({CommandBlock(
                                 [&] {
                                   aStarted.signal();
                                   return int32_t(bStarted.waitFor(kWait) ? 1 : -1);
                                 },
                                 "A")},
                             a.block(), nullptr);
  Command::runCommandsInView({CommandBlock(
                                 [&] {
                                   bStarted.signal();
                                   return int32_t(aStarted.waitFor(kWait) ? 2 : -2);
                                 },
                                 "B")},
                             b.block(), nullptr);
  ASSERT_TRUE(a.await());
  ASSERT_TRUE(b.await());
  EXPECT_EQ(a.result, 1);
  EXPECT_EQ(b.result, 2);
}

TEST_F(CommandTest, BatchesOnASerialQueueRunOneAfterTheOtherInTheirOrder) {
  auto queue = platform::createSerialQueue("test.commands");
  platform::Semaphore gate, firstStarted;
  std::mutex m;
  std::vector<std::string> log;
  std::atomic<int> inside{0};
  std::atomic<bool> overlapped{false};
  auto enter = [&](const std::string& what) {
    if (inside.fetch_add(1) != 0) overlapped = true;
    std::lock_guard<std::mutex> lock(m);
    log.push_back(what);
  };
  auto leave = [&] { inside.fetch_sub(1); };

  std::vector<std::unique_ptr<Outcome>> outcomes;
  for (int i = 0; i < 4; ++i) {
    outcomes.push_back(std::make_unique<Outcome>());
    CommandBlockArray batch;
    batch.emplace_back(
        [&, i] {
          enter("start " + std::to_string(i));
          if (i == 0) {
            firstStarted.signal();
            gate.wait();  // later batches must wait behind this one
          }
          leave();
          return int32_t(i);
        },
        "serial");
    batch.emplace_back(
        [&, i] {
          enter("end " + std::to_string(i));
          leave();
          return int32_t(i);
        },
        std::nullopt);
    Command::runCommands(std::move(batch), outcomes.back()->block(), nullptr, queue.get());
  }
  ASSERT_TRUE(firstStarted.waitFor(kWait));
  {
    std::lock_guard<std::mutex> lock(m);
    EXPECT_EQ(log, (std::vector<std::string>{"start 0"})) << "nothing else ran while the first batch waits";
  }
  gate.signal();
  for (auto& o : outcomes) ASSERT_TRUE(o->await());
  EXPECT_FALSE(overlapped);
  EXPECT_EQ(log, (std::vector<std::string>{"start 0", "end 0", "start 1", "end 1", "start 2", "end 2", "start 3",
                                           "end 3"}));
  for (int i = 0; i < 4; ++i) EXPECT_EQ(outcomes[i]->result, i);
}

// A menu, a pop-up list or a tooltip open in front is not a window: the overlay goes on the window under it.
TEST_F(CommandTest, OverlayHostSkipsMenusPopupsAndTooltips) {
  platform::Window* window = openWindow();
  for (Qt::WindowType type : {Qt::Popup, Qt::ToolTip}) {
    SCOPED_TRACE(int(type));
    QWidget transient(nullptr, type);
    transient.resize(80, 40);
    transient.show();
    QCoreApplication::processEvents();
    platform::Semaphore gate;
    Outcome outcome;
    Command::runCommands({CommandBlock([&] { gate.wait(); return int32_t{0x2001}; }, "Working")}, outcome.block());
    EXPECT_NE(MBProgressHUD::HUDForView(window->contentView()), nullptr);
    EXPECT_EQ(MBProgressHUD::HUDForView(&transient), nullptr);
    gate.signal();
    ASSERT_TRUE(outcome.await());
  }
}

// The overlay's host for each arrangement of windows, while the batch runs, and its removal afterwards.
TEST_F(CommandTest, OverlayCoversTheRightWindowWhileTheBatchRuns) {
  enum Front { Plain, Alert, Popover };
  struct Case {
    const char* name;
    Front front;
    bool windowBehind;
  };
  const Case cases[] = {
      {"plain window in front of another", Plain, true},
      {"alert in front: the window behind it", Alert, true},
      {"popover in front: the window behind it", Popover, true},
      {"an alert alone gets the overlay itself", Alert, false},
      {"a popover alone gets the overlay itself", Popover, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    platform::Window* behind = c.windowBehind ? openWindow() : nullptr;
    std::shared_ptr<JW_Alert> alert;
    platform::Window* front = nullptr;
    if (c.front == Plain) {
      front = openWindow();
    } else if (c.front == Alert) {
      alert = JW_Alert::jwAlertWithStyle(1);
      alert->showNonModal();
      front = alert->window();
    } else {
      front = openWindow(new SFBPopoverWindow({200, 200, 150, 100}));
    }
    ASSERT_FALSE(platform::Window::orderedWindows().empty());
    ASSERT_EQ(platform::Window::orderedWindows().front(), front);
    QWidget* expected = (c.front != Plain && behind) ? behind->contentView() : front->contentView();
    QWidget* other = expected == front->contentView() ? (behind ? behind->contentView() : nullptr) : front->contentView();

    platform::Semaphore gate;
    Outcome outcome;
    Command::runCommands({CommandBlock([&] { gate.wait(); return int32_t{0x2001}; }, "Downloading..."),
                          CommandBlock([] { return int32_t{0x2001}; }, "Later title")},
                         outcome.block());
    MBProgressHUD* hud = MBProgressHUD::HUDForView(expected);
    ASSERT_NE(hud, nullptr);
    EXPECT_TRUE(hud->isVisible());
    EXPECT_EQ(hud->labelText().value_or(QString()), QStringLiteral("Downloading..."));
    EXPECT_TRUE(hud->removeFromSuperViewOnHide());
    EXPECT_FLOAT_EQ(hud->graceTime(), 1.0f);
    if (other) {
      EXPECT_EQ(MBProgressHUD::HUDForView(other), nullptr);
    }
    QPointer<MBProgressHUD> watched(hud);

    gate.signal();
    ASSERT_TRUE(outcome.await());
    EXPECT_EQ(outcome.result, 0x2001);
    EXPECT_TRUE(platform::runMainUntil([&] { return watched.isNull(); }, kWait)) << "the overlay went away";
    EXPECT_EQ(MBProgressHUD::HUDForView(expected), nullptr);

    if (alert) alert->close();
    for (auto& w : windows_) w->orderOut();
    windows_.clear();
  }
}

// A picker's popover riding on a panel's popover over a window: the overlay skips both popovers.
TEST_F(CommandTest, OverlaySkipsEveryPopoverStandingOverTheWindow) {
  platform::Window* window = openWindow();
  platform::Window* panel = openWindow(new SFBPopoverWindow({200, 200, 150, 100}));
  window->addChildWindow(panel);
  platform::Window* picker = openWindow(new platform::Window(true));
  panel->addChildWindow(picker);
  picker->orderFront();
  ASSERT_EQ(platform::Window::orderedWindows().front(), picker);

  platform::Semaphore gate;
  Outcome outcome;
  Command::runCommands({CommandBlock([&] { gate.wait(); return int32_t{0x2001}; }, "Starting")}, outcome.block());
  EXPECT_NE(MBProgressHUD::HUDForView(window->contentView()), nullptr);
  EXPECT_EQ(MBProgressHUD::HUDForView(panel->contentView()), nullptr);
  EXPECT_EQ(MBProgressHUD::HUDForView(picker->contentView()), nullptr);
  gate.signal();
  ASSERT_TRUE(outcome.await());
}

TEST_F(CommandTest, LabelComesFromTheFirstBlockAndChangesOnlyOnRequest) {
  platform::Window* window = openWindow();
  platform::Semaphore gate;
  std::atomic<bool> labelChanged{false};
  Outcome outcome;
  Command::runCommands({CommandBlock([] { return int32_t{0x2001}; }, std::nullopt),
                        CommandBlock(
                            [&] {
                              gate.wait();
                              Command::changeWaitDialog("Step two");  // from the worker: waits for the main queue
                              labelChanged = true;
                              gate.wait();
                              return int32_t{0x2001};
                            },
                            "Second")},
                       outcome.block());
  MBProgressHUD* hud = MBProgressHUD::HUDForView(window->contentView());
  ASSERT_NE(hud, nullptr);
  EXPECT_EQ(hud->labelText(), std::optional<QString>(QString())) << "an untitled first block labels it empty";
  gate.signal();
  ASSERT_TRUE(platform::runMainUntil([&] { return labelChanged.load(); }, kWait));
  EXPECT_EQ(hud->labelText().value_or(QString()), QStringLiteral("Step two"));
  gate.signal();
  ASSERT_TRUE(outcome.await());

  // Without a running batch the request does nothing.
  Command::changeWaitDialog("nobody listens");
}

TEST_F(CommandTest, WithoutAReturnBlockTheOverlayIsStillRemoved) {
  platform::Window* window = openWindow();
  std::atomic<bool> ran{false};
  Command::runCommands({CommandBlock([&] { ran = true; return int32_t{0x2001}; }, "Quiet")}, nullptr);
  QPointer<MBProgressHUD> hud = MBProgressHUD::HUDForView(window->contentView());
  ASSERT_FALSE(hud.isNull());
  EXPECT_TRUE(platform::runMainUntil([&] { return hud.isNull(); }, kWait));
  EXPECT_TRUE(ran);
}

TEST_F(CommandTest, WithoutAnyWindowTheBatchRunsWithoutOverlay) {
  ASSERT_TRUE(platform::Window::orderedWindows().empty());
  Outcome outcome;
  Command::runCommands({CommandBlock([] { return int32_t{0x2001}; }, "Nowhere")}, outcome.block());
  ASSERT_TRUE(outcome.await());
  EXPECT_EQ(outcome.result, 0x2001);
}

// Watches a view for an overlay being added to it (on the main thread).
struct ChildAddedWatcher : QObject {
  std::atomic<bool> added{false};
  bool eventFilter(QObject*, QEvent* e) override {
    if (e->type() == QEvent::ChildAdded && qobject_cast<MBProgressHUD*>(static_cast<QChildEvent*>(e)->child()))
      added = true;
    return false;
  }
};

TEST_F(CommandTest, StartedFromAWorkerItReturnsOnceTheOverlayIsUp) {
  platform::Window* window = openWindow();
  ChildAddedWatcher watcher;
  window->contentView()->installEventFilter(&watcher);
  platform::Semaphore gate;
  Outcome outcome;
  std::atomic<bool> returned{false};
  std::atomic<bool> overlayUpOnReturn{false};
  std::thread worker([&] {
    Command::runCommands({CommandBlock([&] { gate.wait(); return int32_t{7}; }, "From a worker")},
                         outcome.block());
    overlayUpOnReturn = watcher.added.load();
    returned = true;
  });
  ASSERT_TRUE(platform::runMainUntil([&] { return returned.load(); }, kWait));
  worker.join();
  EXPECT_TRUE(overlayUpOnReturn);
  MBProgressHUD* hud = MBProgressHUD::HUDForView(window->contentView());
  ASSERT_NE(hud, nullptr);
  EXPECT_EQ(hud->labelText().value_or(QString()), QStringLiteral("From a worker"));
  gate.signal();
  ASSERT_TRUE(outcome.await());
  EXPECT_EQ(outcome.result, 7);
  window->contentView()->removeEventFilter(&watcher);
}

}  // namespace
