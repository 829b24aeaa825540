#pragma once
// Every interface icon in each of its typical states, by name ("XButton", "AFToggle/on,AF"), with a uniform way
// to draw it into a frame and to make its image of a size, for the contact sheets and the tests that sweep every
// icon.

#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

namespace icons {

struct InterfaceIconCase {
  std::string name;  // the icon, then its state after a slash
  std::function<void(const platform::Rect&)> draw;
  std::function<platform::Image(const platform::Size&)> image;  // none for a drawing of a fixed design size
  // For a drawing into a fixed design rectangle of the canvas (its frame ignored), that rectangle's size.
  platform::Size designSize{};
};

const std::vector<InterfaceIconCase>& interfaceIconCases();

// The rows of the browser, level, sign, nudge and image-editing icons, appended to `out`.
void appendBrowserAndEditingCases(std::vector<InterfaceIconCase>& out);

}  // namespace icons
