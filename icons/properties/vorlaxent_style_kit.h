#pragma once
// The interface kit's class. The property kit adds two groups of class operations to it: the image-format
// buttons (JPEG, RAW, RAW plus JPEG, composed of the quality badges and the size letters) and the mapping from a
// camera property and one of its values to the image or text that a property button or picker shows.

#include <QString>
#include <cstdint>

#include "icons/properties/property_visual.h"
#include "platform/graphics/geometry.h"
#include "platform/graphics/image.h"

struct PropertyStruct;

class VorlaxentStyleKit {
 public:
  // Image-format buttons. Colour: highlighted gives (0, 0.5, 1), else enabled white, else grey 0.7; highlighting
  // wins over disabling. Letters in ArialMT at half the frame's height. A null size text means none.
  // Compression 0 puts the compressed badge before the letters, 2 the smooth badge, 1 no badge (letters centred);
  // any other value leaves the badge's space empty.
  static void drawImageFormat_JpegWithFrame(const platform::Rect& frame, const QString& size, unsigned compression,
                                            bool buttonHighlighted, bool buttonEnabled);
  static void drawImageFormat_RawWithFrame(const platform::Rect& frame, const QString& size, bool buttonHighlighted,
                                           bool buttonEnabled);
  static void drawImageFormat_RawPlusJpegWithFrame(const platform::Rect& frame, const QString& jpegSize,
                                                   unsigned jpegCompression, const QString& rawSize,
                                                   bool buttonHighlighted, bool buttonEnabled);
  // Each returns a new image of the frame's size whose handler draws the button with the same frame.
  static platform::Image imageOfImageFormat_JpegWithFrame(const platform::Rect& frame, const QString& size,
                                                          unsigned compression, bool buttonHighlighted,
                                                          bool buttonEnabled);
  static platform::Image imageOfImageFormat_RawWithFrame(const platform::Rect& frame, const QString& size,
                                                         bool buttonHighlighted, bool buttonEnabled);
  static platform::Image imageOfImageFormat_RawPlusJpegWithFrame(const platform::Rect& frame,
                                                                 const QString& jpegSize, unsigned jpegCompression,
                                                                 const QString& rawSize, bool buttonHighlighted,
                                                                 bool buttonEnabled);

