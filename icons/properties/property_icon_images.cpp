// The image operations of the property kit: each returns a new image whose drawing handler calls the draw
// operation of the same stem with (0, 0, width, height) and the captured arguments (numbers by value, texts by
// reference-counted copy), every time the image is drawn. All follow one pattern per signature.
#include "icons/properties/vorlaxent_properties_style_kit.h"

using platform::Image;
using platform::Rect;
using platform::Size;
using K = VorlaxentPropertiesStyleKit;

Image K::imageOfWhiteBalance_AutoWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_AutoWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfWhiteBalance_AutoWWithSize(const Size& size, double r, double g, bool showShadow, double b, double fontSize) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_AutoWWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b, fontSize);
    return true;
  });
}

Image K::imageOfWhiteBalance_CloudyWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_CloudyWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfWhiteBalance_ColorTemperatureWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_ColorTemperatureWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfWhiteBalance_CustomWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_CustomWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfWhiteBalance_DaylightWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_DaylightWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfWhiteBalance_FlashWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_FlashWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfWhiteBalance_FlourescentWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_FlourescentWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfWhiteBalance_ShadeWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_ShadeWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfWhiteBalance_TungstenWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_TungstenWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfWhiteBalance_FlourescentTextWithSize(const Size& size, double r, double g, bool showShadow, double b, double fontSize, const QString& bracketTopText) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_FlourescentTextWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b, fontSize, bracketTopText);
    return true;
  });
}

Image K::imageOfWhiteBalance_AutoUnderwaterWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_AutoUnderwaterWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfWhiteBalance_CustomTextWithSize(const Size& size, double r, double g, bool showShadow, double b, double fontSize, const QString& bracketTopText) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_CustomTextWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b, fontSize, bracketTopText);
    return true;
  });
}

Image K::imageOfWhiteBalance_AutoNaturalLightWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_AutoNaturalLightWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfWhiteBalance_PresetWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawWhiteBalance_PresetWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfImageFormat_SmoothWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawImageFormat_SmoothWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfImageFormat_CompressedWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawImageFormat_CompressedWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfImageFormat_RAWWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawImageFormat_RAWWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfImageFormate_FujiWithSize(const Size& size, double r, double g, double b, double fontSize, const QString& customText) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawImageFormate_FujiWithFrame(Rect(0, 0, size.width, size.height), r, g, b, fontSize, customText);
    return true;
  });
}

Image K::imageOfDriveMode_SingleWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_SingleWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_ContinuousWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_ContinuousWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_ContinuousHighSpeedWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_ContinuousHighSpeedWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_ContinuousLowSpeedWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_ContinuousLowSpeedWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_ContinuousExtendedWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_ContinuousExtendedWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_ContinuousHighPlusWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_ContinuousHighPlusWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_ContinuousMediumWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_ContinuousMediumWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_Continuous15WithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_Continuous15WithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_Continuous30WithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_Continuous30WithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_Continuous60WithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_Continuous60WithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_Continuous120WithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_Continuous120WithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_QuietWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_QuietWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_QuietContinuousWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_QuietContinuousWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_SilentWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_SilentWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_SilentContinuousWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_SilentContinuousWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_SilentContinuousHighWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_SilentContinuousHighWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_SilentContinuousLowWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_SilentContinuousLowWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_TimerWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_TimerWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_Timer2SecWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_Timer2SecWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_RemoteWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_RemoteWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_DelayRemoteWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_DelayRemoteWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_CustomWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_CustomWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfDriveMode_TimerSecondsWithSize(const Size& size, double r, double g, double b, double fontSize, const QString& timerSeconds) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_TimerSecondsWithFrame(Rect(0, 0, size.width, size.height), r, g, b, fontSize, timerSeconds);
    return true;
  });
}

Image K::imageOfDriveMode_TimerSecondsCounterWithSize(const Size& size, double r, double g, double b, double fontSize, const QString& timerSeconds, const QString& timerCount) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_TimerSecondsCounterWithFrame(Rect(0, 0, size.width, size.height), r, g, b, fontSize, timerSeconds, timerCount);
    return true;
  });
}

Image K::imageOfDriveMode_SonyBracketWithSize(const Size& size, double r, double g, double b, double fontSize, const QString& bracketBottomText, const QString& bracketTopText) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawDriveMode_SonyBracketWithFrame(Rect(0, 0, size.width, size.height), r, g, b, fontSize, bracketBottomText, bracketTopText);
    return true;
  });
}

Image K::imageOfMeteringMode_EvaluativeWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawMeteringMode_EvaluativeWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfMeteringMode_MultiPatternWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawMeteringMode_MultiPatternWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfMeteringMode_CenterWeightedWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawMeteringMode_CenterWeightedWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfMeteringMode_CenterWeighted_NIKONWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawMeteringMode_CenterWeighted_NIKONWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfMeteringMode_HighlightWeightedWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawMeteringMode_HighlightWeightedWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfMeteringMode_PartialWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawMeteringMode_PartialWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfMeteringMode_SpotWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawMeteringMode_SpotWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfMeteringMode_Spot_NIKONWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawMeteringMode_Spot_NIKONWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfSony_MeteringMode_EntireScreenAverageWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_MeteringMode_EntireScreenAverageWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfSony_MeteringMode_SpotStandardWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_MeteringMode_SpotStandardWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfSony_MeteringMode_SpotLargeWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_MeteringMode_SpotLargeWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfSony_MeteringMode_HighlightWithSize(const Size& size, double r, double g, bool showShadow, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_MeteringMode_HighlightWithFrame(Rect(0, 0, size.width, size.height), r, g, showShadow, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_WideWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_WideWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_ZoneWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_ZoneWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_CenterWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_CenterWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_FlexibleSpotLargeWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_FlexibleSpotLargeWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_FlexibleSpotMediumWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_FlexibleSpotMediumWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_FlexibleSpotSmallWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_FlexibleSpotSmallWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_Tracking_ExpandFlexibleSpotWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_Tracking_ExpandFlexibleSpotWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_ExpandFlexibleSpotWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_ExpandFlexibleSpotWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_Tracking_FlexibleSpotSmallWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_Tracking_FlexibleSpotSmallWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_Tracking_FlexibleSpotMediumWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_Tracking_FlexibleSpotMediumWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_Tracking_FlexibleSpotLargeWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_Tracking_FlexibleSpotLargeWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_Tracking_CenterWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_Tracking_CenterWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_Tracking_WideWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_Tracking_WideWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_Tracking_ZoneWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_Tracking_ZoneWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_FlexibleSpotXSmallWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_FlexibleSpotXSmallWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_FlexibleSpotXLargeWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_FlexibleSpotXLargeWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_Custom1WithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_Custom1WithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_Custom2WithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_Custom2WithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfSony_FocusArea_Custom3WithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawSony_FocusArea_Custom3WithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfNikon_MovieAfArea_SingleWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawNikon_MovieAfArea_SingleWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfNikon_MovieAfArea_AutoWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawNikon_MovieAfArea_AutoWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfNikon_MovieAfArea_WideSWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawNikon_MovieAfArea_WideSWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}

Image K::imageOfNikon_MovieAfArea_WideLWithSize(const Size& size, double r, double g, double b) {
  return Image::withSize(size, [=](platform::Canvas&, const Rect&) {
    drawNikon_MovieAfArea_WideLWithFrame(Rect(0, 0, size.width, size.height), r, g, b);
    return true;
  });
}
