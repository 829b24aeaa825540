#include "platform/foundation/process_activity.h"

#include <QCoreApplication>
#include <QDBusInterface>
#include <QDBusReply>

#include "platform/foundation/system_log.h"

namespace platform {
namespace {

constexpr const char* kService = "org.freedesktop.ScreenSaver";
constexpr const char* kPath = "/org/freedesktop/ScreenSaver";
constexpr const char* kInterface = "org.freedesktop.ScreenSaver";
// A desktop that does not answer in this time is taken as having no such service.
constexpr int kCallTimeoutMs = 3000;

}  // namespace

ProcessActivity::ProcessActivity(const std::string& reason) : ProcessActivity(reason, QDBusConnection::sessionBus()) {}

ProcessActivity::ProcessActivity(const std::string& reason, const QDBusConnection& bus) : bus_(bus) {
    if (!bus_.isConnected()) {
        systemLog("No session bus: the computer may sleep during \"" + reason + "\"", LogLevel::Notice);
        return;
    }
    QDBusInterface screensaver(kService, kPath, kInterface, bus_);
    screensaver.setTimeout(kCallTimeoutMs);
    const QString application =
        QCoreApplication::instance() ? QCoreApplication::applicationName() : QStringLiteral("vorlaxent");
    const QDBusReply<uint> reply = screensaver.call("Inhibit", application, QString::fromStdString(reason));
    if (!reply.isValid()) {
        systemLog("The screensaver service could not be asked to keep the computer awake (" +
                      reply.error().message().toStdString() + "): it may sleep during \"" + reason + "\"",
                  LogLevel::Notice);
        return;
    }
    cookie_ = reply.value();
    inhibiting_ = true;
}

ProcessActivity::~ProcessActivity() {
    if (!inhibiting_) return;
    QDBusInterface screensaver(kService, kPath, kInterface, bus_);
    screensaver.setTimeout(kCallTimeoutMs);
    screensaver.call("UnInhibit", cookie_);
}

}  // namespace platform
