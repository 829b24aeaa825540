#pragma once
// What a property button or picker shows for one value: an image of the property kit, a short text, or
// nothing. An image also carries how it was asked for (the icon's stem and its parameters), so that callers and
// tests can tell which icon it is without rendering it.

#include <QString>
#include <string>

#include "icons/properties/property_icon_catalogue.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

namespace icons {

// The arguments of an image-format button (JPEG, RAW or RAW plus JPEG).
struct ImageFormatButtonParams {
  QString size;       // JPEG button: the size letters; RAW button: the RAW size; RAW + JPEG: the JPEG size
  QString rawSize;    // RAW + JPEG: the RAW size
  unsigned compression = 1;
  bool highlighted = false;
  bool enabled = true;
  friend bool operator==(const ImageFormatButtonParams&, const ImageFormatButtonParams&) = default;
};

struct PropertyVisual {
  enum class Kind { None, Image, Text };
  Kind kind = Kind::None;
  QString text;                    // Kind::Text
  std::string stem;                // Kind::Image: "WhiteBalance_Auto", or "ImageFormat_Jpeg" and its siblings
  platform::Size size;             // Kind::Image: the image's size
  IconParams params;               // Kind::Image, kit icons
  ImageFormatButtonParams button;  // Kind::Image, image-format buttons
  platform::Image image;           // Kind::Image

  bool isNone() const { return kind == Kind::None; }
  bool isImage() const { return kind == Kind::Image; }
  bool isText() const { return kind == Kind::Text; }

  static PropertyVisual none() { return {}; }
  static PropertyVisual ofText(const QString& text) {
    PropertyVisual v;
    v.kind = Kind::Text;
    v.text = text;
    return v;
  }
  // The kit icon of a stem at a size; none when the kit has no such icon.
  static PropertyVisual ofIcon(std::string_view stem, platform::Size size, const IconParams& params);
};

}  // namespace icons
