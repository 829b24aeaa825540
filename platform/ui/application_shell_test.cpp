// The application object as the application delegate relies on it: launching and termination told once each,
// window-will-close for closes that go through, quitting after the last window, the dark appearance and the
// default fonts, and the required-fonts check with its alert and exit.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include "platform/foundation/notification_center.h"
#include "platform/foundation/test_application.h"
#include "platform/ui/alert.h"
#include "platform/ui/application_shell.h"
#include "platform/ui/modal_session.h"
#include "platform/ui/presenter.h"
#include "platform/ui/window.h"

namespace platform {
namespace {

struct RecordingDelegate : ApplicationDelegate {
    std::vector<std::string> calls;
    bool quitAfterLastWindow = true;
    void applicationDidFinishLaunching() override { calls.push_back("launched"); }
    void applicationWillTerminate() override { calls.push_back("terminate"); }
    bool applicationShouldTerminateAfterLastWindowClosed() override { return quitAfterLastWindow; }
};

struct RecordingExit : ProcessExit {
    std::vector<int> statuses;
    std::vector<std::string>* calls = nullptr;  // shares the delegate's record, to show the order
    void exit(int status) override {
        statuses.push_back(status);
        if (calls) calls->push_back("exit " + std::to_string(status));
    }
};

// Answers a plain alert by clicking its button titled `press` (or by typing `key`), noting what it showed.
struct AlertAnswerer : Presenter {
    QString press;
    Qt::Key key = Qt::Key_unknown;
    QString message, informative;
    QStringList buttons;
    int shown = 0;
    int runModal(Window& window) override {
        ++shown;
        Alert* alert = Alert::alertOfWindow(&window);
        EXPECT_NE(alert, nullptr);
        if (alert) {
            message = alert->messageText();
            informative = alert->informativeText();
            for (QPushButton* b : alert->buttons()) buttons << b->text();
        }
        QTimer::singleShot(0, &window, [&window, this] {
            if (key != Qt::Key_unknown) {
                window.activateWindow();
                EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
                QTest::keyClick(&window, key);
                // A key that pressed nothing would leave the session running: end it with a response of none.
                QTimer::singleShot(5000, &window, [] { stopModal(-1); });
                return;
            }
            for (QPushButton* b : window.findChildren<QPushButton*>())
                if (b->text() == press) QTest::mouseClick(b, Qt::LeftButton);
        });
        return Presenter::runModal(window);
    }
};

// Runs queued events until `done` holds; the checks here wait for zero-time timers only.
template <class F>
bool processUntil(F done) {
    for (int i = 0; i < 100 && !done(); ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
    return done();
}

class ApplicationShellTest : public ::testing::Test {
protected:
    void SetUp() override { ensureTestApplication(); }
    RecordingDelegate delegate_;
    RecordingExit exit_;
    ScopedProcessExit scopedExit_{exit_};
};

TEST_F(ApplicationShellTest, WindowWillCloseIsPostedForClosesThatGoThrough) {
    Application app(&delegate_);
    delegate_.quitAfterLastWindow = false;
    std::vector<const QWidget*> closing;
    const ObserverToken token = NotificationCenter::defaultCenter().addObserverForName(
        NSWindowWillCloseNotification, nullptr, [&](const Notification& n) {
            auto w = n.object.object<QWidget>();
            closing.push_back(w.get());
            EXPECT_TRUE(w && w->isVisible()) << "posted before the window goes";
        });

    Window refusing, plain;
    // A window's own controller observes its window alone.
    int plainOnly = 0;
    const ObserverToken own = NotificationCenter::defaultCenter().addObserverForName(
        NSWindowWillCloseNotification, &plain, [&](const Notification&) { ++plainOnly; });
    refusing.setCloseRequestHandler([] { return false; });
    for (Window* w : {&refusing, &plain}) {
        w->setFrame({50, 50, 200, 100});
        w->orderFront();
    }
    refusing.close();
    EXPECT_TRUE(closing.empty()) << "a refused close is no close";
    EXPECT_TRUE(refusing.isVisible());
    plain.orderOut();
    EXPECT_TRUE(closing.empty()) << "ordering out is no close";
    plain.orderFront();
    plain.close();
    EXPECT_EQ(closing, (std::vector<const QWidget*>{&plain}));
    EXPECT_FALSE(plain.isVisible());
    EXPECT_EQ(Value::reference<QWidget>(&plain).object<QWidget>().get(), &plain);
    refusing.setCloseRequestHandler({});
    refusing.close();
    EXPECT_EQ(closing.size(), 2u);
    EXPECT_EQ(plainOnly, 1);
    NotificationCenter::defaultCenter().removeObserver(own);
    processUntil([] { return false; });
    EXPECT_TRUE(exit_.statuses.empty()) << "the delegate does not ask to quit";
    NotificationCenter::defaultCenter().removeObserver(token);
}

TEST_F(ApplicationShellTest, ClosingTheLastWindowTerminatesWhenTheDelegateAsks) {
    Application app(&delegate_);
    exit_.calls = &delegate_.calls;
    Window first, second;
    for (Window* w : {&first, &second}) {
        w->setFrame({50, 50, 200, 100});
        w->orderFront();
    }
    first.close();
    processUntil([] { return false; });
    EXPECT_TRUE(delegate_.calls.empty()) << "one window is still open";
    second.close();
    ASSERT_TRUE(processUntil([&] { return !exit_.statuses.empty(); }));
    EXPECT_EQ(delegate_.calls, (std::vector<std::string>{"terminate", "exit 0"}));
    EXPECT_TRUE(app.isTerminating());
    app.terminate();
    EXPECT_EQ(exit_.statuses.size(), 1u) << "termination happens once";
}

TEST_F(ApplicationShellTest, RunTellsTheDelegateOnceTheLoopRunsAndReturnsTheStatus) {
    // Run with the plain exit, which leaves the loop: terminating from the launch callback ends run() with 0.
    struct TerminatingDelegate : RecordingDelegate {
        void applicationDidFinishLaunching() override {
            RecordingDelegate::applicationDidFinishLaunching();
            Application::shared()->terminate();
        }
    } delegate;
    ProcessExit plainExit;
    ScopedProcessExit scoped(plainExit);
    Application app(&delegate);
    const QFont before = QApplication::font();
    QTimer guard;  // a broken run would never return: end the loop with a status of its own
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(10000);
    EXPECT_EQ(app.run(), 0);
    EXPECT_EQ(delegate.calls, (std::vector<std::string>{"launched", "terminate"}));
    app.finishLaunching();
    EXPECT_EQ(delegate.calls.size(), 2u) << "launching finishes once";
    // run() sets the default fonts: the system font at 13 points.
    EXPECT_EQ(QApplication::font().family(), "Lato");
    EXPECT_EQ(QApplication::font().pixelSize(), 13);
    QApplication::setFont(before);
}

TEST_F(ApplicationShellTest, DarkAppearancePaintsWindowsFromTheDarkPalette) {
    Application app(&delegate_);
    const QColor lightWindow = QApplication::palette().color(QPalette::Window);
    app.setAppearance(Appearance::DarkAqua);
    EXPECT_EQ(app.appearance(), Appearance::DarkAqua);
    {
        Window window;
        window.setFrame({50, 50, 160, 60});
        auto* label = new QLabel("IIIIIIII", window.contentView());
        QFont big = label->font();
        big.setPixelSize(30);
        label->setFont(big);
        label->setGeometry(10, 10, 140, 40);
        window.orderFront();
        const QImage shot = window.grab().toImage();
        EXPECT_EQ(QColor(shot.pixel(2, 2)), QColor(0x32, 0x32, 0x32)) << "the window's background";
        // The label's text is drawn light on the dark ground.
        int brightest = 0;
        for (int y = 10; y < 50; ++y)
            for (int x = 10; x < 150; ++x) brightest = std::max(brightest, qGray(shot.pixel(x, y)));
        EXPECT_GE(brightest, 0xC0);
    }
    app.setAppearance(Appearance::Aqua);
    EXPECT_EQ(QApplication::palette().color(QPalette::Window), lightWindow);
}

TEST_F(ApplicationShellTest, RequiredFontsAreFoundByNameOrStandInElseTheAlertEndsTheProcess) {
    // Arial is stood in for by Liberation Sans (installed by the set-up); a family name is no PostScript name.
    EXPECT_TRUE(missingRequiredFonts({"ArialMT", "Arial-BoldMT", "LiberationSans"}).empty());
    EXPECT_EQ(missingRequiredFonts({"NoSuchFont-Bold", "ArialMT", "Liberation Sans", "NoSuchFont"}),
              (std::vector<std::string>{"NoSuchFont-Bold", "Liberation Sans", "NoSuchFont"}));

    Application app(&delegate_);
    AlertAnswerer answerer;
    answerer.press = "Exit";
    ScopedPresenter scoped(answerer);
    const std::string message = "The Arial font must be installed to continue.";
    const std::string support = "Write to support@example.com for help.";
    EXPECT_TRUE(app.requireFonts({"ArialMT", "Arial-BoldMT"}, message, support));
    EXPECT_EQ(answerer.shown, 0);
    EXPECT_TRUE(exit_.statuses.empty());

    EXPECT_FALSE(app.requireFonts({"ArialMT", "NoSuchFont-Bold"}, message, support));
    EXPECT_EQ(answerer.shown, 1);
    EXPECT_EQ(answerer.message.toStdString(), message);
    EXPECT_EQ(answerer.informative.toStdString(), support);
    EXPECT_EQ(answerer.buttons, QStringList{"Exit"});
    EXPECT_EQ(exit_.statuses, std::vector<int>{0});
    EXPECT_TRUE(delegate_.calls.empty()) << "the process ends without termination being announced";
}

TEST_F(ApplicationShellTest, AlertReturnsThePressedButtonsResponse) {
    AlertAnswerer answerer;
    ScopedPresenter scoped(answerer);
    struct Answer {
        const char* press;
        Qt::Key key;
        int response;
    };
    const Answer answers[] = {
        {"Delete", Qt::Key_unknown, NSAlertFirstButtonReturn},
        {"Cancel", Qt::Key_unknown, NSAlertSecondButtonReturn},
        {"", Qt::Key_Return, NSAlertFirstButtonReturn},
        {"", Qt::Key_Escape, NSAlertSecondButtonReturn},
    };
    for (const auto& [press, key, response] : answers) {
        SCOPED_TRACE(std::string(press) + " key " + std::to_string(int(key)));
        Alert alert;
        alert.setMessageText("Delete everything?");
        alert.addButtonWithTitle("Delete");
        alert.addButtonWithTitle("Cancel");
        answerer.press = press;
        answerer.key = key;
        EXPECT_EQ(alert.runModal(), response);
        EXPECT_FALSE(alert.window()->isVisible());
    }
}

}  // namespace
}  // namespace platform