  // The mapping. Reads the record's code and display name only; a missing record shows nothing.
  static icons::PropertyVisual visualForProperty(const PropertyStruct* property, uint32_t value, platform::Size size,
                                                 bool isHighlighted, bool isDisabled);
  // The per-property selectors (the EXIF panel calls the first two directly).
  static icons::PropertyVisual imageOfWhiteBalance_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                            bool isHighlighted, bool isDisabled, bool withShadow);
  static icons::PropertyVisual imageOfMeteringMode_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                            bool isHighlighted, bool isDisabled, bool withShadow);
  static icons::PropertyVisual imageOfSonyDriveMode_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                             bool isDisabled, bool isHighlighted);
  static icons::PropertyVisual imageOfDriveMode_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                         bool isDisabled, bool isHighlighted);
  static icons::PropertyVisual imageOfImageFormat_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                           bool isHighlighted);
  static icons::PropertyVisual imageOfFocusArea_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                         bool isHighlighted);
  static icons::PropertyVisual imageOfMovieAfAreaMode_WithSize(platform::Size size, uint32_t code, uint32_t value,
                                                               bool isDisabled, bool isHighlighted);
  // ---- Interface kit: buttons, toggles, the tripod joystick, the zoom bars and small marks. Each draws into a
  // frame of the current canvas (y up, in points) and draws nothing for an empty frame or without a canvas. ----
  static void drawXButtonWithFrame(const platform::Rect& frame);
  static void drawCheckButtonWithFrame(const platform::Rect& frame);
  // `selectedArrow`: 1 up, 2 down, 4 left, 8 right, their sums for the diagonals; that arrow is drawn red.
  static void drawTripodJoystickWithFrame(const platform::Rect& frame, double selectedArrow);
  // The zoom bar drawn from its 200 x 40 design rectangle, into that rectangle or into a frame with a resizing
  // behaviour (0 aspect fit, 1 aspect fill, 3 centre, anything else stretch).
  static void drawZoomBarWithZoomBarPercentage(double zoomBarPercentage, double zoomBarWidth);
  static void drawZoomBarWithFrame(const platform::Rect& frame, int resizing, double zoomBarPercentage,
                                   double zoomBarWidth);
  static void drawDefaultButtonWithFrame(const platform::Rect& frame, bool buttonHighlighted, bool buttonEnabled);
  static void drawCaptureButtonWithFrame(const platform::Rect& frame, bool buttonHighlighted, bool buttonEnabled);
  static void drawLiveViewTogglePushButtonWithFrame(const platform::Rect& frame, bool toggleButtonEnabled,
                                                    bool toggleButtonOn);
  static void drawStarIconWithFrame(const platform::Rect& frame, bool ratingHighlighted);
  static void drawYellowStarIconWithFrame(const platform::Rect& frame, bool ratingHighlighted);
  static void drawGearWithFrame(const platform::Rect& frame);
  // The marker is drawn at (zoomBarAbsolutePosition, 20), 8 x 40, in the canvas's own coordinates.
  static void drawZoomBar2WithFrame(const platform::Rect& frame, double zoomBarAbsolutePosition);
  static void drawVideoTogglePushButtonWithFrame(const platform::Rect& frame, bool toggleButtonEnabled,
                                                 bool toggleButtonOn, bool outlineVisible);
  static void drawAFTogglePushButtonWithFrame(const platform::Rect& frame, bool toggleButtonEnabled,
                                              bool toggleButtonOn, bool toggleAfOn);

  // Their images: each a new image of the size whose handler draws the icon into (0, 0, size).
  static platform::Image imageOfXButtonWithSize(const platform::Size& size);
  static platform::Image imageOfCheckButtonWithSize(const platform::Size& size);
  static platform::Image imageOfTripodJoystickWithSize(const platform::Size& size, double selectedArrow);
  static platform::Image imageOfZoomBarWithZoomBarPercentage(double zoomBarPercentage, double zoomBarWidth);
  static platform::Image imageOfZoomBarWithSize(const platform::Size& size, int resizing, double zoomBarPercentage,
                                                double zoomBarWidth);
  static platform::Image imageOfDefaultButtonWithSize(const platform::Size& size, bool buttonHighlighted,
                                                      bool buttonEnabled);
  static platform::Image imageOfCaptureButtonWithSize(const platform::Size& size, bool buttonHighlighted,
                                                      bool buttonEnabled);
  static platform::Image imageOfLiveViewTogglePushButtonWithSize(const platform::Size& size, bool toggleButtonEnabled,
                                                                 bool toggleButtonOn);
  static platform::Image imageOfStarIconWithSize(const platform::Size& size, bool ratingHighlighted);
  static platform::Image imageOfYellowStarIconWithSize(const platform::Size& size, bool ratingHighlighted);
  static platform::Image imageOfGearWithSize(const platform::Size& size);
  static platform::Image imageOfZoomBar2WithSize(const platform::Size& size, double zoomBarAbsolutePosition);
  static platform::Image imageOfVideoTogglePushButtonWithSize(const platform::Size& size, bool toggleButtonEnabled,
                                                              bool toggleButtonOn, bool outlineVisible);
  static platform::Image imageOfAFTogglePushButtonWithSize(const platform::Size& size, bool toggleButtonEnabled,
                                                           bool toggleButtonOn, bool toggleAfOn);
  // ---- Interface kit: status and automation icons. ----
  // The level is 7/120 of the frame in from the left, 31/120 up, 55/120 high and percentage/120 of the frame
  // long (not clamped); red at 25 % or less, else grey. A level that is not a finite number draws no bar.
  static void drawBatteryWithFrame(const platform::Rect& frame, double batteryPercentage, bool isCharging);
  // Draws into the fixed 666 x 172 design rectangle of the canvas.
  static void drawCarouselBackgroundWithExposureBracket(double exposureBracket, double numNegativeBrackets,
                                                        double numPositiveBrackets);
  static void drawFocusStackWithFrame(const platform::Rect& frame, bool buttonHighlighted);
  static void drawTimerWithFrame(const platform::Rect& frame, bool buttonHighlighted);
  static void drawHDRWithFrame(const platform::Rect& frame, bool buttonHighlighted);
  static platform::Image imageOfBatteryWithSize(const platform::Size& size, double batteryPercentage, bool isCharging);
  // 666 x 172 points.
  static platform::Image imageOfCarouselBackgroundWithExposureBracket(double exposureBracket,
                                                                      double numNegativeBrackets,
                                                                      double numPositiveBrackets);
  static platform::Image imageOfFocusStackWithSize(const platform::Size& size, bool buttonHighlighted);
  static platform::Image imageOfTimerWithSize(const platform::Size& size, bool buttonHighlighted);
  static platform::Image imageOfHDRWithSize(const platform::Size& size, bool buttonHighlighted);
  // ---- Interface kit: arrows, marks and badges. Three-state arrows: highlighted blue (0, 0.353, 0.863) at alpha
  // 0.784 (highlighting wins), else grey 0.784 when enabled, grey 0.392 when not. ----
  static void drawFocusArrowUpWithFrame(const platform::Rect& frame, bool buttonHighlighted, bool buttonEnabled);
  static void drawFocusArrowDownWithFrame(const platform::Rect& frame, bool buttonHighlighted, bool buttonEnabled);
  static void drawArrowLeftWithFrame(const platform::Rect& frame, bool buttonHighlighted, bool buttonEnabled);
  static void drawArrowRightWithFrame(const platform::Rect& frame, bool buttonHighlighted, bool buttonEnabled);
  static void drawHistogramWithFrame(const platform::Rect& frame, bool buttonHighlighted);
  static void drawSDCardWithFrame(const platform::Rect& frame);
  static void drawArrowsOutWithFrame(const platform::Rect& frame, bool buttonHighlighted, bool buttonEnabled);
  static void drawArrowsInWithFrame(const platform::Rect& frame, bool buttonHighlighted, bool buttonEnabled);
  static void drawCheckMarkWithFrame(const platform::Rect& frame);
  static void drawXMarkWithFrame(const platform::Rect& frame);
  static void drawArrowsPointingOutWithFrame(const platform::Rect& frame);
  static void drawRawWithFrame(const platform::Rect& frame, double fontSize);
  static void drawTiffWithFrame(const platform::Rect& frame, double fontSize);
  static void drawDatabaseWithFrame(const platform::Rect& frame);
  static platform::Image imageOfFocusArrowUpWithSize(const platform::Size& size, bool buttonHighlighted, bool buttonEnabled);
  static platform::Image imageOfFocusArrowDownWithSize(const platform::Size& size, bool buttonHighlighted, bool buttonEnabled);
  static platform::Image imageOfArrowLeftWithSize(const platform::Size& size, bool buttonHighlighted, bool buttonEnabled);
  static platform::Image imageOfArrowRightWithSize(const platform::Size& size, bool buttonHighlighted, bool buttonEnabled);
  static platform::Image imageOfHistogramWithSize(const platform::Size& size, bool buttonHighlighted);
  static platform::Image imageOfSDCardWithSize(const platform::Size& size);
  static platform::Image imageOfArrowsOutWithSize(const platform::Size& size, bool buttonHighlighted, bool buttonEnabled);
  static platform::Image imageOfArrowsInWithSize(const platform::Size& size, bool buttonHighlighted, bool buttonEnabled);
  static platform::Image imageOfCheckMarkWithSize(const platform::Size& size);
  static platform::Image imageOfXMarkWithSize(const platform::Size& size);
  static platform::Image imageOfArrowsPointingOutWithSize(const platform::Size& size);
  static platform::Image imageOfRawWithSize(const platform::Size& size, double fontSize);
  static platform::Image imageOfTiffWithSize(const platform::Size& size, double fontSize);
  static platform::Image imageOfDatabaseWithSize(const platform::Size& size);
  // ---- Interface kit: the small marks of the button group, drawn white (the live-view mark light grey when
  // off). ----
  static void drawSelectImageWithFrame(const platform::Rect& frame);
  static void drawZoomFartherWithFrame(const platform::Rect& frame);
  static void drawZoomCloserWithFrame(const platform::Rect& frame);
  static void drawPlayCircleWithFrame(const platform::Rect& frame);
  static void drawLiveViewIconWithFrame(const platform::Rect& frame, bool toggleButtonOn);
  static platform::Image imageOfSelectImageWithSize(const platform::Size& size);
  static platform::Image imageOfZoomFartherWithSize(const platform::Size& size);
  static platform::Image imageOfZoomCloserWithSize(const platform::Size& size);
  static platform::Image imageOfPlayCircleWithSize(const platform::Size& size);
  static platform::Image imageOfLiveViewIconWithSize(const platform::Size& size, bool toggleButtonOn);
  // ---- Interface kit: browser, media and memory-card icons. ----
  static void drawShareWithFrame(const platform::Rect& frame, bool toggleButtonOn);  // white when on, else grey
  static void drawShareWithTextWithFrame(const platform::Rect& frame);
  static void drawWhiteTrashWithFrame(const platform::Rect& frame);
  static void drawCompareWithFrame(const platform::Rect& frame);
  static void drawEditWithFrame(const platform::Rect& frame);
  static void drawPlayWithFrame(const platform::Rect& frame);
  static void drawPauseWithFrame(const platform::Rect& frame);
  static void drawCircleWithFrame(const platform::Rect& frame);
  // A blue badge of whole points with corners of 2 points, whatever its size.
  static void drawMovieIconWithFrame(const platform::Rect& frame);
  static void drawCameraWithFrame(const platform::Rect& frame);
  static void drawSDCard_NoMarginWithFrame(const platform::Rect& frame);
  static void drawAdjustExposureWithFrame(const platform::Rect& frame);
  static void drawContrastIconWithFrame(const platform::Rect& frame);
  // Draws nothing.
  static void drawBlank();
  static void drawExpandWithFrame(const platform::Rect& frame);
  static void drawShrinkWithFrame(const platform::Rect& frame);
  static platform::Image imageOfShareWithSize(const platform::Size& size, bool toggleButtonOn);
  static platform::Image imageOfShareWithTextWithSize(const platform::Size& size);
  static platform::Image imageOfWhiteTrashWithSize(const platform::Size& size);
  static platform::Image imageOfCompareWithSize(const platform::Size& size);
  static platform::Image imageOfEditWithSize(const platform::Size& size);
  static platform::Image imageOfPlayWithSize(const platform::Size& size);
  static platform::Image imageOfPauseWithSize(const platform::Size& size);
  static platform::Image imageOfCircleWithSize(const platform::Size& size);
  static platform::Image imageOfMovieIconWithSize(const platform::Size& size);
  static platform::Image imageOfCameraWithSize(const platform::Size& size);
  static platform::Image imageOfSDCard_NoMarginWithSize(const platform::Size& size);
  static platform::Image imageOfAdjustExposureWithSize(const platform::Size& size);
  static platform::Image imageOfContrastIconWithSize(const platform::Size& size);
  // The kit's one blank image of 5 x 5 points, made on the first call; every call returns that same image.
  static const platform::Image& imageOfBlank();
  static platform::Image imageOfExpandWithSize(const platform::Size& size);
  static platform::Image imageOfShrinkWithSize(const platform::Size& size);
  // ---- Interface kit: the level dial, key, folder, rating badge, memory-card button, signs, nudge arrows and
  // the missing thumbnail. ----
  static void drawElectronicLevelWithFrame(const platform::Rect& frame);
  static void drawKeyWithFrame(const platform::Rect& frame);
  static void drawFolderWithFrame(const platform::Rect& frame);
  static void drawFiveStarWithFrame(const platform::Rect& frame);
  // A white button of whole points with corners of 9 points and the memory card on it.
  static void drawSdCardButtonWithFrame(const platform::Rect& frame);
  static void drawPlusWithFrame(const platform::Rect& frame);
  static void drawMinusWithFrame(const platform::Rect& frame);
  static void drawWhiteArrowUpWithFrame(const platform::Rect& frame);
  static void drawWhiteArrowDownWithFrame(const platform::Rect& frame);
  static void drawWhiteArrowLeftWithFrame(const platform::Rect& frame);
  static void drawWhiteArrowRightWithFrame(const platform::Rect& frame);
  static void drawUnknownThumbnailWithFrame(const platform::Rect& frame);
  static platform::Image imageOfElectronicLevelWithSize(const platform::Size& size);
  static platform::Image imageOfKeyWithSize(const platform::Size& size);
  static platform::Image imageOfFolderWithSize(const platform::Size& size);
  static platform::Image imageOfFiveStarWithSize(const platform::Size& size);
  static platform::Image imageOfPlusWithSize(const platform::Size& size);
  static platform::Image imageOfMinusWithSize(const platform::Size& size);
  static platform::Image imageOfWhiteArrowUpWithSize(const platform::Size& size);
  static platform::Image imageOfWhiteArrowDownWithSize(const platform::Size& size);
  static platform::Image imageOfWhiteArrowLeftWithSize(const platform::Size& size);
  static platform::Image imageOfWhiteArrowRightWithSize(const platform::Size& size);
  static platform::Image imageOfUnknownThumbnailWithSize(const platform::Size& size);
  // ---- Interface kit: image-editing icons and the small white toolbar marks. Highlighting gives Brightness and
  // Contrast a white glow and fills More's dots blue. ----
  static void drawBrightnessWithFrame(const platform::Rect& frame, bool buttonHighlighted);
  static void drawRotateIconWithFrame(const platform::Rect& frame);
  static void drawUndoIconWithFrame(const platform::Rect& frame);
  static void drawToneCurveWithFrame(const platform::Rect& frame);
  static void drawAdjustWithFrame(const platform::Rect& frame);
  static void drawResizeWithFrame(const platform::Rect& frame);
  static void drawCropRotateWithFrame(const platform::Rect& frame);
  static void drawAspectRatioWithFrame(const platform::Rect& frame);
  static void drawExposurePresetsWithFrame(const platform::Rect& frame);
  static void drawBulbRampWithFrame(const platform::Rect& frame);
  static void drawBarcodeWithFrame(const platform::Rect& frame);
  static void drawResetWithFrame(const platform::Rect& frame);
  static void drawContrastWithFrame(const platform::Rect& frame, bool buttonHighlighted);
  static void drawSharpenWithFrame(const platform::Rect& frame);
  static void drawVibranceWithFrame(const platform::Rect& frame);
  static void drawWhiteBalanceWithFrame(const platform::Rect& frame);
  static void drawContextStarWithFrame(const platform::Rect& frame);
  static void drawSdCardWhiteWithFrame(const platform::Rect& frame);
  static void drawDownloadWhiteWithFrame(const platform::Rect& frame);
  static void drawMoreWithFrame(const platform::Rect& frame, bool buttonHighlighted);
  static platform::Image imageOfBrightnessWithSize(const platform::Size& size, bool buttonHighlighted);
  static platform::Image imageOfRotateIconWithSize(const platform::Size& size);
  static platform::Image imageOfUndoIconWithSize(const platform::Size& size);
  static platform::Image imageOfToneCurveWithSize(const platform::Size& size);
  static platform::Image imageOfAdjustWithSize(const platform::Size& size);
  static platform::Image imageOfResizeWithSize(const platform::Size& size);
  static platform::Image imageOfCropRotateWithSize(const platform::Size& size);
  static platform::Image imageOfAspectRatioWithSize(const platform::Size& size);
  static platform::Image imageOfExposurePresetsWithSize(const platform::Size& size);
  static platform::Image imageOfBulbRampWithSize(const platform::Size& size);
  static platform::Image imageOfBarcodeWithSize(const platform::Size& size);
  static platform::Image imageOfResetWithSize(const platform::Size& size);
  static platform::Image imageOfContrastWithSize(const platform::Size& size, bool buttonHighlighted);
  static platform::Image imageOfSharpenWithSize(const platform::Size& size);
  static platform::Image imageOfVibranceWithSize(const platform::Size& size);
  static platform::Image imageOfWhiteBalanceWithSize(const platform::Size& size);
  static platform::Image imageOfContextStarWithSize(const platform::Size& size);
  static platform::Image imageOfSdCardWhiteWithSize(const platform::Size& size);
  static platform::Image imageOfDownloadWhiteWithSize(const platform::Size& size);
  static platform::Image imageOfMoreWithSize(const platform::Size& size, bool buttonHighlighted);
  // ---- Interface kit: the automation panels' and status icons, every point a fraction of the frame (snapped
  // rectangles and ovals on whole points from its origin), stretched with it; line widths stay in points. ----
  static void drawStairsWithFrame(const platform::Rect& frame);
  static void drawNumberWithFrame(const platform::Rect& frame);
  static void drawHDRPropertyWithFrame(const platform::Rect& frame);
  static void drawStartMiddleWithFrame(const platform::Rect& frame);
  static void drawDismissDownWithFrame(const platform::Rect& frame);
  static void drawHourglassWithFrame(const platform::Rect& frame);
  static void drawIntervalWithFrame(const platform::Rect& frame);
  static void drawHDRColorWithFrame(const platform::Rect& frame);
  static void drawLightCameraWithFrame(const platform::Rect& frame);
  // Light grey, or translucent highlight blue with a bar along the bottom when highlighted.
  static void drawTripodWithFrame(const platform::Rect& frame, bool buttonHighlighted);
  static void drawDirectionSignWithFrame(const platform::Rect& frame);
  static void drawTotalDegreesWithFrame(const platform::Rect& frame);
  static platform::Image imageOfStairsWithSize(const platform::Size& size);
  static platform::Image imageOfNumberWithSize(const platform::Size& size);
  static platform::Image imageOfHDRPropertyWithSize(const platform::Size& size);
  static platform::Image imageOfStartMiddleWithSize(const platform::Size& size);
  static platform::Image imageOfDismissDownWithSize(const platform::Size& size);
  static platform::Image imageOfHourglassWithSize(const platform::Size& size);
  static platform::Image imageOfIntervalWithSize(const platform::Size& size);
  static platform::Image imageOfHDRColorWithSize(const platform::Size& size);
  static platform::Image imageOfLightCameraWithSize(const platform::Size& size);
  static platform::Image imageOfTripodWithSize(const platform::Size& size, bool buttonHighlighted);
  static platform::Image imageOfDirectionSignWithSize(const platform::Size& size);
  static platform::Image imageOfTotalDegreesWithSize(const platform::Size& size);
  // ---- Interface kit: the image browser's toolbar icons. The captioned ones are white, their pictogram above a
  // caption drawn from built-in glyph outlines (never from an installed font). The save disk has no image. ----
  static void drawWhiteTrashWithTextWithFrame(const platform::Rect& frame);
  static void drawCompareWithTextWithFrame(const platform::Rect& frame);
  static void drawSaveDiskWithFrame(const platform::Rect& frame);
  static void drawSelectAllSelectedWithTextWithFrame(const platform::Rect& frame);
  static void drawSelectAllUnselectedWithTextWithFrame(const platform::Rect& frame);
  static void drawFilterJpgWithTextWithFrame(const platform::Rect& frame);
  static void drawFilterRawWithTextWithFrame(const platform::Rect& frame);
  static void drawFilterVideoWithTextWithFrame(const platform::Rect& frame);
  static void drawFilterAllWithTextWithFrame(const platform::Rect& frame);
  static void drawCropWithFrame(const platform::Rect& frame);
  static platform::Image imageOfWhiteTrashWithTextWithSize(const platform::Size& size);
  static platform::Image imageOfCompareWithTextWithSize(const platform::Size& size);
  static platform::Image imageOfSelectAllSelectedWithTextWithSize(const platform::Size& size);
  static platform::Image imageOfSelectAllUnselectedWithTextWithSize(const platform::Size& size);
  static platform::Image imageOfFilterJpgWithTextWithSize(const platform::Size& size);
  static platform::Image imageOfFilterRawWithTextWithSize(const platform::Size& size);
  static platform::Image imageOfFilterVideoWithTextWithSize(const platform::Size& size);
  static platform::Image imageOfFilterAllWithTextWithSize(const platform::Size& size);
  static platform::Image imageOfCropWithSize(const platform::Size& size);
  // ---- Interface kit: the device picture, the level overlay's tilt scale and the flash toggle (which has no
  // image). ----
  static void drawVorlaxentDeviceWithFrame(const platform::Rect& frame);
  static void drawElectronicTiltWithFrame(const platform::Rect& frame);
  static void drawFlashTogglePushButtonWithFrame(const platform::Rect& frame, bool toggleButtonEnabled,
                                                 bool toggleButtonOn, bool flashReady);
  static platform::Image imageOfVorlaxentDeviceWithSize(const platform::Size& size);
  static platform::Image imageOfElectronicTiltWithSize(const platform::Size& size);
};
