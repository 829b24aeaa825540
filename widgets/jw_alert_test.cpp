// The alert: loaded from its interface file, answered by real clicks on its buttons inside its modal session,
// waited for from a background thread, shown for a time, and its help popover.
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>
#include <thread>

#include "platform/foundation/dispatch.h"
#include "platform/ui/modal_session.h"
#include "platform/ui/presenter.h"
#include "platform/ui/view_geometry.h"
#include "platform/ui/window.h"
#include "platform/ui/window_shadow.h"
#include "widgets/alert_icons.h"
#include "widgets/jw_alert.h"
#include "widgets/sfb_popover.h"
#include "widgets/sy_flat_button.h"
#include "widgets/testing/widget_fixture.h"

namespace {

void clickButton(QWidget* b) {
  QWidget* win = b->window();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(win));
  QTest::mouseClick(win->windowHandle(), Qt::LeftButton, {}, b->mapTo(win, b->rect().center()));
}

// Acts inside the modal session once the alert is up: what a user would do.
struct DrivingPresenter : platform::Presenter {
  std::function<void(platform::Window&)> whenModal;
  int sessions = 0;
  int runModal(platform::Window& w) override {
    ++sessions;
    QTimer::singleShot(0, [this, &w] {
      if (whenModal) whenModal(w);
    });
    return Presenter::runModal(w);
  }
};

class AlertTest : public widgets_testing::WidgetFixture {
 protected:
  DrivingPresenter presenter_;
  platform::ScopedPresenter scopedPresenter_{presenter_};
};

TEST_F(AlertTest, OnlyTheButtonsWithTextsShow) {
  auto alert = JW_Alert::jwAlertWithStyle(1);
  alert->setTitleText(QStringLiteral("Load Session"));
  alert->setInformationText(QStringLiteral("Would you like to load the previous session?"));
  alert->setTitleText(std::nullopt);  // ignored
  platform::Window* w = alert->window();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(w->windowController(), alert.get());
  EXPECT_EQ(alert->oTitleTextField->text(), QStringLiteral("Load Session"));
  EXPECT_EQ(alert->oInformationTextField->text(), QStringLiteral("Would you like to load the previous session?"));
  EXPECT_EQ(alert->oOkButton->title(), QStringLiteral("OK"));
  EXPECT_FALSE(alert->oOkButton->isHidden());
  EXPECT_TRUE(alert->oCancelButton->isHidden());
  EXPECT_TRUE(alert->oThirdButton->isHidden());
  EXPECT_TRUE(alert->oHelpButton->isHidden());
  EXPECT_TRUE(alert->oCheckButton->isHidden());
  EXPECT_TRUE(alert->oProgressIndicator->isHidden());
  EXPECT_EQ(alert->oOkButton->titleNormalColor(), platform::Color::whiteColor());
  EXPECT_TRUE(alert->oOkButton->hasTrackingArea()) << "buttons from the interface file follow the pointer";
  // Texts set after loading go straight into the window.
  alert->setInformationText(QStringLiteral("Changed"));
  EXPECT_EQ(alert->oInformationTextField->text(), QStringLiteral("Changed"));
  alert->setInformationText(std::nullopt);
  EXPECT_EQ(alert->oInformationTextField->text(), QStringLiteral("Changed"));
}

TEST_F(AlertTest, EachStyleShowsItsIcon) {
  struct Case {
    std::uint64_t style;
    QColor colour;  // of the icon's body
  };
  const QColor amber(255, 158, 10), blue(10, 133, 255), red(255, 69, 59);
  for (const Case& c : {Case{0, amber}, Case{1, blue}, Case{2, red}, Case{5, blue}}) {
    SCOPED_TRACE(c.style);
    auto alert = JW_Alert::jwAlertWithStyle(c.style);
    alert->window();
    const QImage shown = alert->oImageView->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_FALSE(shown.isNull());
    // The lower middle of the icon is its body's colour, whatever the glyph on it.
    EXPECT_TRUE(widgets_testing::near(shown.pixelColor(shown.width() / 2, shown.height() * 78 / 100), c.colour, 6));
    EXPECT_FALSE(alert->oLogoImageView->pixmap().isNull());
  }
  EXPECT_EQ(alertIconNameForStyle(5), QStringLiteral("AlertNoteIcon"));
}

