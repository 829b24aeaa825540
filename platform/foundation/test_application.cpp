#include "platform/foundation/test_application.h"

#include "platform/foundation/dispatch.h"

#include <QApplication>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <mutex>

namespace platform {
namespace {

QtMessageHandler gPreviousHandler = nullptr;

// The offscreen platform cannot fade or raise windows and says so on every call; in tests that is expected, and
// the lines would bury real warnings.
void quietOffscreenHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type == QtWarningMsg && message.startsWith(QLatin1String("This plugin does not support"))) return;
    if (gPreviousHandler) {
        gPreviousHandler(type, context, message);
    } else {
        std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
    }
}

}  // namespace

void ensureTestApplication() {
    static std::once_flag once;
    std::call_once(once, [] {
        static QTemporaryDir home;  // removed at exit
        if (home.isValid()) {
            for (const char* var : {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
                QByteArray dir = (home.path() + "/" + var).toUtf8();
                setenv(var, dir.constData(), 1);
            }
        }
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
        gPreviousHandler = qInstallMessageHandler(quietOffscreenHandler);
        if (QCoreApplication::instance() == nullptr) {
            static int argc = 1;
            static char name[] = "vorlaxent-tests";
            static char* argv[] = {name, nullptr};
            new QApplication(argc, argv);  // lives until exit, like the application's own
        }
        prepareMainQueue();
        QCoreApplication::setOrganizationName("Vorlaxent");
        QCoreApplication::setApplicationName("Vorlaxent");
    });
}

}  // namespace platform
