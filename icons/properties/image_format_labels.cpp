#include "icons/properties/image_format_labels.h"

#include <mutex>

namespace icons {

namespace {
std::mutex gMutex;
ImageFormatLabelSources& sources() {
  static ImageFormatLabelSources s;
  return s;
}
}  // namespace

ImageFormatLabelSources imageFormatLabelSources() {
  std::lock_guard lock(gMutex);
  return sources();
}

void setImageFormatLabelSources(ImageFormatLabelSources s) {
  std::lock_guard lock(gMutex);
  sources() = std::move(s);
}

}  // namespace icons
