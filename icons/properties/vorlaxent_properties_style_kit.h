#pragma once
// Vector icons for camera-property values: white balance, image-format badges, drive modes, metering, Sony focus
// areas, Nikon movie AF areas and a few text canvases. Each icon is a pair of class operations: drawXWithFrame
// fills the icon into a frame of the current canvas (y-up, every point a fraction of the frame) in the colour
// (r, g, b) at alpha 1; imageOfXWithSize returns a new image of that size whose drawing handler calls the draw
// operation with (0, 0, width, height) and the same arguments each time the image is drawn. Nothing is cached.
//
// Icons with `showShadow` draw every shape under one of two shadows: black at alpha 0.75, offset (1, -1), blur 0
// when the flag is set, and black at alpha 0, offset (3, -3), blur 5 (which casts nothing) when it is not.
// A text argument that is null stands for "no text".

#include <QString>

#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

// Declares the draw and image operations of one icon; the tail is the parameter list after the frame/size.
#define VX_PROPERTY_ICON(stem, params)                                        \
  static void draw##stem##WithFrame(const platform::Rect& frame, params);    \
  static platform::Image imageOf##stem##WithSize(const platform::Size& size, params);

#define VX_ICON_RGSB double r, double g, bool showShadow, double b
#define VX_ICON_RGB double r, double g, double b
#define VX_ICON_COMMA ,

class VorlaxentPropertiesStyleKit {
 public:
  // Nothing to set up: the kit keeps no state.
  static void initialize() {}

  // White balance.
  VX_PROPERTY_ICON(WhiteBalance_Auto, VX_ICON_RGSB)
  VX_PROPERTY_ICON(WhiteBalance_AutoW, VX_ICON_RGSB VX_ICON_COMMA double fontSize)
  VX_PROPERTY_ICON(WhiteBalance_Cloudy, VX_ICON_RGSB)
  VX_PROPERTY_ICON(WhiteBalance_ColorTemperature, VX_ICON_RGSB)
  VX_PROPERTY_ICON(WhiteBalance_Custom, VX_ICON_RGSB)
  VX_PROPERTY_ICON(WhiteBalance_Daylight, VX_ICON_RGSB)
  VX_PROPERTY_ICON(WhiteBalance_Flash, VX_ICON_RGSB)
  VX_PROPERTY_ICON(WhiteBalance_Flourescent, VX_ICON_RGSB)
  VX_PROPERTY_ICON(WhiteBalance_Shade, VX_ICON_RGSB)
  VX_PROPERTY_ICON(WhiteBalance_Tungsten, VX_ICON_RGSB)
  VX_PROPERTY_ICON(WhiteBalance_FlourescentText,
                   VX_ICON_RGSB VX_ICON_COMMA double fontSize VX_ICON_COMMA const QString& bracketTopText)
  VX_PROPERTY_ICON(WhiteBalance_AutoUnderwater, VX_ICON_RGSB)
  VX_PROPERTY_ICON(WhiteBalance_CustomText,
                   VX_ICON_RGSB VX_ICON_COMMA double fontSize VX_ICON_COMMA const QString& bracketTopText)
  VX_PROPERTY_ICON(WhiteBalance_AutoNaturalLight, VX_ICON_RGSB)
  VX_PROPERTY_ICON(WhiteBalance_Preset, VX_ICON_RGSB)

  // Image-format badges.
  VX_PROPERTY_ICON(ImageFormat_Smooth, VX_ICON_RGB)
  VX_PROPERTY_ICON(ImageFormat_Compressed, VX_ICON_RGB)
  VX_PROPERTY_ICON(ImageFormat_RAW, VX_ICON_RGB)
  VX_PROPERTY_ICON(ImageFormate_Fuji, VX_ICON_RGB VX_ICON_COMMA double fontSize VX_ICON_COMMA const QString& customText)

