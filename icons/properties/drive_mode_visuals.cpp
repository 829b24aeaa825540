// Drive-mode values to their icons or texts: Sony's drive mode (with its encoded brackets and self-timers) and the
// generic table of the Nikon capture mode, the Nikon live-view drive mode and the Canon drive mode. Highlighted
// wins over disabled here.
#include <QString>
#include <optional>

#include "icons/properties/visual_colors.h"
#include "icons/properties/vorlaxent_style_kit.h"

using icons::IconParams;
using icons::PropertyVisual;
using platform::Size;
using K = VorlaxentStyleKit;

namespace {

struct BracketStep {
  const char* ev;
  uint8_t single;  // the continuous key is single + 1
};

// In the order that the 7- and 9-image brackets cut short.
constexpr BracketStep kSteps[] = {{"0.3", 0x36}, {"0.5", 0x56}, {"0.7", 0x76}, {"1.0", 0x10},
                                  {"1.3", 0x40}, {"1.5", 0x60}, {"1.7", 0x80}, {"2.0", 0x20},
                                  {"2.3", 0x50}, {"2.5", 0x70}, {"2.7", 0x90}, {"3.0", 0x30}};

struct BracketLabel {
  QString bottom;
  QString top;
  bool twoPlus = false;
};

// An exposure bracket key (count byte, step byte), or none.
std::optional<BracketLabel> exposureBracket(uint16_t key) {
  const uint8_t countByte = key >> 8, stepByte = key & 0xFF;
  QString count;
  size_t allowed = 12;
  uint8_t step = stepByte;
  bool twoPlus = false;
  switch (countByte) {
    case 0x83: count = QStringLiteral("3"); break;
    case 0x85: count = QStringLiteral("5"); break;
    case 0x87: count = QStringLiteral("7"); allowed = 8; break;
    case 0x89: count = QStringLiteral("9"); allowed = 4; break;
    case 0xC2: break;
    default: return std::nullopt;
  }
  for (size_t i = 0; i < allowed; ++i) {
    const uint8_t s = kSteps[i].single;
    const bool plain = stepByte == s || stepByte == s + 1;
    const bool minus = stepByte == s + 8 || stepByte == s + 9;
    if (countByte == 0xC2) {
      if (!plain && !minus) continue;
      count = plain ? QStringLiteral("2+") : QStringLiteral("2-");
      twoPlus = plain;
      step = plain ? stepByte : stepByte - 8;
    } else if (!plain) {
      continue;
    }
    return BracketLabel{QStringLiteral("%1EV %2").arg(QLatin1String(kSteps[i].ev), count),
                        (step & 1) ? QStringLiteral("C") : QStringLiteral("S"), twoPlus};
  }
  return std::nullopt;
}

IconParams colours(bool isDisabled, bool isHighlighted) {
  return icons::stateColor(isHighlighted, isDisabled, icons::StatePrecedence::HighlightedWins);
}

PropertyVisual timer(Size size, IconParams p, const char* seconds, const char* count) {
  p.fontSize = 0.25 * size.width;
  p.text1 = QString::fromLatin1(seconds);
  p.text2 = QString::fromLatin1(count);
  return PropertyVisual::ofIcon("DriveMode_TimerSecondsCounter", size, p);
}

PropertyVisual bracket(Size size, IconParams p, const QString& bottom, const QString& top, double fontSize) {
  p.fontSize = fontSize;
  p.text1 = bottom;
  p.text2 = top;
  return PropertyVisual::ofIcon("DriveMode_SonyBracket", size, p);
}

}  // namespace

