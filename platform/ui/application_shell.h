#pragma once
// The application object: runs the event loop for its delegate, tells it when launching has finished and when
// the application is about to terminate, posts the window-will-close notification for every window that closes,
// quits after the last window has closed when the delegate asks for that, holds the main menu (whose key
// equivalents answer in every window), and sets the appearance (light or dark palette) and the default fonts.
#include <QObject>
#include <QPalette>
#include <QSet>
#include <memory>
#include <string>
#include <vector>

#include "platform/ui/seam.h"

class QMenuBar;

namespace platform {

class Menu;

// Posted on the main thread as a window is about to close (its close was accepted): the object is the window as
// a Value::reference<QWidget>; a platform::Window tells its controller through windowController().
inline constexpr const char* NSWindowWillCloseNotification = "NSWindowWillCloseNotification";

class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;
    virtual void applicationDidFinishLaunching() {}
    virtual void applicationWillTerminate() {}
    virtual bool applicationShouldTerminateAfterLastWindowClosed() { return false; }
};

// How the application ends the process. The plain one leaves the running event loop with the status (run()
// then returns it), or exits the process when no loop runs. Tests put their own in place.
class ProcessExit {
public:
    virtual ~ProcessExit() = default;
    virtual void exit(int status);
};
inline ProcessExit& currentProcessExit() { return Seam<ProcessExit>::current(); }
using ScopedProcessExit = Seam<ProcessExit>::Scoped;

enum class Appearance { Aqua, DarkAqua };

class Application : public QObject {
    Q_OBJECT

public:
    // One at a time; a QApplication must exist. Takes over quitting when the last window closes from Qt.
    explicit Application(ApplicationDelegate* delegate = nullptr);
    ~Application() override;

    // The application object, or null when none exists.
    static Application* shared();

    ApplicationDelegate* delegate() const { return delegate_; }
    void setDelegate(ApplicationDelegate* delegate) { delegate_ = delegate; }

    // Sets the default fonts, tells the delegate that launching has finished once the event loop runs, runs the
    // loop and returns the status the application ended with.
    int run();
    // Tells the delegate that launching has finished; only the first call does anything (run calls it).
    void finishLaunching();
    bool isLaunched() const { return launched_; }
    // Tells the delegate that the application will terminate, then ends the process with status 0 through the
    // current ProcessExit. Only the first call does anything.
    void terminate();
    bool isTerminating() const { return terminating_; }

    // The main menu: its submenus are the menus of the menu bar. Their items' key equivalents answer in every
    // window the application shows (items added later, from the window's next activation on).
    Menu* mainMenu() const { return mainMenu_.get(); }
    void setMainMenu(std::unique_ptr<Menu> menu);
    // A menu bar showing the main menu, for a window that shows one; its owner is `parent`.
    QMenuBar* makeMainMenuBar(QWidget* parent) const;

    Appearance appearance() const { return appearance_; }
    // Dark: the dark palette everywhere; light: the style's own palette.
    void setAppearance(Appearance appearance);
    // The system font (see platform/graphics/font.h) at 13 points, for every widget that sets none.
    static void applyDefaultFonts();

    // Shows `message` (with `informativeText` under it) in a plain alert with the one button "Exit" and then
    // ends the process with status 0 through the current ProcessExit, when any of the fonts named (by PostScript
    // name) is missing; true, showing nothing, when all are there.
    bool requireFonts(const std::vector<std::string>& postScriptNames, const std::string& message,
                      const std::string& informativeText);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void windowWillClose(QWidget* window);
    void lastWindowCheck();
    void addKeyEquivalents(QWidget* window) const;

    ApplicationDelegate* delegate_;
    std::unique_ptr<Menu> mainMenu_;
    Appearance appearance_ = Appearance::Aqua;
    bool launched_ = false;
    bool terminating_ = false;
    QSet<QWidget*> closing_;  // windows whose close event is on its way through
    bool qtQuitOnLastWindowClosed_ = true;
};

// The palette of the dark appearance.
QPalette darkAppearancePalette();

// Of the fonts named by PostScript name, those neither installed under that name nor stood in for by an
// installed face of the family, weight and slant the name maps to (ArialMT by Liberation Sans, ...), in the
// order given.
std::vector<std::string> missingRequiredFonts(const std::vector<std::string>& postScriptNames);

}  // namespace platform
