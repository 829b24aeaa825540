#include "platform/ui/application_shell.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QMenuBar>
#include <QPointer>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>

#include <cstdlib>

#include "platform/foundation/notification_center.h"
#include "platform/graphics/font.h"
#include "platform/graphics/font_manager.h"
#include "platform/ui/alert.h"
#include "platform/ui/menu.h"
#include "platform/ui/window.h"

namespace platform {

namespace {

Application* g_shared = nullptr;
bool g_running = false;  // main thread only

constexpr double kDefaultFontSize = 13;

// Whether an installed face stands in for the PostScript name: the name maps onto another family (ArialMT onto
// Liberation Sans), and that family has a face of the mapped weight and slant. A name that maps onto its own
// family part (an unknown "Family-Style", or a family name) has no stand-in.
bool hasStandIn(const std::string& postScriptName) {
    const QString name = QString::fromStdString(postScriptName);
    const Font font = Font::named(name, kDefaultFontSize);
    const QString family = font.mappedFamily();
    const qsizetype dash = name.indexOf(QLatin1Char('-'));
    if (family == (dash > 0 ? name.left(dash) : name)) return false;
    if (!QFontDatabase::families().contains(family)) return false;
    const int weight = font.qfont().weight();
    const bool italic = font.qfont().italic();
    for (const QString& style : QFontDatabase::styles(family)) {
        if (QFontDatabase::weight(family, style) == weight && QFontDatabase::italic(family, style) == italic)
            return true;
    }
    return false;
}

}  // namespace

void ProcessExit::exit(int status) {
    if (g_running) QCoreApplication::exit(status);
    else std::exit(status);
}

std::vector<std::string> missingRequiredFonts(const std::vector<std::string>& postScriptNames) {
    std::vector<std::string> missing;
    for (const std::string& name : missingFonts(postScriptNames)) {
        if (!hasStandIn(name)) missing.push_back(name);
    }
    return missing;
}

QPalette darkAppearancePalette() {
    const QColor window(0x32, 0x32, 0x32);
    const QColor text(0xDF, 0xDF, 0xDF);
    const QColor disabledText(0x7F, 0x7F, 0x7F);
    const QColor accent(0x0A, 0x84, 0xFF);
    QPalette p;
    p.setColor(QPalette::Window, window);
    p.setColor(QPalette::WindowText, text);
    p.setColor(QPalette::Base, QColor(0x1E, 0x1E, 0x1E));
    p.setColor(QPalette::AlternateBase, QColor(0x2A, 0x2A, 0x2A));
    p.setColor(QPalette::ToolTipBase, QColor(0x42, 0x42, 0x42));
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::PlaceholderText, disabledText);
    p.setColor(QPalette::Text, text);
    p.setColor(QPalette::Button, QColor(0x4A, 0x4A, 0x4A));
    p.setColor(QPalette::ButtonText, text);
    p.setColor(QPalette::BrightText, QColor(0xFF, 0x45, 0x3A));
    p.setColor(QPalette::Light, QColor(0x5A, 0x5A, 0x5A));
    p.setColor(QPalette::Midlight, QColor(0x44, 0x44, 0x44));
    p.setColor(QPalette::Mid, QColor(0x30, 0x30, 0x30));
    p.setColor(QPalette::Dark, QColor(0x23, 0x23, 0x23));
    p.setColor(QPalette::Shadow, QColor(0x14, 0x14, 0x14));
    p.setColor(QPalette::Highlight, accent);
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x41, 0x9C, 0xFF));
    p.setColor(QPalette::LinkVisited, QColor(0x41, 0x9C, 0xFF));
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, role, disabledText);
    }
    p.setColor(QPalette::Disabled, QPalette::Highlight, QColor(0x46, 0x46, 0x46));
    return p;
}

Application::Application(ApplicationDelegate* delegate) : delegate_(delegate) {
    g_shared = this;
    // Quitting when the last window closes is ours to decide (and to tell the delegate about first).
    qtQuitOnLastWindowClosed_ = QGuiApplication::quitOnLastWindowClosed();
    QGuiApplication::setQuitOnLastWindowClosed(false);
    qApp->installEventFilter(this);
    // Quit asked for another way (the session ending it, a signal handler): the delegate still hears of it.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] {
        if (terminating_) return;
        terminating_ = true;
        if (delegate_) delegate_->applicationWillTerminate();
    });
}