PropertyVisual K::imageOfSonyDriveMode_WithSize(Size size, uint32_t /*code*/, uint32_t value, bool isDisabled,
                                                bool isHighlighted) {
  const uint16_t k = value & 0xFFFF;
  const IconParams p = colours(isDisabled, isHighlighted);
  const double f = 0.25 * size.width;
  switch (k) {
    case 0x0001: return PropertyVisual::ofIcon("DriveMode_Single", size, p);
    case 0x0002: return PropertyVisual::ofIcon("DriveMode_ContinuousHighSpeed", size, p);
    case 0x8010: return PropertyVisual::ofIcon("DriveMode_ContinuousHighPlus", size, p);
    case 0x8012: return PropertyVisual::ofIcon("DriveMode_ContinuousLowSpeed", size, p);
    case 0x8015: return PropertyVisual::ofIcon("DriveMode_ContinuousMedium", size, p);
    case 0x8003: return timer(size, p, "5s", "");
    case 0x8004: return timer(size, p, "10s", "");
    case 0x8005: return timer(size, p, "2s", "");
    case 0x8008: return timer(size, p, "", "3");
    case 0x8009: return timer(size, p, "", "5");
    case 0x800C: return timer(size, p, "5s", "3");
    case 0x800D: return timer(size, p, "5s", "5");
    case 0x800E: return timer(size, p, "2s", "3");
    case 0x800F: return timer(size, p, "2s", "5");
    case 0x8018: return bracket(size, p, QStringLiteral("WB"), QStringLiteral("LO"), f);
    case 0x8028: return bracket(size, p, QStringLiteral("WB"), QStringLiteral("HI"), f);
    case 0x8019: return bracket(size, p, QStringLiteral("DRO"), QStringLiteral("LO"), f);
    case 0x8029: return bracket(size, p, QStringLiteral("DRO"), QStringLiteral("HI"), f);
    case 0x8040: return bracket(size, p, QStringLiteral("Focus"), QStringLiteral("\t"), f);
    default: break;
  }
  if (std::optional<BracketLabel> label = exposureBracket(k))
    return bracket(size, p, label->bottom, label->top, label->twoPlus ? f - 0.5 : f);
  return PropertyVisual::none();
}

PropertyVisual K::imageOfDriveMode_WithSize(Size size, uint32_t code, uint32_t value, bool isDisabled,
                                            bool isHighlighted) {
  IconParams p = colours(isDisabled, isHighlighted);
  auto icon = [&](std::string_view stem) { return PropertyVisual::ofIcon(stem, size, p); };
  if (code == 0x5013) {
    switch (value) {
      case 0x0001: return icon("DriveMode_Single");
      case 0x0002: return icon("DriveMode_Continuous");
      case 0x8010: return icon("DriveMode_ContinuousLowSpeed");
      case 0x8011: return icon("DriveMode_Timer");
      case 0x8012: return PropertyVisual::ofText(QStringLiteral("MUP"));
      case 0x8013: return PropertyVisual::ofText(QStringLiteral("LV"));
      case 0x8014: return icon("DriveMode_Remote");
      case 0x8015: return icon("DriveMode_DelayRemote");
      case 0x8016: return icon("DriveMode_Quiet");
      case 0x8017: return icon("DriveMode_Remote");
      case 0x8018: return icon("DriveMode_QuietContinuous");
      case 0x8019: return icon("DriveMode_ContinuousExtended");
      case 0x8100: return PropertyVisual::ofText(QStringLiteral("Custom"));
      case 0x810F: return icon("DriveMode_Continuous15");
      case 0x811E: return icon("DriveMode_Continuous30");
      case 0x813C: return icon("DriveMode_Continuous60");
      case 0x8178: return icon("DriveMode_Continuous120");
      default: return PropertyVisual::ofText(QString::number(static_cast<int32_t>(value)));
    }
  }
  if (code == 0xD1A1) {
    switch (value) {
      case 0: return icon("DriveMode_Single");
      case 1: return icon("DriveMode_ContinuousLowSpeed");
      case 2: return icon("DriveMode_Continuous");
      case 0x8019: return icon("DriveMode_ContinuousExtended");
      default: return PropertyVisual::none();
    }
  }
  if (code == 0xD106) {
    switch (value) {
      case 0x00: return icon("DriveMode_Single");
      case 0x01: return icon("DriveMode_Continuous");
      case 0x04: return icon("DriveMode_ContinuousHighSpeed");
      case 0x05: return icon("DriveMode_ContinuousLowSpeed");
      case 0x07:
        p.fontSize = 0.25 * size.width;
        p.text1 = QStringLiteral("C");
        return icon("DriveMode_TimerSeconds");
      case 0x10: return icon("DriveMode_Timer");
      case 0x11: return icon("DriveMode_Timer2Sec");
      case 0x12: return icon("DriveMode_ContinuousHighPlus");
      case 0x13: return icon("DriveMode_Silent");
      case 0x14: return icon("DriveMode_SilentContinuous");
      case 0x15: return icon("DriveMode_SilentContinuousHigh");
      case 0x16: return icon("DriveMode_SilentContinuousLow");
      default: return PropertyVisual::none();
    }
  }
  return PropertyVisual::none();
}