  // Drive modes.
  VX_PROPERTY_ICON(DriveMode_Single, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_Continuous, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_ContinuousHighSpeed, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_ContinuousLowSpeed, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_ContinuousExtended, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_ContinuousHighPlus, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_ContinuousMedium, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_Continuous15, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_Continuous30, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_Continuous60, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_Continuous120, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_Quiet, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_QuietContinuous, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_Silent, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_SilentContinuous, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_SilentContinuousHigh, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_SilentContinuousLow, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_Timer, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_Timer2Sec, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_Remote, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_DelayRemote, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_Custom, VX_ICON_RGB)
  VX_PROPERTY_ICON(DriveMode_TimerSeconds, VX_ICON_RGB VX_ICON_COMMA double fontSize VX_ICON_COMMA const QString& timerSeconds)
  VX_PROPERTY_ICON(DriveMode_TimerSecondsCounter,
                   VX_ICON_RGB VX_ICON_COMMA double fontSize VX_ICON_COMMA const QString& timerSeconds
                       VX_ICON_COMMA const QString& timerCount)
  VX_PROPERTY_ICON(DriveMode_SonyBracket,
                   VX_ICON_RGB VX_ICON_COMMA double fontSize VX_ICON_COMMA const QString& bracketBottomText
                       VX_ICON_COMMA const QString& bracketTopText)

  // Metering.
  VX_PROPERTY_ICON(MeteringMode_Evaluative, VX_ICON_RGSB)
  VX_PROPERTY_ICON(MeteringMode_MultiPattern, VX_ICON_RGSB)
  VX_PROPERTY_ICON(MeteringMode_CenterWeighted, VX_ICON_RGSB)
  VX_PROPERTY_ICON(MeteringMode_CenterWeighted_NIKON, VX_ICON_RGSB)
  VX_PROPERTY_ICON(MeteringMode_HighlightWeighted, VX_ICON_RGSB)
  VX_PROPERTY_ICON(MeteringMode_Partial, VX_ICON_RGSB)
  VX_PROPERTY_ICON(MeteringMode_Spot, VX_ICON_RGSB)
  VX_PROPERTY_ICON(MeteringMode_Spot_NIKON, VX_ICON_RGSB)
  VX_PROPERTY_ICON(Sony_MeteringMode_EntireScreenAverage, VX_ICON_RGSB)
  VX_PROPERTY_ICON(Sony_MeteringMode_SpotStandard, VX_ICON_RGSB)
  VX_PROPERTY_ICON(Sony_MeteringMode_SpotLarge, VX_ICON_RGSB)
  VX_PROPERTY_ICON(Sony_MeteringMode_Highlight, VX_ICON_RGSB)

  // Sony focus areas.
  VX_PROPERTY_ICON(Sony_FocusArea_Wide, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_Zone, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_Center, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_FlexibleSpotLarge, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_FlexibleSpotMedium, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_FlexibleSpotSmall, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_Tracking_ExpandFlexibleSpot, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_ExpandFlexibleSpot, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_Tracking_FlexibleSpotSmall, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_Tracking_FlexibleSpotMedium, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_Tracking_FlexibleSpotLarge, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_Tracking_Center, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_Tracking_Wide, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_Tracking_Zone, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_FlexibleSpotXSmall, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_FlexibleSpotXLarge, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_Custom1, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_Custom2, VX_ICON_RGB)
  VX_PROPERTY_ICON(Sony_FocusArea_Custom3, VX_ICON_RGB)

  // Nikon movie AF areas.
  VX_PROPERTY_ICON(Nikon_MovieAfArea_Single, VX_ICON_RGB)
  VX_PROPERTY_ICON(Nikon_MovieAfArea_Auto, VX_ICON_RGB)
  VX_PROPERTY_ICON(Nikon_MovieAfArea_WideS, VX_ICON_RGB)
  VX_PROPERTY_ICON(Nikon_MovieAfArea_WideL, VX_ICON_RGB)

  // Canvases: the 240 x 120 design canvas and its resizable form (which only set up the mapping), a dial with
  // the number "10", and a caller's text centred in a frame.
  static void drawCanvas1();
  static void drawCanvas1WithFrame(const platform::Rect& targetFrame, int resizing);
  static void drawCanvas2WithFrame(const platform::Rect& frame, double r, double g, double b, double fontSize);
  static void drawCustomStringWithFrame(const platform::Rect& frame, double r, double g, double b, double fontSize,
                                        const QString& customText);
};

// Maps a design rectangle into a target: 0 aspect fit, 1 aspect fill, 2 stretch, 3 centre (any other value
// stretches). The result is centred in the target. A target equal to the design or the zero rectangle gives
// the design unchanged; a design of zero width or height (nothing to scale) gives the target unchanged.
platform::Rect resizingTargetRect(const platform::Rect& design, const platform::Rect& target, int resizing);
