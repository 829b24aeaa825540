// Drive-mode icons: one colour, no shadow. Texts are Arial-BoldMT at the caller's size, centred in their boxes,
// each box moved up by 3 points, neither centred vertically nor clipped.
#include "icons/properties/icon_art.h"
#include "icons/properties/property_motifs.h"
#include "icons/properties/vorlaxent_properties_style_kit.h"

using icons::IconArt;
using platform::Rect;
using K = VorlaxentPropertiesStyleKit;

namespace {

const QString kDriveFont = QStringLiteral("Arial-BoldMT");
constexpr double kDriveTextLift = 3;

void stackedWithMark(const Rect& frame, double r, double g, double b, const QString& mark, double x0 = 0.66) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  icons::fillStackedFrames(a);
  icons::fillCornerMark(a, mark, x0);
}

// A single frame, with a letter at its upper right when given.
void singleFrame(IconArt& a) { a.fill(a.ring(0.12, 0.22, 0.88, 0.78, 0.18, 0.28, 0.82, 0.72)); }

}  // namespace

void K::drawDriveMode_SingleWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  singleFrame(a);
}

void K::drawDriveMode_ContinuousWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  icons::fillStackedFrames(a);
}

void K::drawDriveMode_ContinuousHighSpeedWithFrame(const Rect& frame, double r, double g, double b) {
  stackedWithMark(frame, r, g, b, QStringLiteral("H"), 0.8);
}

void K::drawDriveMode_ContinuousLowSpeedWithFrame(const Rect& frame, double r, double g, double b) {
  stackedWithMark(frame, r, g, b, QStringLiteral("L"), 0.82);
}

void K::drawDriveMode_ContinuousExtendedWithFrame(const Rect& frame, double r, double g, double b) {
  stackedWithMark(frame, r, g, b, QStringLiteral("H+"), 0.7);
}

void K::drawDriveMode_ContinuousHighPlusWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  icons::fillStackedFrames(a);
  a.fill(a.polygon({{0.81333, 0.2}, {0.81333, 0.03333}, {0.77333, 0.03333}, {0.77333, 0.1}, {0.72, 0.1},
                    {0.72, 0.03333}, {0.68, 0.03333}, {0.68, 0.2}, {0.72, 0.2}, {0.72, 0.14}, {0.77333, 0.14},
                    {0.77333, 0.2}}));
  a.fillRect(0.88667, 0.04667, 0.92667, 0.18);
  a.fillRect(0.84, 0.09333, 0.97333, 0.13333);
}

void K::drawDriveMode_ContinuousMediumWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  icons::fillStackedFrames(a);
  a.fill(a.polygon({{0.78, 0.02}, {0.78, 0.19657}, {0.84091, 0.19657}, {0.87748, 0.07613}, {0.91363, 0.19657},
                    {0.97468, 0.19657}, {0.97468, 0.02}, {0.93687, 0.02}, {0.93687, 0.15899}, {0.89686, 0.02},
                    {0.85768, 0.02}, {0.81781, 0.15899}, {0.81781, 0.02}}));
}

void K::drawDriveMode_Continuous15WithFrame(const Rect& frame, double r, double g, double b) {
  stackedWithMark(frame, r, g, b, QStringLiteral("15"), 0.72);
}

void K::drawDriveMode_Continuous30WithFrame(const Rect& frame, double r, double g, double b) {
  stackedWithMark(frame, r, g, b, QStringLiteral("30"), 0.72);
}

void K::drawDriveMode_Continuous60WithFrame(const Rect& frame, double r, double g, double b) {
  stackedWithMark(frame, r, g, b, QStringLiteral("60"), 0.72);
}

void K::drawDriveMode_Continuous120WithFrame(const Rect& frame, double r, double g, double b) {
  stackedWithMark(frame, r, g, b, QStringLiteral("120"), 0.62);
}

void K::drawDriveMode_QuietWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  a.fill(a.ring(0.12, 0.12, 0.88, 0.88, 0.18, 0.18, 0.82, 0.82));
  a.fill(a.glyphs(QStringLiteral("Q"), 0.3, 0.24, 0.7, 0.76));
}

