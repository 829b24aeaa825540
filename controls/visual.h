#pragma once
// What a picker shows for one entry: a short text or an image. Button faces and carousel items take either.
#include <QString>
#include <variant>

#include "icons/properties/property_visual.h"
#include "platform/graphics/image.h"

class SYFlatButton;

namespace controls {

using Visual = std::variant<QString, platform::Image>;

// The icon kit's answer as a face: its image, or its text (nothing shows as an empty text).
Visual visualOf(const icons::PropertyVisual& visual);

// Puts a face on a button: an image with an empty title, or a title with no image.
void applyFace(SYFlatButton* button, const Visual& face);

}  // namespace controls
