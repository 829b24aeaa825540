#include "guitest/user_actions.h"

#include <QApplication>
#include <QGuiApplication>
#include <QImageWriter>
#include <QPixmap>
#include <QSaveFile>
#include <QTest>
#include <QWindow>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace guitest {
namespace {

FailureReporter& reporter() {
  static FailureReporter current;
  return current;
}

std::string nameOf(const QWidget* w) {
  const QString name = w->objectName();
  return name.isEmpty() ? std::string("a ") + w->metaObject()->className() : "\"" + name.toStdString() + "\"";
}

// The named widgets under `root` (itself included), for a report of what is there.
void collectNames(QWidget* root, QStringList& names) {
  if (!root->objectName().isEmpty()) names << root->objectName();
  for (QWidget* child : root->findChildren<QWidget*>()) {
    if (!child->objectName().isEmpty() && !child->objectName().startsWith(QLatin1String("qt_"))) names << child->objectName();
  }
}

QWidget* searchUnder(QWidget* root, const QString& name) {
  if (root->objectName() == name) return root;
  return root->findChild<QWidget*>(name);
}

// The point in the widget's window for a point of the widget (its centre for kCentre), or none with a report
// when the widget cannot take a user's event.
std::optional<QPoint> windowPoint(QWidget* widget, QPoint at, const char* what) {
  if (!widget) return std::nullopt;  // findWidget has reported it
  if (!widget->isVisible()) {
    reportFailure(std::string(what) + ": " + nameOf(widget) + " is not visible");
    return std::nullopt;
  }
  QWidget* window = widget->window();
  if (!window->windowHandle()) {
    reportFailure(std::string(what) + ": the window of " + nameOf(widget) + " has no platform window");
    return std::nullopt;
  }
  if (at == kCentre) at = widget->rect().center();
  const QPoint p = widget->mapTo(window, at);
  if (p.isNull()) {
    // A null position means "the window's centre" to the event helpers below.
    reportFailure(std::string(what) + ": the window's origin cannot be pressed; use a point inside it");
    return std::nullopt;
  }
  if (!window->rect().contains(p)) {
    reportFailure(std::string(what) + ": the point lies outside the window of " + nameOf(widget));
    return std::nullopt;
  }
  return p;
}

// A press lands on whatever widget is on top at the point: a covered target would not get it from a user.
bool hitsTarget(QWidget* widget, QPoint inWindow, const char* what) {
  QWidget* hit = widget->window()->childAt(inWindow);
  if (!hit) hit = widget->window();
  if (hit == widget || widget->isAncestorOf(hit)) return true;
  reportFailure(std::string(what) + ": the point of " + nameOf(widget) + " is covered by " + nameOf(hit));
  return false;
}

enum class Mouse { Press, Release, Click, DoubleClick };

bool mouse(Mouse action, QWidget* widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers,
           const char* what) {
  const std::optional<QPoint> p = windowPoint(widget, at, what);
  if (!p) return false;
  // A release belongs to the widget that took the press, wherever the pointer is.
  if (action != Mouse::Release && !hitsTarget(widget, *p, what)) return false;
  QWindow* window = widget->window()->windowHandle();
  switch (action) {
    case Mouse::Press: QTest::mousePress(window, button, modifiers, *p); break;
    case Mouse::Release: QTest::mouseRelease(window, button, modifiers, *p); break;
    case Mouse::Click: QTest::mouseClick(window, button, modifiers, *p); break;
    case Mouse::DoubleClick: QTest::mouseDClick(window, button, modifiers, *p); break;
  }
  return true;
}

enum class Key { Press, Release, Click };

// To a widget (as the application delivers it) or to a window (as the window system does).
template <class Target>
void sendKey(Key action, Target* target, Qt::Key k, Qt::KeyboardModifiers modifiers) {
  switch (action) {
    case Key::Press: QTest::keyPress(target, k, modifiers); break;
    case Key::Release: QTest::keyRelease(target, k, modifiers); break;
    case Key::Click: QTest::keyClick(target, k, modifiers); break;
  }
}

bool key(Key action, QWidget* target, Qt::Key k, Qt::KeyboardModifiers modifiers) {
  if (target) {
    if (!target->isVisible()) {
      reportFailure("key: " + nameOf(target) + " is not visible");
      return false;
    }
    sendKey(action, target, k, modifiers);
    return true;
  }
  QWindow* window = QGuiApplication::focusWindow();
  if (!window) {
    reportFailure("key: no window is active to type into");
    return false;
  }
  sendKey(action, window, k, modifiers);
  return true;
}

}  // namespace

FailureReporter setFailureReporter(FailureReporter next) {
  FailureReporter previous = std::move(reporter());
  reporter() = std::move(next);
  return previous;
}

void reportFailure(const std::string& what) {
  if (reporter()) {
    reporter()(what);
  } else {
    std::fprintf(stderr, "guitest: %s\n", what.c_str());
  }
}