Application::~Application() {
    qApp->removeEventFilter(this);
    QGuiApplication::setQuitOnLastWindowClosed(qtQuitOnLastWindowClosed_);
    if (g_shared == this) g_shared = nullptr;
}

Application* Application::shared() { return g_shared; }

int Application::run() {
    applyDefaultFonts();
    QTimer::singleShot(0, this, [this] { finishLaunching(); });
    g_running = true;
    const int status = QApplication::exec();
    g_running = false;
    return status;
}

void Application::finishLaunching() {
    if (launched_) return;
    launched_ = true;
    if (delegate_) delegate_->applicationDidFinishLaunching();
}

void Application::terminate() {
    if (terminating_) return;
    terminating_ = true;
    if (delegate_) delegate_->applicationWillTerminate();
    currentProcessExit().exit(0);
}

void Application::setMainMenu(std::unique_ptr<Menu> menu) {
    mainMenu_ = std::move(menu);
    for (QWidget* window : Window::orderedWindows()) addKeyEquivalents(window);
}

QMenuBar* Application::makeMainMenuBar(QWidget* parent) const {
    auto* bar = new QMenuBar(parent);
    if (mainMenu_) mainMenu_->populateMenuBar(*bar);
    return bar;
}

void Application::addKeyEquivalents(QWidget* window) const {
    if (!mainMenu_) return;
    // A key equivalent answers only while its action sits in a visible widget of the active window.
    for (MenuItem* item : mainMenu_->allItems()) {
        if (!item->keyEquivalent().isEmpty() && !window->actions().contains(item->qaction()))
            window->addAction(item->qaction());
    }
}

void Application::setAppearance(Appearance appearance) {
    appearance_ = appearance;
    if (appearance == Appearance::DarkAqua) {
        // The style that draws from the palette alone; platform styles may keep their own colours.
        if (QApplication::style()->name().compare(QLatin1String("fusion"), Qt::CaseInsensitive) != 0)
            QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QApplication::setPalette(darkAppearancePalette());
    } else {
        QApplication::setPalette(QApplication::style()->standardPalette());
    }
}

void Application::applyDefaultFonts() { QApplication::setFont(Font::systemFont(kDefaultFontSize).qfont()); }

bool Application::requireFonts(const std::vector<std::string>& postScriptNames, const std::string& message,
                               const std::string& informativeText) {
    if (missingRequiredFonts(postScriptNames).empty()) return true;
    Alert alert;
    alert.setMessageText(QString::fromStdString(message));
    alert.setInformativeText(QString::fromStdString(informativeText));
    alert.addButtonWithTitle(QStringLiteral("Exit"));
    alert.runModal();
    currentProcessExit().exit(0);
    return false;
}

bool Application::eventFilter(QObject* watched, QEvent* event) {
    if (!watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (!isRealWindow(widget)) return false;
    if (event->type() == QEvent::Show || event->type() == QEvent::WindowActivate) {
        addKeyEquivalents(widget);
        return false;
    }
    if (event->type() != QEvent::Close || closing_.contains(widget)) return false;
    // Let the close run its course through every filter and the window itself first: only a close the window
    // accepted is one it will go through with. The window hides after this returns.
    QPointer<QWidget> window(widget);
    closing_.insert(widget);
    QCoreApplication::instance()->notify(widget, event);  // as sent: a close from the window manager stays spontaneous
    closing_.remove(widget);
    if (window && event->isAccepted()) {
        windowWillClose(window);
        QTimer::singleShot(0, this, [this] { lastWindowCheck(); });
    }
    return true;
}

void Application::windowWillClose(QWidget* window) {
    NotificationCenter::defaultCenter().postNotificationName(NSWindowWillCloseNotification,
                                                             Value::reference<QWidget>(window));
}

void Application::lastWindowCheck() {
    if (terminating_ || !delegate_ || !delegate_->applicationShouldTerminateAfterLastWindowClosed()) return;
    if (!Window::orderedWindows().empty()) return;
    terminate();
}

}  // namespace platform
