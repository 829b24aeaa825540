#pragma once
// Where the image-format texts of Sony, Nikon and Fujifilm cameras come from. Those labels are built by each
// vendor's module from its own value layout: by default the modules' own label functions are used; a test may put
// others in place. A source that is not set shows the empty text. A function returns an owned text, or none when
// the value has no label.

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

// The vendor modules' own label functions.
ImageFormatLabelSources defaultImageFormatLabelSources();

// A copy of the installed sources (safe from any thread), and their replacement.
ImageFormatLabelSources imageFormatLabelSources();
void setImageFormatLabelSources(ImageFormatLabelSources sources);

}  // namespace icons
