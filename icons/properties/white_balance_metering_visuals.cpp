// White-balance and metering values to their icons. Disabled wins over highlighted here.
#include "engine/ptp/vendor_state.h"
#include "icons/properties/visual_colors.h"
#include "icons/properties/vorlaxent_style_kit.h"

using icons::IconParams;
using icons::PropertyVisual;
using platform::Size;
using K = VorlaxentStyleKit;

namespace {

struct WbIcon {
  const char* stem = nullptr;  // none: no icon
  const char* text = nullptr;  // the label of the text variants
};

constexpr WbIcon kNone{};
constexpr WbIcon plain(const char* stem) { return {stem, nullptr}; }
constexpr WbIcon fluo(const char* label) { return {"WhiteBalance_FlourescentText", label}; }
constexpr WbIcon custom(const char* label) { return {"WhiteBalance_CustomText", label}; }

WbIcon whiteBalanceD109(uint32_t value) {
  switch (value) {
    case 0: return plain("WhiteBalance_Auto");
    case 1: return plain("WhiteBalance_Daylight");
    case 2: return plain("WhiteBalance_Cloudy");
    case 3: return plain("WhiteBalance_Tungsten");
    case 4: return plain("WhiteBalance_Flourescent");
    case 5: return plain("WhiteBalance_Flash");
    case 6: case 15: case 16: case 18: case 19: return plain("WhiteBalance_Custom");
    case 8: return plain("WhiteBalance_Shade");
    case 9: return plain("WhiteBalance_ColorTemperature");
    case 23: return plain("WhiteBalance_AutoW");
    default: return plain("WhiteBalance_Preset");
  }
}

WbIcon whiteBalance5005(uint32_t value, bool fuji) {
  switch (value) {
    case 2: return plain("WhiteBalance_Auto");
    case 4: return plain("WhiteBalance_Daylight");
    case 5: return plain("WhiteBalance_Flourescent");
    case 6: return plain("WhiteBalance_Tungsten");
    case 7: return plain("WhiteBalance_Flash");
    case 8: return plain("WhiteBalance_AutoUnderwater");
    case 0x8001: return fluo(fuji ? "+1" : "-1");
    case 0x8002: return fluo(fuji ? "+2" : "0");
    case 0x8003: return fluo(fuji ? "+3" : "+1");
    case 0x8004: return fluo("+2");
    case 0x8005: return fluo("+3");
    case 0x8006: return fuji ? plain("WhiteBalance_Shade") : kNone;
    case 0x8007: return fuji ? plain("WhiteBalance_ColorTemperature") : kNone;
    case 0x8008: return fuji ? custom("1") : kNone;
    case 0x8009: return fuji ? custom("2") : kNone;
    case 0x800A: return fuji ? custom("3") : kNone;
    case 0x8010: return plain("WhiteBalance_Cloudy");
    case 0x8011: return plain("WhiteBalance_Shade");
    case 0x8012: return plain("WhiteBalance_ColorTemperature");
    case 0x8013: return plain("WhiteBalance_Preset");
    case 0x8016: return plain("WhiteBalance_AutoNaturalLight");
    case 0x8020: return custom("1");
    case 0x8021: return custom("2");
    case 0x8022: return custom("3");
    case 0x8030: return plain("WhiteBalance_AutoUnderwater");
    default: return kNone;  // 3 among them
  }
}

const char* metering500B(uint32_t value) {
  switch (value) {
    case 1: return "MeteringMode_CenterWeighted";
    case 2: return "MeteringMode_CenterWeighted_NIKON";
    case 3: return "MeteringMode_MultiPattern";
    case 4: return "MeteringMode_Spot_NIKON";
    case 0x8001: return "MeteringMode_MultiPattern";
    case 0x8002: return "MeteringMode_CenterWeighted_NIKON";
    case 0x8003: return "Sony_MeteringMode_EntireScreenAverage";
    case 0x8004: return "Sony_MeteringMode_SpotStandard";
    case 0x8005: return "Sony_MeteringMode_SpotLarge";
    case 0x8006: return "Sony_MeteringMode_Highlight";
    case 0x8010: return "MeteringMode_HighlightWeighted";
    default: return nullptr;
  }
}

const char* meteringD107(uint32_t value) {
  switch (value) {
    case 0: case 5: return "MeteringMode_CenterWeighted";
    case 1: case 6: return "MeteringMode_Spot";
    case 3: return "MeteringMode_Evaluative";
    case 4: return "MeteringMode_Partial";
    default: return nullptr;
  }
}

IconParams colours(bool isHighlighted, bool isDisabled, bool withShadow) {
  IconParams p = icons::stateColor(isHighlighted, isDisabled, icons::StatePrecedence::DisabledWins);
  p.showShadow = withShadow;
  return p;
}

}  // namespace

PropertyVisual K::imageOfWhiteBalance_WithSize(Size size, uint32_t code, uint32_t value, bool isHighlighted,
                                               bool isDisabled, bool withShadow) {
  WbIcon icon;
  if (code == 0xD109) icon = whiteBalanceD109(value);
  else if (code == 0x5005) icon = whiteBalance5005(value, camIsFuji());
  if (!icon.stem) return PropertyVisual::none();
  IconParams p = colours(isHighlighted, isDisabled, withShadow);
  const std::string_view stem = icon.stem;
  if (stem == "WhiteBalance_AutoW") {
    p.fontSize = 0.15 * size.height;
  } else if (icon.text) {
    p.fontSize = size.height / 3;
    p.text1 = QString::fromLatin1(icon.text);
  }
  return PropertyVisual::ofIcon(stem, size, p);
}

PropertyVisual K::imageOfMeteringMode_WithSize(Size size, uint32_t code, uint32_t value, bool isHighlighted,
                                               bool isDisabled, bool withShadow) {
  const char* stem = code == 0x500B ? metering500B(value) : code == 0xD107 ? meteringD107(value) : nullptr;
  if (!stem) return PropertyVisual::none();
  return PropertyVisual::ofIcon(stem, size, colours(isHighlighted, isDisabled, withShadow));
}
