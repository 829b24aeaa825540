// Rewriting the orientation of a downloaded image: the preview JPEG extracted from a raw file lacks the
// orientation the camera reported for the object.
#include "platform/imaging/image_metadata.h"
#include "session/utilities.h"

std::optional<std::vector<uint8_t>> Utilities::setOrientation(uint8_t orientation, const std::vector<uint8_t>& data) {
  std::optional<platform::Data> image = platform::jpegWithOrientation(data.data(), data.size(), orientation);
  if (!image) return std::nullopt;
  // Only data long enough to hold a head has one to keep; shorter data is the JPEG alone.
  const size_t head = exifHeaderLength();
  if (data.size() >= head) image->insert(image->end(), data.end() - long(head), data.end());
  return image;
}
