#pragma once
// The property kit's icons by stem ("WhiteBalance_Auto"), each with its signature and a uniform way to call its
// draw and image operations, for the value mapping, the contact sheets and the tests that sweep every icon.

#include <QString>
#include <string_view>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

namespace icons {

// The parameter tails after the frame or size.
enum class IconSignature {
  A,  // r, g, showShadow, b
  B,  // r, g, showShadow, b, fontSize
  C,  // r, g, showShadow, b, fontSize, bracketTopText
  D,  // r, g, b
  E,  // r, g, b, fontSize, timerSeconds
  F,  // r, g, b, fontSize, timerSeconds, timerCount
  G,  // r, g, b, fontSize, bracketBottomText, bracketTopText
  H,  // r, g, b, fontSize, customText
};

// Every parameter an icon may take; each signature reads its own. Texts in selector order: text1 is the first
// text parameter (bracketTopText, timerSeconds, bracketBottomText or customText), text2 the second.
struct IconParams {
  double r = 1, g = 1, b = 1;
  bool showShadow = false;
  double fontSize = 0;
  QString text1;
  QString text2;
  friend bool operator==(const IconParams&, const IconParams&) = default;
};

struct PropertyIconEntry {
  const char* stem;
  IconSignature signature;
  void (*draw)(const platform::Rect& frame, const IconParams& params);
  platform::Image (*image)(const platform::Size& size, const IconParams& params);
};

const std::vector<PropertyIconEntry>& propertyIconCatalogue();
// Typical arguments for an icon at a size (the font sizes and texts the value mapping passes), in the colour given.
IconParams samplePropertyIconParams(const PropertyIconEntry& entry, platform::Size size, double r = 1, double g = 1,
                                    double b = 1, bool showShadow = false);
// The entry of a stem, or none.
const PropertyIconEntry* findPropertyIcon(std::string_view stem);

}  // namespace icons
