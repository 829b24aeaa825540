#pragma once
// The marks of the live picture, as filters looked up by name: "HighlightKernel" paints every pixel whose
// luminance is at or above the threshold in the colour, "ShadowKernel" every pixel at or below it, and
// "FocusPeakingKernel" every pixel where the luminance changes sharply (the Sobel gradient's magnitude at or above
// the threshold). Luminance is Rec. 709's, 0.2126 R + 0.7152 G + 0.0722 B, over the stored 8-bit values taken as
// 0...1. The gradient reads the picture's edge pixels again past the edge (clamped to the picture).
//
// The loops run four pixels at a time with SSE2 where the processor has it, one at a time otherwise; both give
// the same pixels. Any thread.
#include <QImage>
#include <optional>
#include <string_view>

#include "platform/graphics/color.h"

namespace platform {

inline constexpr std::string_view kHighlightKernelName = "HighlightKernel";
inline constexpr std::string_view kShadowKernelName = "ShadowKernel";
inline constexpr std::string_view kFocusPeakingKernelName = "FocusPeakingKernel";

// One kernel's inputs: the colour of the marked pixels (its alpha is not used: marks are opaque) and
// "inputThreshold".
struct MarkKernelInput {
  Color color;
  double threshold = 0;
};

// The live view's marks: highlights, then shadows, then focus peaking, each one only when given. One pass over
// the picture gives, pixel for pixel, what the kernels give applied one after the other in that order (the
// shadows see the highlights' colour, the gradient sees both marks).
struct LiveViewMarks {
  std::optional<MarkKernelInput> highlights;
  std::optional<MarkKernelInput> shadows;
  std::optional<MarkKernelInput> focusPeaking;
  bool any() const { return highlights || shadows || focusPeaking; }
};

// Applies the marks in place. The picture ends up as Format_RGB32 (other formats are converted first; alpha is
// dropped). A null picture stays null.
void applyLiveViewMarks(QImage& image, const LiveViewMarks& marks);

// Applies the kernel of that name in place; false (the picture untouched) for a name that is none of the three.
bool applyKernelNamed(std::string_view name, QImage& image, const MarkKernelInput& input);

}  // namespace platform
