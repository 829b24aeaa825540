#pragma once
// The interface kit's class. The property kit adds two groups of class operations to it: the image-format
// buttons (JPEG, RAW, RAW plus JPEG, composed of the quality badges and the size letters) and the mapping from a
// camera property and one of its values to the image or text that a property button or picker shows.

#include <QString>
#include <cstdint>

#include "icons/properties/property_visual.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

struct PropertyStruct;

class VorlaxentStyleKit {
 public:
  // Image-format buttons. Colour: highlighted gives (0, 0.5, 1), else enabled white, else grey 0.7; highlighting
  // wins over disabling. Letters in ArialMT at half the frame's height. A null size text means none.
  // Compression 0 puts the compressed badge before the letters, 2 the smooth badge, 1 no badge (letters centred);
  // any other value leaves the badge's space empty.
  static void drawImageFormat_JpegWithFrame(const platform::Rect& frame, const QString& size, unsigned compression,
                                            bool buttonHighlighted, bool buttonEnabled);
  static void drawImageFormat_RawWithFrame(const platform::Rect& frame, const QString& size, bool buttonHighlighted,
                                           bool buttonEnabled);
  static void drawImageFormat_RawPlusJpegWithFrame(const platform::Rect& frame, const QString& jpegSize,
                                                   unsigned jpegCompression, const QString& rawSize,
                                                   bool buttonHighlighted, bool buttonEnabled);
  // Each returns a new image of the frame's size whose handler draws the button with the same frame.
  static platform::Image imageOfImageFormat_JpegWithFrame(const platform::Rect& frame, const QString& size,
                                                          unsigned compression, bool buttonHighlighted,
                                                          bool buttonEnabled);
  static platform::Image imageOfImageFormat_RawWithFrame(const platform::Rect& frame, const QString& size,
                                                         bool buttonHighlighted, bool buttonEnabled);
  static platform::Image imageOfImageFormat_RawPlusJpegWithFrame(const platform::Rect& frame,
                                                                 const QString& jpegSize, unsigned jpegCompression,
                                                                 const QString& rawSize, bool buttonHighlighted,
                                                                 bool buttonEnabled);

  // The mapping. Reads the record's code and display name only; a missing record shows nothing.
  static icons::PropertyVisual visualForProperty(const PropertyStruct* property, uint32_t value, platform::Size size,
                                                 bool isHighlighted, bool isDisabled);
  // The per-property selectors (the EXIF panel calls the first two directly).
  static icons::PropertyVisual imageOfWhiteBalance_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                            bool isHighlighted, bool isDisabled, bool withShadow);
  static icons::PropertyVisual imageOfMeteringMode_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                            bool isHighlighted, bool isDisabled, bool withShadow);
  static icons::PropertyVisual imageOfSonyDriveMode_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                             bool isDisabled, bool isHighlighted);
  static icons::PropertyVisual imageOfDriveMode_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                         bool isDisabled, bool isHighlighted);
  static icons::PropertyVisual imageOfImageFormat_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                           bool isHighlighted);
  static icons::PropertyVisual imageOfFocusArea_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                         bool isHighlighted);
  static icons::PropertyVisual imageOfMovieAfAreaMode_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                               bool isDisabled, bool isHighlighted);
};
