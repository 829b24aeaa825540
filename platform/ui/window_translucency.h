#pragma once
// Whether windows with see-through parts can be shown as such. Under X11 that needs a compositing manager;
// without one the transparent parts of a window come out black, and a window must cut its shape out with a
// mask instead (and can draw no soft shadow).

namespace platform {

bool translucentWindowsAvailable();

// For tests: answers `available` for its lifetime, then the real answer again.
class ScopedTranslucency {
 public:
  explicit ScopedTranslucency(bool available);
  ~ScopedTranslucency();
  ScopedTranslucency(const ScopedTranslucency&) = delete;
  ScopedTranslucency& operator=(const ScopedTranslucency&) = delete;

 private:
  int previous_;
};

}  // namespace platform
