// Image-format values to their labels or buttons, Sony focus-area values and Nikon movie AF-area values to their
// icons.
#include <QString>

#include "engine/ptp/vendor_state.h"
#include "engine/vendors/canon/canon_image_format.h"
#include "icons/properties/image_format_labels.h"
#include "icons/properties/visual_colors.h"
#include "icons/properties/vorlaxent_style_kit.h"

using icons::IconParams;
using icons::PropertyVisual;
using platform::Rect;
using platform::Size;
using K = VorlaxentStyleKit;

namespace {

PropertyVisual labelText(const icons::ImageFormatLabelFunction& label, uint32_t value) {
  if (!label) return PropertyVisual::ofText(QString());
  const std::optional<std::string> text = label(value);
  return PropertyVisual::ofText(text ? QString::fromUtf8(text->c_str()) : QString());
}

QString rawSizeText(uint16_t size, uint8_t quality) {
  if (quality == 3) return QStringLiteral("C");
  if (size == 1) return QStringLiteral("M");
  if (size == 2) return QStringLiteral("S");
  return QString();
}

QString jpegSizeText(uint16_t size) {
  switch (size) {
    case 0: return QStringLiteral("L");
    case 1: return QStringLiteral("M");
    case 2: return QStringLiteral("S");
    case 5: return QStringLiteral("M1");
    case 6: return QStringLiteral("M2");
    case 14: return QStringLiteral("S1");
    case 15: return QStringLiteral("S2");
    case 16: return QStringLiteral("S3");
    default: return QString();
  }
}

unsigned jpegCompression(uint16_t size, uint8_t quality) {
  if (size == 15 || size == 16) return 1;
  if (quality == 2) return 0;
  if (quality == 3) return 2;
  return 1;
}

PropertyVisual button(std::string_view stem, Size size, icons::ImageFormatButtonParams params, platform::Image image) {
  PropertyVisual v;
  v.kind = PropertyVisual::Kind::Image;
  v.stem = std::string(stem);
  v.size = size;
  v.button = std::move(params);
  v.image = std::move(image);
  return v;
}

// The Canon image-format value: its RAW and JPEG parts as a drawn button.
PropertyVisual canonFormat(Size size, uint32_t value, bool isHighlighted) {
  uint16_t rawSize = 0, jpegSize = 0;
  uint8_t rawQuality = 0, jpegQuality = 0;
  const bool hasRaw = canonImageFormatSizeQuality(value, kCanonImageTypeRaw, &rawSize, &rawQuality) == PTP_RC_OK;
  const bool hasJpeg = canonImageFormatSizeQuality(value, kCanonImageTypeJpeg, &jpegSize, &jpegQuality) == PTP_RC_OK;
  const Rect frame{0, 0, size.width, size.height};
  icons::ImageFormatButtonParams p;
  p.highlighted = isHighlighted;
  p.enabled = true;
  if (hasRaw && hasJpeg) {
    p.size = jpegSizeText(jpegSize);
    p.compression = jpegCompression(jpegSize, jpegQuality);
    p.rawSize = rawSizeText(rawSize, rawQuality);
    return button("ImageFormat_RawPlusJpeg", size, p,
                  K::imageOfImageFormat_RawPlusJpegWithFrame(frame, p.size, p.compression, p.rawSize, isHighlighted, true));
  }
  if (hasRaw) {
    p.size = rawSizeText(rawSize, rawQuality);
    return button("ImageFormat_Raw", size, p, K::imageOfImageFormat_RawWithFrame(frame, p.size, isHighlighted, true));
  }
  if (hasJpeg) {
    p.size = jpegSizeText(jpegSize);
    p.compression = jpegCompression(jpegSize, jpegQuality);
    return button("ImageFormat_Jpeg", size, p,
                  K::imageOfImageFormat_JpegWithFrame(frame, p.size, p.compression, isHighlighted, true));
  }
  return PropertyVisual::none();
}

const char* focusAreaStem(uint32_t value) {
  switch (value) {
    case 0x0001: return "Sony_FocusArea_Wide";
    case 0x0002: return "Sony_FocusArea_Zone";
    case 0x0003: return "Sony_FocusArea_Center";
    case 0x0101: return "Sony_FocusArea_FlexibleSpotSmall";
    case 0x0102: return "Sony_FocusArea_FlexibleSpotMedium";
    case 0x0103: return "Sony_FocusArea_FlexibleSpotLarge";
    case 0x0104: return "Sony_FocusArea_ExpandFlexibleSpot";
    case 0x0106: return "Sony_FocusArea_FlexibleSpotXSmall";
    case 0x0107: return "Sony_FocusArea_FlexibleSpotXLarge";
    case 0x0201: return "Sony_FocusArea_Tracking_Wide";
    case 0x0202: return "Sony_FocusArea_Tracking_Zone";
    case 0x0203: return "Sony_FocusArea_Tracking_Center";
    case 0x0204: return "Sony_FocusArea_Tracking_FlexibleSpotSmall";
    case 0x0205: return "Sony_FocusArea_Tracking_FlexibleSpotMedium";
    case 0x0206: return "Sony_FocusArea_Tracking_FlexibleSpotLarge";
    case 0x0207: return "Sony_FocusArea_Tracking_ExpandFlexibleSpot";
    case 0x1101: return "Sony_FocusArea_Custom1";
    case 0x1102: return "Sony_FocusArea_Custom2";
    case 0x1103: return "Sony_FocusArea_Custom3";
    default: return nullptr;
  }
}

}  // namespace

PropertyVisual K::imageOfImageFormat_WithSize(Size size, uint32_t code, uint32_t value, bool isHighlighted) {
  if (value == 0xFFFFFFFF) return PropertyVisual::ofText(QStringLiteral("--"));
  const icons::ImageFormatLabelSources labels = icons::imageFormatLabelSources();
  switch (code) {
    case 0x5004:
    case 0xD253:
      return labelText(camIsSony() ? labels.sony : labels.nikon, value);
    case 0xD018:
      return labelText(labels.fuji, value);
    case 0xD120:
      return canonFormat(size, value, isHighlighted);
    default:
      return PropertyVisual::none();
  }
}

PropertyVisual K::imageOfFocusArea_WithSize(Size size, uint32_t /*code*/, uint32_t value, bool isHighlighted) {
  const char* stem = focusAreaStem(value);
  if (!stem) return PropertyVisual::ofText(QString());
  // This selector knows only highlighted and white.
  return PropertyVisual::ofIcon(stem, size, icons::stateColor(isHighlighted, false, icons::StatePrecedence::HighlightedWins));
}

PropertyVisual K::imageOfMovieAfAreaMode_WithSize(Size size, uint32_t code, uint32_t value, bool isDisabled,
                                                  bool isHighlighted) {
  if (code != 0xD1F8) return PropertyVisual::none();
  const char* stem = nullptr;
  switch (value) {
    case 0x8010: stem = "Nikon_MovieAfArea_Single"; break;
    case 0x8011: stem = "Nikon_MovieAfArea_Auto"; break;
    case 0x8018: stem = "Nikon_MovieAfArea_WideS"; break;
    case 0x8019: stem = "Nikon_MovieAfArea_WideL"; break;
    default: return PropertyVisual::none();
  }
  return PropertyVisual::ofIcon(stem, size,
                                icons::stateColor(isHighlighted, isDisabled, icons::StatePrecedence::HighlightedWins));
}
