#pragma once
// The images of the application's bundle that windows and panels load by name: the autofocus and manual-focus
// faces of the focus toggle ("AFIcon", "MFIcon"), the collapse arrow of the focus-stacking panel ("ArrowUp"), the
// tripod head's battery levels ("BatteryIndicator_0", "_25", "_50", "_100", "_NoConnection") and the card
// browser's select-all box ("CheckedBox", "UncheckedBox"). They are drawn in the kit's style, as vectors, so they
// stay sharp at any size; each has a natural size, the size an image of its name has.
//
// registerBundleImages() makes them known to the platform's lookup by name (platform::imageNamed). It runs by
// itself as soon as the interface kit is linked in; calling it again changes nothing.
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

namespace icons {

struct BundleImage {
  std::string name;
  platform::Size naturalSize;
  std::function<void(const platform::Rect&)> draw;  // into a frame of the current canvas
};

// Every bundle image, in the order above.
const std::vector<BundleImage>& bundleImages();

// Draws the bundle image `name` into `frame` of the current canvas; false, drawing nothing, for another name.
bool drawBundleImage(const std::string& name, const platform::Rect& frame);

// A new image of `size` drawn by the bundle image `name` (its frame is the image's bounds); null for another name.
platform::Image bundleImageWithSize(const std::string& name, const platform::Size& size);

// Registers every bundle image with platform::imageNamed, at its natural size. Returns true.
bool registerBundleImages();

}  // namespace icons
