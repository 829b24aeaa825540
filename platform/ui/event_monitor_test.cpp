#include "platform/ui/event_monitor.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "platform/foundation/test_application.h"

namespace platform {
namespace {

// A window that logs the key events that reach it; its focused child ignores them, so they travel up to it.
class KeyLoggingWindow : public QWidget {
public:
    std::vector<std::string> log;
    QWidget* child;

    KeyLoggingWindow() : child(new QWidget(this)) {
        resize(120, 80);
        child->setFocusPolicy(Qt::StrongFocus);
        child->setGeometry(10, 10, 50, 40);
    }

protected:
    void keyPressEvent(QKeyEvent* e) override { log.push_back("window down " + e->text().toStdString()); }
    void keyReleaseEvent(QKeyEvent* e) override { log.push_back("window up " + e->text().toStdString()); }
};

class EventMonitorTest : public ::testing::Test {
protected:
    void SetUp() override {
        ensureTestApplication();
        window = std::make_unique<KeyLoggingWindow>();
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->child->setFocus();
    }
    void TearDown() override {
        for (EventMonitorId id : ids) removeMonitor(id);
    }
    EventMonitorId add(std::uint32_t mask, LocalEventHandler handler) {
        ids.push_back(addLocalMonitorForEvents(mask, std::move(handler)));
        return ids.back();
    }
    // As the windowing system delivers a key: to the window->
    void click(char c) { QTest::keyClick(window->windowHandle(), c); }

    std::unique_ptr<KeyLoggingWindow> window;  // made once the application exists
    std::vector<EventMonitorId> ids;
};

std::string describe(const std::string& who, const QKeyEvent& e) {
    return who + (e.type() == QEvent::KeyPress ? " down " : " up ") + e.text().toStdString();
}

TEST_F(EventMonitorTest, EachMonitorSeesItsKindsOfEventOnceBeforeTheWindow) {
    std::vector<std::string> seen;
    auto logAs = [&](std::string who) {
        return [&seen, who](const QKeyEvent& e) {
            seen.push_back(describe(who, e));
            return EventDisposition::Pass;
        };
    };
    add(KeyDownMask, logAs("downs"));
    add(KeyUpMask, logAs("ups"));
    add(KeyDownMask | KeyUpMask, logAs("both"));
    click('a');
    EXPECT_EQ(seen, (std::vector<std::string>{"downs down a", "both down a", "ups up a", "both up a"}));
    // Passed on: the window still gets the key, once, after its child ignored it.
    EXPECT_EQ(window->log, (std::vector<std::string>{"window down a", "window up a"}));
}

TEST_F(EventMonitorTest, ASwallowedEventReachesNeitherLaterMonitorsNorTheWindow) {
    std::vector<std::string> seen;
    add(KeyDownMask | KeyUpMask, [&](const QKeyEvent& e) {
        seen.push_back(describe("shutter", e));
        return e.key() == Qt::Key_Space ? EventDisposition::Swallow : EventDisposition::Pass;
    });
    add(KeyDownMask | KeyUpMask, [&](const QKeyEvent& e) {
        seen.push_back(describe("later", e));
        return EventDisposition::Pass;
    });
    click(' ');
    click('b');
    EXPECT_EQ(seen, (std::vector<std::string>{"shutter down  ", "shutter up  ", "shutter down b", "later down b",
                                              "shutter up b", "later up b"}));
    EXPECT_EQ(window->log, (std::vector<std::string>{"window down b", "window up b"}));
}

TEST_F(EventMonitorTest, MonitorsRemovedDuringADeliveryAreNotCalledAgain) {
    std::vector<std::string> seen;
    EventMonitorId second = 0;
    EventMonitorId first = add(KeyDownMask | KeyUpMask, [&](const QKeyEvent& e) {
        seen.push_back(describe("first", e));
        removeMonitor(second);  // another monitor, later in this same delivery
        removeMonitor(first);   // and itself, while its handler runs
        return EventDisposition::Pass;
    });
    second = add(KeyDownMask | KeyUpMask, [&](const QKeyEvent& e) {
        seen.push_back(describe("second", e));
        return EventDisposition::Pass;
    });
    add(KeyDownMask, [&](const QKeyEvent& e) {
        seen.push_back(describe("third", e));
        return EventDisposition::Pass;
    });
    click('c');
    removeMonitor(first);  // already gone: ignored
    removeMonitor(0);
    click('d');
    EXPECT_EQ(seen, (std::vector<std::string>{"first down c", "third down c", "third down d"}));
    EXPECT_EQ(window->log.size(), 4u);
}

}  // namespace
}  // namespace platform