void K::drawDriveMode_QuietContinuousWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  a.fill(a.ring(0.04, 0.26, 0.74, 0.96, 0.1, 0.32, 0.68, 0.9));
  a.fill(a.glyphs(QStringLiteral("Q"), 0.2, 0.38, 0.58, 0.84));
  a.fill(a.glyphs(QStringLiteral("C"), 0.78, 0.04, 0.98, 0.3));
}

void K::drawDriveMode_SilentWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  a.setRegion(-0.06, -0.1, 0.84, 0.9);
  singleFrame(a);
  a.resetRegion();
  a.fill(a.glyphs(QStringLiteral("S"), 0.8, 0.7, 0.98, 0.98));
}

void K::drawDriveMode_SilentContinuousWithFrame(const Rect& frame, double r, double g, double b) {
  stackedWithMark(frame, r, g, b, QStringLiteral("S"), 0.82);
}

void K::drawDriveMode_SilentContinuousHighWithFrame(const Rect& frame, double r, double g, double b) {
  stackedWithMark(frame, r, g, b, QStringLiteral("SH"), 0.68);
}

void K::drawDriveMode_SilentContinuousLowWithFrame(const Rect& frame, double r, double g, double b) {
  stackedWithMark(frame, r, g, b, QStringLiteral("SL"), 0.68);
}

void K::drawDriveMode_TimerWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  icons::fillDial(a, true);
}

void K::drawDriveMode_Timer2SecWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  icons::fillDial(a, false);
  a.fill(a.glyphs(QStringLiteral("2"), 0.38, 0.24, 0.62, 0.6));
}

void K::drawDriveMode_CustomWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  icons::fillDial(a, false);
  a.fill(a.glyphs(QStringLiteral("C"), 0.36, 0.24, 0.64, 0.6));
}

void K::drawDriveMode_RemoteWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  icons::fillRemote(a);
}

void K::drawDriveMode_DelayRemoteWithFrame(const Rect& frame, double r, double g, double b) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  a.setRegion(-0.12, 0.0, 0.88, 1.0);
  icons::fillRemote(a);
  a.resetRegion();
  a.fill(a.glyphs(QStringLiteral("2"), 0.74, 0.06, 0.94, 0.4));
}

void K::drawDriveMode_TimerSecondsWithFrame(const Rect& frame, double r, double g, double b, double fontSize,
                                            const QString& timerSeconds) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  a.setRegion(0.0, 0.0, 0.62, 0.62);
  icons::fillDial(a, true);
  a.resetRegion();
  a.topText(timerSeconds, a.box(0.0, 0.6, 1.0, 0.96), kDriveFont, fontSize, kDriveTextLift);
}

void K::drawDriveMode_TimerSecondsCounterWithFrame(const Rect& frame, double r, double g, double b, double fontSize,
                                                   const QString& timerSeconds, const QString& timerCount) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  a.setRegion(0.0, 0.0, 0.62, 0.62);
  icons::fillDial(a, true);
  a.resetRegion();
  a.topText(timerSeconds, a.box(0.0, 0.6, 1.0, 0.96), kDriveFont, fontSize, kDriveTextLift);
  a.topText(timerCount, a.box(0.7, 0.6, 1.0, 0.96), kDriveFont, fontSize, kDriveTextLift);
}

void K::drawDriveMode_SonyBracketWithFrame(const Rect& frame, double r, double g, double b, double fontSize,
                                           const QString& bracketBottomText, const QString& bracketTopText) {
  IconArt a(frame, r, g, b);
  if (!a.ok()) return;
  const platform::Path tag = a.polygon({{0.02, 0.56}, {0.46, 0.56}, {0.56, 0.76}, {0.46, 0.96}, {0.02, 0.96}});
  a.fill(IconArt::cutOut(tag, a.glyphs(QStringLiteral("BRK"), 0.06, 0.64, 0.44, 0.88)));
  a.topText(bracketTopText, a.box(0.56, 0.5, 1.0, 0.92), kDriveFont, fontSize, kDriveTextLift);
  a.topText(bracketBottomText, a.box(0.0, 0.0, 1.0, 0.46), kDriveFont, fontSize, kDriveTextLift);
}
