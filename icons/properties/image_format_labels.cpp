#include "icons/properties/image_format_labels.h"

#include <mutex>

#include "engine/vendors/fujifilm/fuji_image_format.h"
#include "engine/vendors/nikon/nikon_image_format.h"
#include "engine/vendors/sony/sony_image_format.h"

namespace icons {

namespace {
std::mutex gMutex;

// An empty text from a module means the value has no label.
std::optional<std::string> labelOrNone(std::string text) {
  if (text.empty()) return std::nullopt;
  return text;
}

ImageFormatLabelSources& sources() {
  static ImageFormatLabelSources s = defaultImageFormatLabelSources();
  return s;
}
}  // namespace

ImageFormatLabelSources defaultImageFormatLabelSources() {
  ImageFormatLabelSources s;
  s.sony = [](uint32_t value) { return labelOrNone(sonyImageFormatLabel(static_cast<int32_t>(value))); };
  s.nikon = [](uint32_t value) { return labelOrNone(nikonImageFormatLabel(value)); };
  s.fuji = [](uint32_t value) { return labelOrNone(fujiImageFormatLabel(static_cast<int32_t>(value))); };
  return s;
}

ImageFormatLabelSources imageFormatLabelSources() {
  std::lock_guard lock(gMutex);
  return sources();
}

void setImageFormatLabelSources(ImageFormatLabelSources s) {
  std::lock_guard lock(gMutex);
  sources() = std::move(s);
}

}  // namespace icons
