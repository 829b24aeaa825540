#include "platform/foundation/process_activity.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QCoreApplication>
#include <QProcess>
#include <QStandardPaths>
#include <optional>
#include <string>
#include <vector>

#include "platform/foundation/system_log.h"
#include "platform/foundation/test_application.h"

namespace platform {
namespace {

// A stand-in for the desktop's screensaver service: hands out cookies and records what it was asked.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")

public:
    std::vector<std::string> calls;
    uint nextCookie = 41;

public slots:
    uint Inhibit(const QString& application, const QString& reason) {
        calls.push_back("Inhibit " + application.toStdString() + ": " + reason.toStdString());
        return ++nextCookie;
    }
    void UnInhibit(uint cookie) { calls.push_back("UnInhibit " + std::to_string(cookie)); }
};

#if defined(__SANITIZE_THREAD__)
constexpr bool kThreadSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr bool kThreadSanitizer = true;
#else
constexpr bool kThreadSanitizer = false;
#endif
#else
constexpr bool kThreadSanitizer = false;
#endif

// A private message bus for the test, ended with it.
class PrivateBus {
public:
    PrivateBus() {
        daemon_.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        if (!daemon_.waitForStarted(5000) || !daemon_.waitForReadyRead(5000)) return;
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        QDBusConnection::disconnectFromBus("vx-test-bus");
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    std::optional<QDBusConnection> connect() {
        if (address_.isEmpty()) return std::nullopt;
        QDBusConnection bus = QDBusConnection::connectToBus(address_, "vx-test-bus");
        if (!bus.isConnected()) return std::nullopt;
        return bus;
    }

private:
    QProcess daemon_;
    QString address_;
};

class ProcessActivityTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The thread sanitizer's runtime aborts in the clone() that starts the bus daemon; the code under test
        // starts no thread of its own, so nothing is lost for that build.
        if (kThreadSanitizer) GTEST_SKIP() << "starts a process, which this sanitizer's runtime cannot follow";
        ensureTestApplication();
    }
    void TearDown() override { setSystemLogSink(nullptr); }
};

TEST_F(ProcessActivityTest, HoldsAnInhibitionForItsLifeAndReleasesItsOwnCookie) {
    ASSERT_FALSE(QStandardPaths::findExecutable("dbus-daemon").isEmpty()) << "dbus-daemon is needed (scripts/setup)";
    PrivateBus privateBus;
    std::optional<QDBusConnection> bus = privateBus.connect();
    ASSERT_TRUE(bus.has_value());
    FakeScreenSaver service;
    ASSERT_TRUE(bus->registerService("org.freedesktop.ScreenSaver"));
    ASSERT_TRUE(bus->registerObject("/org/freedesktop/ScreenSaver", &service, QDBusConnection::ExportAllSlots));

    const std::string app = QCoreApplication::applicationName().toStdString();
    {
        ProcessActivity shoot("Time-lapse", *bus);
        EXPECT_TRUE(shoot.isInhibiting());
        {
            ProcessActivity other("Focus stack", *bus);
            EXPECT_TRUE(other.isInhibiting());
        }
        EXPECT_EQ(service.calls,
                  (std::vector<std::string>{"Inhibit " + app + ": Time-lapse", "Inhibit " + app + ": Focus stack",
                                            "UnInhibit 43"}));
    }
    EXPECT_EQ(service.calls.back(), "UnInhibit 42");
    EXPECT_EQ(service.calls.size(), 4u);
}

TEST_F(ProcessActivityTest, WithoutTheServiceItInhibitsNothingAndSaysSo) {
    std::vector<std::string> logged;
    setSystemLogSink([&](LogLevel, const std::string& line) { logged.push_back(line); });
    {
        // A bus with no screensaver service on it, and no bus at all.
        PrivateBus privateBus;
        std::optional<QDBusConnection> bus = privateBus.connect();
        ASSERT_TRUE(bus.has_value());
        ProcessActivity onEmptyBus("Shoot", *bus);
        EXPECT_FALSE(onEmptyBus.isInhibiting());
    }
    ProcessActivity noBus("Shoot", QDBusConnection("no-such-connection"));
    EXPECT_FALSE(noBus.isInhibiting());
    ASSERT_EQ(logged.size(), 2u);
    for (const std::string& line : logged) EXPECT_NE(line.find("may sleep during \"Shoot\""), std::string::npos);
}

}  // namespace
}  // namespace platform

#include "process_activity_test.moc"