TEST_F(AlertTest, TheLogoFollowsTheApplicationIconSetBetweenAlerts) {
  // The icons are drawn once and kept: an application icon set after an alert has shown must still reach the next.
  const QIcon before = QGuiApplication::windowIcon();
  auto logoCentre = [] {
    auto alert = JW_Alert::jwAlertWithStyle(1);
    alert->window();
    const QImage logo = alert->oLogoImageView->pixmap().toImage().convertToFormat(QImage::Format_ARGB32);
    return logo.isNull() ? QColor() : logo.pixelColor(logo.width() / 2, logo.height() / 2);
  };
  const QColor green(20, 200, 60), magenta(220, 30, 200);
  QColor shown[2];
  int i = 0;
  for (const QColor& colour : {green, magenta}) {
    QPixmap icon(128, 128);
    icon.fill(colour);
    QGuiApplication::setWindowIcon(QIcon(icon));
    logoCentre();  // an alert before the one looked at: the second sees what the first left behind
    shown[i++] = logoCentre();
  }
  QGuiApplication::setWindowIcon(before);
  EXPECT_TRUE(widgets_testing::near(shown[0], green, 6)) << shown[0].name().toStdString();
  EXPECT_TRUE(widgets_testing::near(shown[1], magenta, 6)) << shown[1].name().toStdString();
}

TEST_F(AlertTest, ModalShowReturnsWhenAButtonIsClickedWithItsResponse) {
  struct Case {
    const char* button;
    std::int64_t response;
  };
  for (const Case& c : {Case{"ok", 1}, Case{"cancel", 0}, Case{"third", -1001}}) {
    SCOPED_TRACE(c.button);
    auto alert = JW_Alert::jwAlertWithStyle(2);
    std::vector<std::string> ran;
    QObject* senderSeen = nullptr;
    alert->setOkButtonText(QStringLiteral("Keep"), [&](QObject* s) { ran.push_back("ok"); senderSeen = s; });
    alert->setCancelButtonText(QStringLiteral("Cancel"), [&](QObject* s) { ran.push_back("cancel"); senderSeen = s; });
    alert->setThirdButtonText(QStringLiteral("Other"), [&](QObject* s) { ran.push_back("third"); senderSeen = s; });
    SYFlatButton* target = nullptr;
    presenter_.whenModal = [&](platform::Window& w) {
      EXPECT_TRUE(w.isVisible());
      EXPECT_EQ(platform::modalWindow(), &w);
      EXPECT_EQ(w.windowModality(), Qt::ApplicationModal);
      target = c.response == 1 ? alert->oOkButton : c.response == 0 ? alert->oCancelButton : alert->oThirdButton;
      clickButton(target);
    };
    alert->show();  // returns once the click has ended the session
    EXPECT_TRUE(alert->isModal());
    EXPECT_EQ(alert->response(), c.response);
    EXPECT_EQ(ran, (std::vector<std::string>{c.button}));
    EXPECT_EQ(senderSeen, target);
    EXPECT_FALSE(alert->window()->isVisible());
    EXPECT_FALSE(platform::isModalSessionRunning());
    EXPECT_EQ(alert->waitForButton(), c.response) << "the press was counted on the semaphore";
  }
}

TEST_F(AlertTest, BlockingShowFromAWorkerReturnsAfterTheClick) {
  for (std::int64_t expected : {std::int64_t{1}, std::int64_t{0}, std::int64_t{-1001}}) {
    SCOPED_TRACE(expected);
    std::shared_ptr<JW_Alert> alert;
    alert = JW_Alert::jwAlertWithStyle(1);
    alert->setOkButtonText(QStringLiteral("Keep Sharing"), {});
    alert->setCancelButtonText(QStringLiteral("Cancel Sharing"), {});
    std::atomic<bool> handlerRan{false};
    std::thread::id handlerThread;
    alert->setThirdButtonText(QStringLiteral("Later"), [&](QObject*) {
      handlerThread = std::this_thread::get_id();
      handlerRan = true;
    });
    presenter_.whenModal = [&](platform::Window&) {
      clickButton(expected == 1 ? alert->oOkButton : expected == 0 ? alert->oCancelButton : alert->oThirdButton);
    };
    std::atomic<bool> done{false};
    std::atomic<std::int64_t> result{12345};
    bool handlerBeforeReturn = false;
    std::thread worker([&, a = alert] {
      result = a->blockingShow();
      handlerBeforeReturn = expected != -1001 || handlerRan;
      done = true;
    });
    EXPECT_TRUE(platform::runMainUntil([&] { return done.load(); }, std::chrono::seconds(20)));
    worker.join();
    EXPECT_EQ(result, expected);
    EXPECT_TRUE(handlerBeforeReturn);
    if (expected == -1001) {
      EXPECT_EQ(handlerThread, std::this_thread::get_id()) << "blocks run on the main thread";
    }
  }
}

// The window manager's close request (the close shortcut, the title bar's close button).
void requestClose(platform::Window& w) {
  ASSERT_NE(w.windowHandle(), nullptr);
  w.windowHandle()->close();
}

