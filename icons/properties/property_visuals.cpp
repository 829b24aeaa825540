// The mapping from a camera property and a value to what its button shows, by the property's code.
#include <QString>
#include <algorithm>
#include <string>

#include "engine/ptp/property_store.h"
#include "engine/ptp/property_values.h"
#include "icons/properties/visual_colors.h"
#include "icons/properties/vorlaxent_style_kit.h"

using icons::IconParams;
using icons::PropertyVisual;
using platform::Size;
using K = VorlaxentStyleKit;

namespace icons {

IconParams stateColor(bool isHighlighted, bool isDisabled, StatePrecedence precedence) {
  IconParams p;
  const bool grey = isDisabled && (precedence == StatePrecedence::DisabledWins || !isHighlighted);
  const bool blue = isHighlighted && !grey;
  if (grey) p.r = p.g = p.b = 0.7;
  else if (blue) p.r = 0, p.g = 0.5, p.b = 1.0;
  return p;
}

PropertyVisual PropertyVisual::ofIcon(std::string_view stem, Size size, const IconParams& params) {
  const PropertyIconEntry* entry = findPropertyIcon(stem);
  if (!entry) return none();
  PropertyVisual v;
  v.kind = Kind::Image;
  v.stem = std::string(stem);
  v.size = size;
  v.params = params;
  v.image = entry->image(size, params);
  return v;
}

}  // namespace icons

namespace {

// "Drive" anywhere in the display name, in any case.
bool namesDrive(const char* name) {
  return name && QString::fromUtf8(name).contains(QLatin1String("drive"), Qt::CaseInsensitive);
}

// The value's display name from the engine (an owned text), or the value as a signed decimal.
QString valueText(uint32_t code, uint32_t value) {
  if (std::optional<std::string> name = propFormatValue(code, value)) return QString::fromStdString(*name);
  return QString::number(static_cast<int32_t>(value));
}

}  // namespace

PropertyVisual K::visualForProperty(const PropertyStruct* property, uint32_t value, Size size, bool isHighlighted,
                                    bool isDisabled) {
  if (!property) return PropertyVisual::none();
  const uint32_t code = property->code.load();
  switch (code) {
    case 0x5004:
    case 0xD018:
    case 0xD120:
    case 0xD253:
      return imageOfImageFormat_WithSize(size, code, value, isHighlighted);
    case 0x5005:
    case 0xD109: {
      const double side = std::min(size.width, size.height);
      return imageOfWhiteBalance_WithSize(Size{side, side}, code, value, isHighlighted, isDisabled, false);
    }
    case 0x500B:
    case 0xD107:
      return imageOfMeteringMode_WithSize(size, code, value, isHighlighted, isDisabled, false);
    case 0x5013:
      if (namesDrive(property->name)) return imageOfSonyDriveMode_WithSize(size, code, value, isDisabled, isHighlighted);
      return imageOfDriveMode_WithSize(size, code, value, isDisabled, isHighlighted);
    case 0xD1A1:
      return imageOfDriveMode_WithSize(size, code, value, isDisabled, isHighlighted);
    case 0xD106:
      if (value == 6) return PropertyVisual::ofText(QStringLiteral("S"));
      return imageOfDriveMode_WithSize(size, code, value, isDisabled, isHighlighted);
    case 0xD1F8:
      return imageOfMovieAfAreaMode_WithSize(size, code, value, isDisabled, isHighlighted);
    case 0xD22C:
      return imageOfFocusArea_WithSize(size, code, value, isHighlighted);
    case 0xD108:
      if (value == 3) return PropertyVisual::ofText(QStringLiteral("Manual"));
      break;
    default:
      break;
  }
  return PropertyVisual::ofText(valueText(code, value));
}
