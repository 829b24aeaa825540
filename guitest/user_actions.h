#pragma once
// A user's hands and eyes for window tests: widgets found by object name (the outlet names of the interface
// files), real mouse events sent to the widget's window as the window system sends them (so Qt's own hit-testing,
// popovers' outside-press checks and event monitors see what they see of a user), key events as typed, and a
// widget rendered into an image for pixel checks or a PNG.
//
// Every helper that cannot do what it is asked (no such widget, a hidden one, a click that another widget would
// catch) reports it through the failure reporter (GuiTest turns reports into test failures; elsewhere they go to
// stderr) and returns false or null. Main thread only.
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <string>

namespace guitest {

// Where failures go; the default writes them to stderr. Returns the reporter it replaced.
using FailureReporter = std::function<void(const std::string& what)>;
FailureReporter setFailureReporter(FailureReporter reporter);
void reportFailure(const std::string& what);

// --- finding -------------------------------------------------------------------------------------------------
// The widget named `name`: `root` itself or one of its descendants; a null root searches every top-level window,
// visible ones first. Reports and returns null when there is none (the report lists the names there are).
QWidget* findWidget(QWidget* root, const QString& name);
// The same, of class T (reports a widget of another class).
template <class T>
T* find(QWidget* root, const QString& name) {
  QWidget* w = findWidget(root, name);
  if (!w) return nullptr;
  T* typed = dynamic_cast<T*>(w);
  if (!typed) reportFailure("\"" + name.toStdString() + "\" is a " + w->metaObject()->className() + ", not the class asked for");
  return typed;
}

// --- windows -------------------------------------------------------------------------------------------------
// Shows the widget's window (the widget itself when it has no parent), waits until it is exposed and active.
bool showWindow(QWidget* widget);

// --- mouse: at `at` in the widget's coordinates (its centre when omitted) ------------------------------------
inline constexpr QPoint kCentre{-1, -1};
bool click(QWidget* widget, QPoint at = kCentre, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = {});
bool doubleClick(QWidget* widget, QPoint at = kCentre, Qt::MouseButton button = Qt::LeftButton,
                 Qt::KeyboardModifiers modifiers = {});
bool press(QWidget* widget, QPoint at = kCentre, Qt::MouseButton button = Qt::LeftButton,
           Qt::KeyboardModifiers modifiers = {});
bool release(QWidget* widget, QPoint at = kCentre, Qt::MouseButton button = Qt::LeftButton,
             Qt::KeyboardModifiers modifiers = {});
bool moveMouse(QWidget* widget, QPoint at = kCentre);
// Press at `from`, moves in `steps` even steps, release at `to` (both in the widget's coordinates).
bool drag(QWidget* widget, QPoint from, QPoint to, int steps = 5, Qt::MouseButton button = Qt::LeftButton);
// By name under `root`.
inline bool click(QWidget* root, const char* name) { return click(findWidget(root, QString::fromUtf8(name))); }
inline bool doubleClick(QWidget* root, const char* name) { return doubleClick(findWidget(root, QString::fromUtf8(name))); }

// --- keys ----------------------------------------------------------------------------------------------------
// To `target`; a null target means the focus widget of the active window, as a key typed on the keyboard.
bool keyClick(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = {});
bool keyPress(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = {});
bool keyRelease(QWidget* target, Qt::Key key, Qt::KeyboardModifiers modifiers = {});
// Every character of `text` pressed and released in turn.
bool typeText(QWidget* target, const QString& text);

// --- pictures ------------------------------------------------------------------------------------------------
// The widget as it paints now, 32-bit ARGB at one pixel per point.
QImage render(QWidget* widget);
// The share (0 to 1) of the pixels of `area` (of the image; all of it when empty) within `tolerance` of
// `colour` in each channel.
double coverage(const QImage& image, const QColor& colour, QRect area = {}, int tolerance = 8);
// Writes a PNG atomically (a temporary file renamed into place). False, with the reason in `error`, on failure.
bool writePng(const QImage& image, const QString& path, QString* error = nullptr);

}  // namespace guitest
