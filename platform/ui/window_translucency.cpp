#include "platform/ui/window_translucency.h"

#include <QByteArray>
#include <QGuiApplication>
#include <qguiapplication_platform.h>
#include <dlfcn.h>

#include <cstdint>
#include <cstdlib>

namespace platform {

namespace {

int& forced() {
  static int f = -1;  // -1: ask the display
  return f;
}

// The few calls of the X protocol library needed to ask whether a compositing manager owns its selection,
// looked up at run time so that the program does not depend on the library where it runs without X11.
struct XcbCookie {
  unsigned int sequence;
};
struct XcbReplyHeader {
  std::uint8_t responseType, pad;
  std::uint16_t sequence;
  std::uint32_t length;
  std::uint32_t value;  // the atom of an intern-atom reply, the owner of a get-selection-owner reply
};
using InternAtom = XcbCookie (*)(void*, std::uint8_t, std::uint16_t, const char*);
using InternAtomReply = XcbReplyHeader* (*)(void*, XcbCookie, void**);
using GetSelectionOwner = XcbCookie (*)(void*, std::uint32_t);
using GetSelectionOwnerReply = XcbReplyHeader* (*)(void*, XcbCookie, void**);

bool x11CompositorRunning() {
#if QT_CONFIG(xcb)
  auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
  if (!x11 || !x11->connection()) return false;
  void* lib = dlopen("libxcb.so.1", RTLD_LAZY | RTLD_NOLOAD);
  if (!lib) lib = dlopen("libxcb.so.1", RTLD_LAZY);
  if (!lib) return false;
  auto internAtom = reinterpret_cast<InternAtom>(dlsym(lib, "xcb_intern_atom"));
  auto internAtomReply = reinterpret_cast<InternAtomReply>(dlsym(lib, "xcb_intern_atom_reply"));
  auto getOwner = reinterpret_cast<GetSelectionOwner>(dlsym(lib, "xcb_get_selection_owner"));
  auto getOwnerReply = reinterpret_cast<GetSelectionOwnerReply>(dlsym(lib, "xcb_get_selection_owner_reply"));
  if (!internAtom || !internAtomReply || !getOwner || !getOwnerReply) return false;
  void* c = x11->connection();
  // The compositing manager of screen 0 owns the selection "_NET_WM_CM_S0".
  const QByteArray name = QByteArrayLiteral("_NET_WM_CM_S0");
  XcbReplyHeader* atom = internAtomReply(c, internAtom(c, 0, std::uint16_t(name.size()), name.constData()), nullptr);
  if (!atom) return false;
  const std::uint32_t selection = atom->value;
  std::free(atom);
  XcbReplyHeader* owner = getOwnerReply(c, getOwner(c, selection), nullptr);
  if (!owner) return false;
  const bool running = owner->value != 0;
  std::free(owner);
  return running;
#else
  return false;
#endif
}

}  // namespace

bool translucentWindowsAvailable() {
  if (forced() >= 0) return forced() != 0;
  if (!qGuiApp) return true;
  if (QGuiApplication::platformName() == QLatin1String("xcb")) {
    static const bool running = x11CompositorRunning();
    return running;
  }
  return true;  // Wayland composites always; the offscreen platform keeps every pixel's alpha
}

ScopedTranslucency::ScopedTranslucency(bool available) : previous_(forced()) { forced() = available ? 1 : 0; }
ScopedTranslucency::~ScopedTranslucency() { forced() = previous_; }

}  // namespace platform
