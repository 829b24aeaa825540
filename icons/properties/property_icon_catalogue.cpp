// Every icon of the property kit by stem, with its signature and uniform calls of its draw and image
// operations, one line per icon of the kit's declarations.
#include "icons/properties/property_icon_catalogue.h"

#include "icons/properties/vorlaxent_properties_style_kit.h"

namespace icons {

using platform::Image;
using platform::Rect;
using platform::Size;
using K = VorlaxentPropertiesStyleKit;

const std::vector<PropertyIconEntry>& propertyIconCatalogue() {
  static const std::vector<PropertyIconEntry> kIcons = {
      {"WhiteBalance_Auto", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_AutoWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_AutoWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"WhiteBalance_AutoW", IconSignature::B,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_AutoWWithFrame(f, p.r, p.g, p.showShadow, p.b, p.fontSize); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_AutoWWithSize(s, p.r, p.g, p.showShadow, p.b, p.fontSize); }},
      {"WhiteBalance_Cloudy", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_CloudyWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_CloudyWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"WhiteBalance_ColorTemperature", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_ColorTemperatureWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_ColorTemperatureWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"WhiteBalance_Custom", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_CustomWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_CustomWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"WhiteBalance_Daylight", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_DaylightWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_DaylightWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"WhiteBalance_Flash", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_FlashWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_FlashWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"WhiteBalance_Flourescent", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_FlourescentWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_FlourescentWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"WhiteBalance_Shade", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_ShadeWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_ShadeWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"WhiteBalance_Tungsten", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_TungstenWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_TungstenWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"WhiteBalance_FlourescentText", IconSignature::C,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_FlourescentTextWithFrame(f, p.r, p.g, p.showShadow, p.b, p.fontSize, p.text1); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_FlourescentTextWithSize(s, p.r, p.g, p.showShadow, p.b, p.fontSize, p.text1); }},
      {"WhiteBalance_AutoUnderwater", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_AutoUnderwaterWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_AutoUnderwaterWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"WhiteBalance_CustomText", IconSignature::C,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_CustomTextWithFrame(f, p.r, p.g, p.showShadow, p.b, p.fontSize, p.text1); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_CustomTextWithSize(s, p.r, p.g, p.showShadow, p.b, p.fontSize, p.text1); }},
      {"WhiteBalance_AutoNaturalLight", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_AutoNaturalLightWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_AutoNaturalLightWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"WhiteBalance_Preset", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawWhiteBalance_PresetWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfWhiteBalance_PresetWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"ImageFormat_Smooth", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawImageFormat_SmoothWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfImageFormat_SmoothWithSize(s, p.r, p.g, p.b); }},
      {"ImageFormat_Compressed", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawImageFormat_CompressedWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfImageFormat_CompressedWithSize(s, p.r, p.g, p.b); }},
      {"ImageFormat_RAW", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawImageFormat_RAWWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfImageFormat_RAWWithSize(s, p.r, p.g, p.b); }},
      {"ImageFormate_Fuji", IconSignature::H,
       [](const Rect& f, const IconParams& p) { K::drawImageFormate_FujiWithFrame(f, p.r, p.g, p.b, p.fontSize, p.text1); },
       [](const Size& s, const IconParams& p) { return K::imageOfImageFormate_FujiWithSize(s, p.r, p.g, p.b, p.fontSize, p.text1); }},
      {"DriveMode_Single", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_SingleWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_SingleWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_Continuous", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_ContinuousWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_ContinuousWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_ContinuousHighSpeed", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_ContinuousHighSpeedWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_ContinuousHighSpeedWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_ContinuousLowSpeed", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_ContinuousLowSpeedWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_ContinuousLowSpeedWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_ContinuousExtended", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_ContinuousExtendedWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_ContinuousExtendedWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_ContinuousHighPlus", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_ContinuousHighPlusWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_ContinuousHighPlusWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_ContinuousMedium", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_ContinuousMediumWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_ContinuousMediumWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_Continuous15", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_Continuous15WithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_Continuous15WithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_Continuous30", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_Continuous30WithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_Continuous30WithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_Continuous60", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_Continuous60WithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_Continuous60WithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_Continuous120", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_Continuous120WithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_Continuous120WithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_Quiet", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_QuietWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_QuietWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_QuietContinuous", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_QuietContinuousWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_QuietContinuousWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_Silent", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_SilentWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_SilentWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_SilentContinuous", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_SilentContinuousWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_SilentContinuousWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_SilentContinuousHigh", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_SilentContinuousHighWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_SilentContinuousHighWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_SilentContinuousLow", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_SilentContinuousLowWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_SilentContinuousLowWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_Timer", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_TimerWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_TimerWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_Timer2Sec", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_Timer2SecWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_Timer2SecWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_Remote", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_RemoteWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_RemoteWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_DelayRemote", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_DelayRemoteWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_DelayRemoteWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_Custom", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_CustomWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_CustomWithSize(s, p.r, p.g, p.b); }},
      {"DriveMode_TimerSeconds", IconSignature::E,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_TimerSecondsWithFrame(f, p.r, p.g, p.b, p.fontSize, p.text1); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_TimerSecondsWithSize(s, p.r, p.g, p.b, p.fontSize, p.text1); }},
      {"DriveMode_TimerSecondsCounter", IconSignature::F,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_TimerSecondsCounterWithFrame(f, p.r, p.g, p.b, p.fontSize, p.text1, p.text2); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_TimerSecondsCounterWithSize(s, p.r, p.g, p.b, p.fontSize, p.text1, p.text2); }},
      {"DriveMode_SonyBracket", IconSignature::G,
       [](const Rect& f, const IconParams& p) { K::drawDriveMode_SonyBracketWithFrame(f, p.r, p.g, p.b, p.fontSize, p.text1, p.text2); },
       [](const Size& s, const IconParams& p) { return K::imageOfDriveMode_SonyBracketWithSize(s, p.r, p.g, p.b, p.fontSize, p.text1, p.text2); }},
      {"MeteringMode_Evaluative", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawMeteringMode_EvaluativeWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfMeteringMode_EvaluativeWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"MeteringMode_MultiPattern", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawMeteringMode_MultiPatternWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfMeteringMode_MultiPatternWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"MeteringMode_CenterWeighted", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawMeteringMode_CenterWeightedWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfMeteringMode_CenterWeightedWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"MeteringMode_CenterWeighted_NIKON", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawMeteringMode_CenterWeighted_NIKONWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfMeteringMode_CenterWeighted_NIKONWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"MeteringMode_HighlightWeighted", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawMeteringMode_HighlightWeightedWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfMeteringMode_HighlightWeightedWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"MeteringMode_Partial", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawMeteringMode_PartialWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfMeteringMode_PartialWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"MeteringMode_Spot", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawMeteringMode_SpotWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfMeteringMode_SpotWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"MeteringMode_Spot_NIKON", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawMeteringMode_Spot_NIKONWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfMeteringMode_Spot_NIKONWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"Sony_MeteringMode_EntireScreenAverage", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawSony_MeteringMode_EntireScreenAverageWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_MeteringMode_EntireScreenAverageWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"Sony_MeteringMode_SpotStandard", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawSony_MeteringMode_SpotStandardWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_MeteringMode_SpotStandardWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"Sony_MeteringMode_SpotLarge", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawSony_MeteringMode_SpotLargeWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_MeteringMode_SpotLargeWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"Sony_MeteringMode_Highlight", IconSignature::A,
       [](const Rect& f, const IconParams& p) { K::drawSony_MeteringMode_HighlightWithFrame(f, p.r, p.g, p.showShadow, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_MeteringMode_HighlightWithSize(s, p.r, p.g, p.showShadow, p.b); }},
      {"Sony_FocusArea_Wide", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_WideWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_WideWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_Zone", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_ZoneWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_ZoneWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_Center", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_CenterWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_CenterWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_FlexibleSpotLarge", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_FlexibleSpotLargeWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_FlexibleSpotLargeWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_FlexibleSpotMedium", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_FlexibleSpotMediumWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_FlexibleSpotMediumWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_FlexibleSpotSmall", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_FlexibleSpotSmallWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_FlexibleSpotSmallWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_Tracking_ExpandFlexibleSpot", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_Tracking_ExpandFlexibleSpotWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_Tracking_ExpandFlexibleSpotWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_ExpandFlexibleSpot", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_ExpandFlexibleSpotWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_ExpandFlexibleSpotWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_Tracking_FlexibleSpotSmall", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_Tracking_FlexibleSpotSmallWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_Tracking_FlexibleSpotSmallWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_Tracking_FlexibleSpotMedium", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_Tracking_FlexibleSpotMediumWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_Tracking_FlexibleSpotMediumWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_Tracking_FlexibleSpotLarge", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_Tracking_FlexibleSpotLargeWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_Tracking_FlexibleSpotLargeWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_Tracking_Center", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_Tracking_CenterWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_Tracking_CenterWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_Tracking_Wide", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_Tracking_WideWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_Tracking_WideWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_Tracking_Zone", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_Tracking_ZoneWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_Tracking_ZoneWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_FlexibleSpotXSmall", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_FlexibleSpotXSmallWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_FlexibleSpotXSmallWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_FlexibleSpotXLarge", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_FlexibleSpotXLargeWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_FlexibleSpotXLargeWithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_Custom1", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_Custom1WithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_Custom1WithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_Custom2", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_Custom2WithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_Custom2WithSize(s, p.r, p.g, p.b); }},
      {"Sony_FocusArea_Custom3", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawSony_FocusArea_Custom3WithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfSony_FocusArea_Custom3WithSize(s, p.r, p.g, p.b); }},
      {"Nikon_MovieAfArea_Single", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawNikon_MovieAfArea_SingleWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfNikon_MovieAfArea_SingleWithSize(s, p.r, p.g, p.b); }},
      {"Nikon_MovieAfArea_Auto", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawNikon_MovieAfArea_AutoWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfNikon_MovieAfArea_AutoWithSize(s, p.r, p.g, p.b); }},
      {"Nikon_MovieAfArea_WideS", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawNikon_MovieAfArea_WideSWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfNikon_MovieAfArea_WideSWithSize(s, p.r, p.g, p.b); }},
      {"Nikon_MovieAfArea_WideL", IconSignature::D,
       [](const Rect& f, const IconParams& p) { K::drawNikon_MovieAfArea_WideLWithFrame(f, p.r, p.g, p.b); },
       [](const Size& s, const IconParams& p) { return K::imageOfNikon_MovieAfArea_WideLWithSize(s, p.r, p.g, p.b); }},
  };
  return kIcons;
}

