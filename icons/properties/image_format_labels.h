#pragma once
// Where the image-format texts of Sony, Nikon and Fujifilm cameras come from. Those labels are built by each
// vendor's module from its own value layout; the module (or the code that registers it) installs its label
// function here. While none is installed the vendor's values show the empty text. A function returns an owned
// text, or none when the value has no label.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace icons {

using ImageFormatLabelFunction = std::function<std::optional<std::string>(uint32_t value)>;

struct ImageFormatLabelSources {
  ImageFormatLabelFunction sony;
  ImageFormatLabelFunction nikon;
  ImageFormatLabelFunction fuji;
};

// A copy of the installed sources (safe from any thread), and their replacement.
ImageFormatLabelSources imageFormatLabelSources();
void setImageFormatLabelSources(ImageFormatLabelSources sources);

}  // namespace icons