TEST_F(AlertTest, CloseRequestAnswersLikeCancelOrIsRefusedWhileAButtonMustBeChosen) {
  struct Case {
    const char* name;
    bool cancel, third;
    bool closes;
    std::int64_t response;
    const char* handler;
  };
  const Case cases[] = {
      {"with a cancel button: cancel", true, true, true, 0, "cancel"},
      {"OK alone: OK", false, false, true, 1, "ok"},
      {"OK and a third button: refused", false, true, false, 1, "ok"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    auto alert = JW_Alert::jwAlertWithStyle(1);
    std::vector<std::string> ran;
    alert->setOkButtonText(QStringLiteral("OK"), [&](QObject*) { ran.push_back("ok"); });
    if (c.cancel) alert->setCancelButtonText(QStringLiteral("Cancel"), [&](QObject*) { ran.push_back("cancel"); });
    if (c.third) alert->setThirdButtonText(QStringLiteral("Later"), [&](QObject*) { ran.push_back("third"); });
    bool stillUpAfterRequest = false;
    presenter_.whenModal = [&](platform::Window& w) {
      requestClose(w);
      QCoreApplication::processEvents();
      stillUpAfterRequest = w.isVisible() && platform::isModalSessionRunning();
      if (stillUpAfterRequest) clickButton(alert->oOkButton);  // the user chooses after all
      if (platform::isModalSessionRunning() && !w.isVisible()) platform::stopModal(0);  // never hang the test
    };
    alert->show();  // returns only once the session has ended
    EXPECT_EQ(stillUpAfterRequest, !c.closes);
    EXPECT_FALSE(alert->window()->isVisible());
    EXPECT_FALSE(platform::isModalSessionRunning());
    EXPECT_EQ(alert->response(), c.response);
    EXPECT_EQ(ran, (std::vector<std::string>{c.handler}));
  }
}

TEST_F(AlertTest, CloseRequestWakesAWorkerInBlockingShow) {
  auto alert = JW_Alert::jwAlertWithStyle(0);
  alert->setOkButtonText(QStringLiteral("Retry"), {});
  alert->setCancelButtonText(QStringLiteral("Cancel"), {});
  presenter_.whenModal = [](platform::Window& w) { requestClose(w); };
  std::atomic<bool> done{false};
  std::atomic<std::int64_t> result{12345};
  std::thread worker([&, a = alert] {
    result = a->blockingShow();
    done = true;
  });
  EXPECT_TRUE(platform::runMainUntil([&] { return done.load(); }, std::chrono::seconds(20)));
  if (!done) alert->cancelAction(nullptr);  // do not leave the worker hanging when the test fails
  worker.join();
  EXPECT_EQ(result, 0);
}

TEST_F(AlertTest, AppearsOnceCentredOverTheFrontWindowAsItsTransient) {
  platform::Window front;
  front.setFrame({200, 150, 700, 500});
  front.orderFront();
  auto alert = JW_Alert::jwAlertWithStyle(1);
  alert->setCancelButtonText(QStringLiteral("Cancel"), {});
  platform::Window* w = alert->window();
  // What the window does from the moment it is first shown.
  struct Watch : QObject {
    std::vector<QEvent::Type> events;
    QRect geometryAtShow;
    bool eventFilter(QObject* o, QEvent* e) override {
      if (e->type() == QEvent::Show || e->type() == QEvent::Hide) {
        events.push_back(e->type());
        if (e->type() == QEvent::Show) geometryAtShow = static_cast<QWidget*>(o)->frameGeometry();
      }
      return false;
    }
  } watch;
  w->installEventFilter(&watch);
  bool transientOfFront = false;
  presenter_.whenModal = [&](platform::Window& shown) {
    transientOfFront = shown.windowHandle() && shown.windowHandle()->transientParent() == front.windowHandle();
    clickButton(alert->oCancelButton);
  };
  alert->show();
  w->removeEventFilter(&watch);
  EXPECT_EQ(watch.events, (std::vector<QEvent::Type>{QEvent::Show, QEvent::Hide})) << "shown once, no flash";
  EXPECT_EQ(watch.geometryAtShow.center(), front.frameGeometry().center()) << "in place when it first appears";
  EXPECT_TRUE(transientOfFront);
  // Non-modal too; and with no window to belong to, over the middle of the screen.
  front.orderOut();
  auto lone = JW_Alert::jwAlertWithStyle(1);
  lone->showNonModal();
  EXPECT_EQ(lone->window()->frameGeometry().center(), QGuiApplication::primaryScreen()->availableGeometry().center());
  EXPECT_EQ(lone->window()->windowHandle()->transientParent(), nullptr);
  // With its shadow around it, which leaves with it.
  platform::WindowShadow* shadow = lone->window()->shadowWindow();
  ASSERT_NE(shadow, nullptr);
  EXPECT_TRUE(shadow->isVisible());
  EXPECT_TRUE(shadow->geometry().contains(lone->window()->frameGeometry()));
  lone->close();
  EXPECT_FALSE(shadow->isVisible());
}

TEST_F(AlertTest, BlockingShowOnTheMainThreadAnswersAtOnce) {
  auto alert = JW_Alert::jwAlertWithStyle(0);
  EXPECT_EQ(alert->blockingShow(), -1001);
  EXPECT_EQ(presenter_.sessions, 0);
  EXPECT_FALSE(alert->isWindowLoaded()) << "nothing was shown";
}

TEST_F(AlertTest, LastReferenceLetGoOnAWorkerDeletesOnTheMainThread) {
  auto alert = JW_Alert::jwAlertWithStyle(1);
  alert->window();
  QPointer<platform::Window> window = alert->window();
  std::thread worker([a = std::move(alert)]() mutable { a.reset(); });
  worker.join();
  EXPECT_FALSE(window.isNull()) << "not deleted on the worker";
  EXPECT_TRUE(platform::runMainUntil([&] { return window.isNull(); }, std::chrono::seconds(10)));
}

TEST_F(AlertTest, ShowAndDismissOrdersTheWindowOutAfterItsTime) {
  QPointer<platform::Window> window;
  {
    auto alert = JW_Alert::jwAlertWithStyle(2);
    alert->showAndDismiss(2.0);
    window = alert->window();
    EXPECT_TRUE(window->isVisible());
    EXPECT_FALSE(alert->isModal());
    EXPECT_TRUE(window->isKeyWindow());
  }
  ASSERT_FALSE(window.isNull()) << "kept alive while shown";
  clock_->advance(1.9);
  EXPECT_TRUE(window->isVisible());
  clock_->advance(0.2);
  EXPECT_TRUE(window.isNull() || !window->isVisible());
  EXPECT_TRUE(window.isNull()) << "let go once ordered out";

  // A button pressed earlier closes it at once; the later dismissal does nothing more.
  auto alert = JW_Alert::jwAlertWithStyle(2);
  alert->showAndDismiss(2.0);
  clickButton(alert->oOkButton);
  EXPECT_FALSE(alert->window()->isVisible());
  EXPECT_EQ(alert->response(), 1);
  clock_->advance(3);
  EXPECT_FALSE(alert->window()->isVisible());
}

TEST_F(AlertTest, HelpButtonTogglesAPopoverAboveIt) {
  auto alert = JW_Alert::jwAlertWithStyle(2);
  alert->setInformationText(QStringLiteral("The camera did not answer."));
  alert->setHelpText(QStringLiteral("Check that the camera is switched on and connected to the device."));
  alert->showNonModal();
  ASSERT_FALSE(alert->oHelpButton->isHidden());
  clickButton(alert->oHelpButton);
  SFBPopover* help = alert->oHelpPopover;
  ASSERT_NE(help, nullptr);
  EXPECT_TRUE(help->isVisible());
  EXPECT_EQ(alert->oHelpTextField->text(), QStringLiteral("Check that the camera is switched on and connected to the device."));
  EXPECT_EQ(help->popoverWindow()->parentWindow(), alert->window());
  // Its arrow's tip sits on the middle of the help button's top edge.
  const platform::Rect b = platform::boundsOf(alert->oHelpButton);
  const platform::Point top = platform::convertPoint({b.midX(), b.maxY()}, alert->oHelpButton, nullptr);
  SFBPopoverWindow* pw = help->popoverWindow();
  EXPECT_EQ(pw->convertPointToScreen(pw->popoverWindowFrame()->attachmentPoint()),
            alert->window()->convertPointToScreen(top));
  EXPECT_GE(pw->frame().minY(), alert->window()->convertPointToScreen(top).y) << "above the button";
  clickButton(alert->oHelpButton);
  clock_->advance(1);
  EXPECT_FALSE(help->isVisible());
  clickButton(alert->oOkButton);
}

TEST_F(AlertTest, EmptyHelpTextDoesNothing) {
  auto alert = JW_Alert::jwAlertWithStyle(1);
  alert->showNonModal();
  alert->helpAction(nullptr);
  EXPECT_FALSE(alert->oHelpPopover->isVisible());
  clickButton(alert->oOkButton);
}

TEST_F(AlertTest, ProgressIndicatorShowsWhenAsked) {
  auto alert = JW_Alert::jwAlertWithStyle(1);
  alert->setShowProgressIndicator(true);
  alert->window();
  EXPECT_FALSE(alert->oProgressIndicator->isHidden());
  EXPECT_EQ(alert->oProgressIndicator->maximum(), 0) << "indeterminate, running";
  alert->setProgress(40, QStringLiteral("Copying 4 of 10"));
  EXPECT_EQ(alert->progressIndicator()->value(), 40);
  EXPECT_EQ(alert->oInformationTextField->text(), QStringLiteral("Copying 4 of 10"));
}

}  // namespace