IconParams samplePropertyIconParams(const PropertyIconEntry& entry, Size size, double r, double g, double b,
                                    bool showShadow) {
  IconParams p;
  p.r = r;
  p.g = g;
  p.b = b;
  p.showShadow = showShadow;
  const std::string_view stem = entry.stem;
  switch (entry.signature) {
    case IconSignature::B: p.fontSize = 0.15 * size.height; break;
    case IconSignature::C:
      p.fontSize = size.height / 3;
      p.text1 = stem == "WhiteBalance_CustomText" ? QStringLiteral("2") : QStringLiteral("+2");
      break;
    case IconSignature::E:
      p.fontSize = 0.25 * size.width;
      p.text1 = QStringLiteral("10s");
      break;
    case IconSignature::F:
      p.fontSize = 0.25 * size.width;
      p.text1 = QStringLiteral("5s");
      p.text2 = QStringLiteral("3");
      break;
    case IconSignature::G:
      p.fontSize = 0.25 * size.width;
      p.text1 = QStringLiteral("0.3EV 3");
      p.text2 = QStringLiteral("C");
      break;
    case IconSignature::H:
      p.fontSize = 0.2 * size.height;
      p.text1 = QStringLiteral("RAW+F");
      break;
    default: break;
  }
  return p;
}

const PropertyIconEntry* findPropertyIcon(std::string_view stem) {
  for (const PropertyIconEntry& e : propertyIconCatalogue())
    if (stem == e.stem) return &e;
  return nullptr;
}

}  // namespace icons
