// The catalogue's rows for the browser, media and card icons, the level, sign and nudge icons, and the
// image-editing icons with the small toolbar marks.
#include "icons/interface/interface_icon_catalogue.h"
#include "icons/properties/vorlaxent_style_kit.h"

namespace icons {

using platform::Image;
using platform::Rect;
using platform::Size;
using K = VorlaxentStyleKit;

void appendBrowserAndEditingCases(std::vector<InterfaceIconCase>& out) {
  using Plain = void (*)(const Rect&);
  using PlainImage = Image (*)(const Size&);
  const std::pair<const char*, std::pair<Plain, PlainImage>> plain[] = {
      {"ShareWithText", {K::drawShareWithTextWithFrame, K::imageOfShareWithTextWithSize}},
      {"WhiteTrash", {K::drawWhiteTrashWithFrame, K::imageOfWhiteTrashWithSize}},
      {"Compare", {K::drawCompareWithFrame, K::imageOfCompareWithSize}},
      {"Edit", {K::drawEditWithFrame, K::imageOfEditWithSize}},
      {"Play", {K::drawPlayWithFrame, K::imageOfPlayWithSize}},
      {"Pause", {K::drawPauseWithFrame, K::imageOfPauseWithSize}},
      {"Circle", {K::drawCircleWithFrame, K::imageOfCircleWithSize}},
      {"MovieIcon", {K::drawMovieIconWithFrame, K::imageOfMovieIconWithSize}},
      {"Camera", {K::drawCameraWithFrame, K::imageOfCameraWithSize}},
      {"SDCard_NoMargin", {K::drawSDCard_NoMarginWithFrame, K::imageOfSDCard_NoMarginWithSize}},
      {"AdjustExposure", {K::drawAdjustExposureWithFrame, K::imageOfAdjustExposureWithSize}},
      {"ContrastIcon", {K::drawContrastIconWithFrame, K::imageOfContrastIconWithSize}},
      {"Expand", {K::drawExpandWithFrame, K::imageOfExpandWithSize}},
      {"Shrink", {K::drawShrinkWithFrame, K::imageOfShrinkWithSize}},
      {"ElectronicLevel", {K::drawElectronicLevelWithFrame, K::imageOfElectronicLevelWithSize}},
      {"Key", {K::drawKeyWithFrame, K::imageOfKeyWithSize}},
      {"Folder", {K::drawFolderWithFrame, K::imageOfFolderWithSize}},
      {"FiveStar", {K::drawFiveStarWithFrame, K::imageOfFiveStarWithSize}},
      // The memory-card button has no image of its own.
      {"SdCardButton", {K::drawSdCardButtonWithFrame, nullptr}},
      {"Plus", {K::drawPlusWithFrame, K::imageOfPlusWithSize}},
      {"Minus", {K::drawMinusWithFrame, K::imageOfMinusWithSize}},
      {"WhiteArrowUp", {K::drawWhiteArrowUpWithFrame, K::imageOfWhiteArrowUpWithSize}},
      {"WhiteArrowDown", {K::drawWhiteArrowDownWithFrame, K::imageOfWhiteArrowDownWithSize}},
      {"WhiteArrowLeft", {K::drawWhiteArrowLeftWithFrame, K::imageOfWhiteArrowLeftWithSize}},
      {"WhiteArrowRight", {K::drawWhiteArrowRightWithFrame, K::imageOfWhiteArrowRightWithSize}},
      {"UnknownThumbnail", {K::drawUnknownThumbnailWithFrame, K::imageOfUnknownThumbnailWithSize}},
      {"RotateIcon", {K::drawRotateIconWithFrame, K::imageOfRotateIconWithSize}},
      {"UndoIcon", {K::drawUndoIconWithFrame, K::imageOfUndoIconWithSize}},
      {"ToneCurve", {K::drawToneCurveWithFrame, K::imageOfToneCurveWithSize}},
      {"Adjust", {K::drawAdjustWithFrame, K::imageOfAdjustWithSize}},
      {"Resize", {K::drawResizeWithFrame, K::imageOfResizeWithSize}},
      {"CropRotate", {K::drawCropRotateWithFrame, K::imageOfCropRotateWithSize}},
      {"AspectRatio", {K::drawAspectRatioWithFrame, K::imageOfAspectRatioWithSize}},
      {"ExposurePresets", {K::drawExposurePresetsWithFrame, K::imageOfExposurePresetsWithSize}},
      {"BulbRamp", {K::drawBulbRampWithFrame, K::imageOfBulbRampWithSize}},
      {"Barcode", {K::drawBarcodeWithFrame, K::imageOfBarcodeWithSize}},
      {"Reset", {K::drawResetWithFrame, K::imageOfResetWithSize}},
      {"Sharpen", {K::drawSharpenWithFrame, K::imageOfSharpenWithSize}},
      {"Vibrance", {K::drawVibranceWithFrame, K::imageOfVibranceWithSize}},
      {"WhiteBalance", {K::drawWhiteBalanceWithFrame, K::imageOfWhiteBalanceWithSize}},
      {"ContextStar", {K::drawContextStarWithFrame, K::imageOfContextStarWithSize}},
      {"SdCardWhite", {K::drawSdCardWhiteWithFrame, K::imageOfSdCardWhiteWithSize}},
      {"DownloadWhite", {K::drawDownloadWhiteWithFrame, K::imageOfDownloadWhiteWithSize}},
  };
  for (const auto& [name, ops] : plain) {
    const auto [draw, image] = ops;
    out.push_back({name, [draw = draw](const Rect& f) { draw(f); },
                   image ? std::function<Image(const Size&)>([image = image](const Size& s) { return image(s); })
                         : nullptr});
  }
  using Flagged = void (*)(const Rect&, bool);
  using FlaggedImage = Image (*)(const Size&, bool);
  const std::tuple<const char*, const char*, Flagged, FlaggedImage> flagged[] = {
      {"Share", "on", K::drawShareWithFrame, K::imageOfShareWithSize},
      {"Brightness", "highlighted", K::drawBrightnessWithFrame, K::imageOfBrightnessWithSize},
      {"Contrast", "highlighted", K::drawContrastWithFrame, K::imageOfContrastWithSize},
      {"More", "highlighted", K::drawMoreWithFrame, K::imageOfMoreWithSize},
  };
  for (const auto& [name, flag, draw, image] : flagged)
    for (bool on : {false, true})
      out.push_back({std::string(name) + "/" + flag + (on ? "1" : "0"), [draw = draw, on](const Rect& f) { draw(f, on); },
                     [image = image, on](const Size& s) { return image(s, on); }});
}

}  // namespace icons