QWidget* findWidget(QWidget* root, const QString& name) {
  if (root) {
    if (QWidget* w = searchUnder(root, name)) return w;
  } else {
    QWidgetList windows = QApplication::topLevelWidgets();
    std::stable_partition(windows.begin(), windows.end(), [](QWidget* w) { return w->isVisible(); });
    for (QWidget* window : windows)
      if (QWidget* w = searchUnder(window, name)) return w;
  }
  QStringList names;
  if (root) {
    collectNames(root, names);
  } else {
    for (QWidget* window : QApplication::topLevelWidgets())
      if (window->isVisible()) collectNames(window, names);
  }
  names.removeDuplicates();
  reportFailure("no widget \"" + name.toStdString() + "\" " + (root ? "under " + nameOf(root) : std::string("in any window")) +
                "; named there: " + (names.isEmpty() ? std::string("none") : names.join(", ").toStdString()));
  return nullptr;
}

bool showWindow(QWidget* widget) {
  if (!widget) return false;
  QWidget* window = widget->window();
  window->show();
  window->raise();
  window->activateWindow();
  if (!QTest::qWaitForWindowExposed(window)) {
    reportFailure("show: " + nameOf(window) + " was not exposed");
    return false;
  }
  // A tool window or popover does not take the keyboard on every platform; exposed is what clicks need.
  if (!QTest::qWaitForWindowActive(window, 1000) && !(window->windowFlags() & Qt::Tool)) {
    reportFailure("show: " + nameOf(window) + " did not become active");
    return false;
  }
  return true;
}

bool click(QWidget* widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  return mouse(Mouse::Click, widget, at, button, modifiers, "click");
}
bool doubleClick(QWidget* widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  return mouse(Mouse::DoubleClick, widget, at, button, modifiers, "double-click");
}
bool press(QWidget* widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  return mouse(Mouse::Press, widget, at, button, modifiers, "press");
}
bool release(QWidget* widget, QPoint at, Qt::MouseButton button, Qt::KeyboardModifiers modifiers) {
  return mouse(Mouse::Release, widget, at, button, modifiers, "release");
}

bool moveMouse(QWidget* widget, QPoint at) {
  const std::optional<QPoint> p = windowPoint(widget, at, "move");
  if (!p) return false;
  QTest::mouseMove(widget->window()->windowHandle(), *p);
  return true;
}

bool drag(QWidget* widget, QPoint from, QPoint to, int steps, Qt::MouseButton button) {
  if (!press(widget, from, button)) return false;
  steps = std::max(1, steps);
  for (int i = 1; i <= steps; ++i) {
    const QPoint step = from + (to - from) * i / steps;
    if (!moveMouse(widget, step)) {
      release(widget, from, button);
      return false;
    }
  }
  return release(widget, to, button);
}

bool keyClick(QWidget* target, Qt::Key k, Qt::KeyboardModifiers modifiers) { return key(Key::Click, target, k, modifiers); }
bool keyPress(QWidget* target, Qt::Key k, Qt::KeyboardModifiers modifiers) { return key(Key::Press, target, k, modifiers); }
bool keyRelease(QWidget* target, Qt::Key k, Qt::KeyboardModifiers modifiers) {
  return key(Key::Release, target, k, modifiers);
}

bool typeText(QWidget* target, const QString& text) {
  if (target) {
    if (!target->isVisible()) {
      reportFailure("type: " + nameOf(target) + " is not visible");
      return false;
    }
    QTest::keyClicks(target, text);
    return true;
  }
  QWindow* window = QGuiApplication::focusWindow();
  if (!window) {
    reportFailure("type: no window is active to type into");
    return false;
  }
  for (const QChar c : text) QTest::keyClick(window, c.toLatin1());
  return true;
}

QImage render(QWidget* widget) {
  if (!widget) return {};
  QImage image(widget->size(), QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  widget->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground | QWidget::DrawChildren);
  return image;
}

double coverage(const QImage& image, const QColor& colour, QRect area, int tolerance) {
  if (area.isEmpty()) area = image.rect();
  area = area.intersected(image.rect());
  if (area.isEmpty()) return 0;
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  long matching = 0;
  for (int y = area.top(); y <= area.bottom(); ++y) {
    for (int x = area.left(); x <= area.right(); ++x) {
      const QRgb p = argb.pixel(x, y);
      matching += std::abs(qRed(p) - colour.red()) <= tolerance && std::abs(qGreen(p) - colour.green()) <= tolerance &&
                  std::abs(qBlue(p) - colour.blue()) <= tolerance && std::abs(qAlpha(p) - colour.alpha()) <= tolerance;
    }
  }
  return static_cast<double>(matching) / (static_cast<double>(area.width()) * area.height());
}

bool writePng(const QImage& image, const QString& path, QString* error) {
  QSaveFile file(path);
  QImageWriter writer(&file, "png");
  if (!file.open(QIODevice::WriteOnly) || !writer.write(image) || !file.commit()) {
    if (error) *error = writer.error() != QImageWriter::UnknownError ? writer.errorString() : file.errorString();
    return false;
  }
  return true;
}

}  // namespace guitest
