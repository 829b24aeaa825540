#include "platform/ui/modal_session.h"

#include "platform/foundation/dispatch.h"
#include "platform/ui/window.h"

#include <QCoreApplication>
#include <algorithm>
#include <QEventLoop>
#include <QGuiApplication>
#include <QPointer>
#include <QThread>
#include <vector>

namespace platform {

namespace {

struct Session {
  QPointer<QWidget> window;
  QEventLoop* loop = nullptr;
  int code = 0;
  bool stopped = false;
};

std::vector<Session*>& sessions() {
  static std::vector<Session*> s;
  return s;
}

bool onMainThread() {
  return QCoreApplication::instance() && QThread::currentThread() == QCoreApplication::instance()->thread();
}

}  // namespace

int runModalForWindow(QWidget* window) {
  if (!window) return 0;
  QEventLoop loop;
  Session session{window, &loop, 0, false};
  const Qt::WindowModality previous = window->windowModality();
  const bool wasVisible = window->isVisible();
  if (wasVisible) window->hide();  // modality takes effect when shown
  window->setWindowModality(Qt::ApplicationModal);
  if (auto* ours = qobject_cast<Window*>(window)) {
    ours->orderFront();
  } else {
    window->show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) window->raise();
  }
  window->activateWindow();
  sessions().push_back(&session);
  if (!session.stopped) loop.exec(QEventLoop::DialogExec);
  sessions().erase(std::find(sessions().begin(), sessions().end(), &session));
  if (session.window) {
    const bool visible = session.window->isVisible();
    if (visible) session.window->hide();
    session.window->setWindowModality(previous);
    if (visible) session.window->show();
  }
  return session.code;
}

void stopModal(int code) {
  if (!onMainThread()) {
    // Through the main queue's own hand-off (not a queued Qt call), so that the request made here and read on the
    // main thread are ordered for every reader, ThreadSanitizer included.
    runOnMainThread([code] { stopModal(code); });
    return;
  }
  if (sessions().empty()) return;
  Session* s = sessions().back();
  if (s->stopped) return;
  s->stopped = true;
  s->code = code;
  s->loop->exit(0);
}

bool isModalSessionRunning() { return !sessions().empty(); }

QWidget* modalWindow() { return sessions().empty() ? nullptr : sessions().back()->window.data(); }

}  // namespace platform
