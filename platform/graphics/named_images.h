#pragma once
// Images of the application's bundle, loaded by name ("AFIcon"), as windows and panels ask for them. The images
// are drawn, not stored: whoever draws one registers it under its name (the interface icon kit registers its
// bundle images as soon as it is linked in), and a lookup gives a new image of the name's natural size whose
// drawing handler stays sharp at any size it is drawn at. Safe to use from any thread.
#include <functional>
#include <string>
#include <vector>

#include "platform/graphics/image.h"

namespace platform {

using NamedImageProvider = std::function<Image()>;

// Registers the image of `name`; a later registration of the same name replaces it. Returns true, for use in a
// static initialiser.
bool registerImageNamed(const std::string& name, NamedImageProvider provider);

// The image registered under `name`; a null image for a name that nothing registered.
Image imageNamed(const std::string& name);

// Every registered name, sorted.
std::vector<std::string> registeredImageNames();

}  // namespace platform
