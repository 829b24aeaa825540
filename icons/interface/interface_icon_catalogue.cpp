#include "icons/interface/interface_icon_catalogue.h"

#include <cmath>
#include <tuple>

#include "icons/interface/bundle_images.h"
#include "icons/properties/vorlaxent_style_kit.h"

namespace icons {

using platform::Rect;
using platform::Size;
using K = VorlaxentStyleKit;

namespace {

std::string onOff(bool b) { return b ? "1" : "0"; }

std::vector<InterfaceIconCase> makeCases() {
  std::vector<InterfaceIconCase> out;
  const auto add = [&](std::string name, std::function<void(const Rect&)> draw,
                       std::function<platform::Image(const Size&)> image) {
    out.push_back({std::move(name), std::move(draw), std::move(image)});
  };
  add("XButton", [](const Rect& f) { K::drawXButtonWithFrame(f); }, [](const Size& s) { return K::imageOfXButtonWithSize(s); });
  add("CheckButton", [](const Rect& f) { K::drawCheckButtonWithFrame(f); },
      [](const Size& s) { return K::imageOfCheckButtonWithSize(s); });
  for (double arrow : {0.0, 1.0, 10.0})
    add("TripodJoystick/" + std::to_string(int(arrow)), [=](const Rect& f) { K::drawTripodJoystickWithFrame(f, arrow); },
        [=](const Size& s) { return K::imageOfTripodJoystickWithSize(s, arrow); });
  for (int resizing : {0, 2})
    add("ZoomBar/resizing" + std::to_string(resizing) + ",50%",
        [=](const Rect& f) { K::drawZoomBarWithFrame(f, resizing, 50, 200); },
        [=](const Size& s) { return K::imageOfZoomBarWithSize(s, resizing, 50, 200); });
  for (bool h : {false, true})
    for (bool e : {true, false}) {
      const std::string state = "/highlighted" + onOff(h) + ",enabled" + onOff(e);
      add("DefaultButton" + state, [=](const Rect& f) { K::drawDefaultButtonWithFrame(f, h, e); },
          [=](const Size& s) { return K::imageOfDefaultButtonWithSize(s, h, e); });
      add("CaptureButton" + state, [=](const Rect& f) { K::drawCaptureButtonWithFrame(f, h, e); },
          [=](const Size& s) { return K::imageOfCaptureButtonWithSize(s, h, e); });
    }
  for (bool e : {true, false})
    for (bool on : {true, false}) {
      const std::string state = "/enabled" + onOff(e) + ",on" + onOff(on);
      add("LiveViewToggle" + state, [=](const Rect& f) { K::drawLiveViewTogglePushButtonWithFrame(f, e, on); },
          [=](const Size& s) { return K::imageOfLiveViewTogglePushButtonWithSize(s, e, on); });
      add("VideoToggle" + state + ",ring", [=](const Rect& f) { K::drawVideoTogglePushButtonWithFrame(f, e, on, true); },
          [=](const Size& s) { return K::imageOfVideoTogglePushButtonWithSize(s, e, on, true); });
      add("VideoToggle" + state + ",noring",
          [=](const Rect& f) { K::drawVideoTogglePushButtonWithFrame(f, e, on, false); },
          [=](const Size& s) { return K::imageOfVideoTogglePushButtonWithSize(s, e, on, false); });
      for (bool af : {true, false})
        add("AFToggle" + state + (af ? ",AF" : ",MF"),
            [=](const Rect& f) { K::drawAFTogglePushButtonWithFrame(f, e, on, af); },
            [=](const Size& s) { return K::imageOfAFTogglePushButtonWithSize(s, e, on, af); });
    }
  for (bool h : {true, false}) {
    add("StarIcon/highlighted" + onOff(h), [=](const Rect& f) { K::drawStarIconWithFrame(f, h); },
        [=](const Size& s) { return K::imageOfStarIconWithSize(s, h); });
    add("YellowStarIcon/highlighted" + onOff(h), [=](const Rect& f) { K::drawYellowStarIconWithFrame(f, h); },
        [=](const Size& s) { return K::imageOfYellowStarIconWithSize(s, h); });
  }
  add("Gear", [](const Rect& f) { K::drawGearWithFrame(f); }, [](const Size& s) { return K::imageOfGearWithSize(s); });
  // The second zoom bar's marker stands at a place of the caller's canvas, not of the frame.
  add("ZoomBar2/marker at 30", [](const Rect& f) { K::drawZoomBar2WithFrame(f, 30); },
      [](const Size& s) { return K::imageOfZoomBar2WithSize(s, 30); });
  for (auto [percentage, charging] : {std::pair{25.0, false}, std::pair{25.5, false}, std::pair{80.0, true},
                                      std::pair{std::nan(""), false}}) {
    const std::string state = "/" + (std::isnan(percentage) ? std::string("unknown") : std::to_string(int(percentage * 10) / 10.0).substr(0, 4)) +
                              (charging ? ",charging" : "");
    add("Battery" + state, [p = percentage, c = charging](const Rect& f) { K::drawBatteryWithFrame(f, p, c); },
        [p = percentage, c = charging](const Size& s) { return K::imageOfBatteryWithSize(s, p, c); });
  }
  for (bool h : {false, true}) {
    const std::string state = "/highlighted" + onOff(h);
    add("FocusStack" + state, [=](const Rect& f) { K::drawFocusStackWithFrame(f, h); },
        [=](const Size& s) { return K::imageOfFocusStackWithSize(s, h); });
    add("Timer" + state, [=](const Rect& f) { K::drawTimerWithFrame(f, h); },
        [=](const Size& s) { return K::imageOfTimerWithSize(s, h); });
    add("HDR" + state, [=](const Rect& f) { K::drawHDRWithFrame(f, h); },
        [=](const Size& s) { return K::imageOfHDRWithSize(s, h); });
  }
  add("SelectImage", [](const Rect& f) { K::drawSelectImageWithFrame(f); },
      [](const Size& s) { return K::imageOfSelectImageWithSize(s); });
  add("ZoomFarther", [](const Rect& f) { K::drawZoomFartherWithFrame(f); },
      [](const Size& s) { return K::imageOfZoomFartherWithSize(s); });
  add("ZoomCloser", [](const Rect& f) { K::drawZoomCloserWithFrame(f); },
      [](const Size& s) { return K::imageOfZoomCloserWithSize(s); });
  add("PlayCircle", [](const Rect& f) { K::drawPlayCircleWithFrame(f); },
      [](const Size& s) { return K::imageOfPlayCircleWithSize(s); });
  for (bool on : {true, false})
    add("LiveViewIcon/on" + onOff(on), [=](const Rect& f) { K::drawLiveViewIconWithFrame(f, on); },
        [=](const Size& s) { return K::imageOfLiveViewIconWithSize(s, on); });
  using ThreeState = void (*)(const Rect&, bool, bool);
  using ThreeStateImage = platform::Image (*)(const Size&, bool, bool);
  const std::tuple<const char*, ThreeState, ThreeStateImage> arrows[] = {
      {"FocusArrowUp", K::drawFocusArrowUpWithFrame, K::imageOfFocusArrowUpWithSize},
      {"FocusArrowDown", K::drawFocusArrowDownWithFrame, K::imageOfFocusArrowDownWithSize},
      {"ArrowLeft", K::drawArrowLeftWithFrame, K::imageOfArrowLeftWithSize},
      {"ArrowRight", K::drawArrowRightWithFrame, K::imageOfArrowRightWithSize},
      {"ArrowsOut", K::drawArrowsOutWithFrame, K::imageOfArrowsOutWithSize},
      {"ArrowsIn", K::drawArrowsInWithFrame, K::imageOfArrowsInWithSize}};
  for (const auto& [name, draw, image] : arrows)
    for (auto [h, e] : {std::pair{false, true}, std::pair{false, false}, std::pair{true, false}}) {
      const std::string state = "/highlighted" + onOff(h) + ",enabled" + onOff(e);
      add(name + state, [draw = draw, h = h, e = e](const Rect& f) { draw(f, h, e); },
          [image = image, h = h, e = e](const Size& s) { return image(s, h, e); });
    }
  for (bool h : {false, true})
    add("Histogram/highlighted" + onOff(h), [=](const Rect& f) { K::drawHistogramWithFrame(f, h); },
        [=](const Size& s) { return K::imageOfHistogramWithSize(s, h); });
  add("SDCard", [](const Rect& f) { K::drawSDCardWithFrame(f); }, [](const Size& s) { return K::imageOfSDCardWithSize(s); });
  add("CheckMark", [](const Rect& f) { K::drawCheckMarkWithFrame(f); },
      [](const Size& s) { return K::imageOfCheckMarkWithSize(s); });
  add("XMark", [](const Rect& f) { K::drawXMarkWithFrame(f); }, [](const Size& s) { return K::imageOfXMarkWithSize(s); });
  add("ArrowsPointingOut", [](const Rect& f) { K::drawArrowsPointingOutWithFrame(f); },
      [](const Size& s) { return K::imageOfArrowsPointingOutWithSize(s); });
  // The thumbnail cell's badges: the letter at about half the badge's height, and one too large for it.
  for (double fontScale : {0.6, 2.0}) {
    const std::string state = fontScale > 1 ? "/letter larger than the badge" : "/letter 0.6 of the height";
    add("Raw" + state, [=](const Rect& f) { K::drawRawWithFrame(f, fontScale * f.height()); },
        [=](const Size& s) { return K::imageOfRawWithSize(s, fontScale * s.height); });
    add("Tiff" + state, [=](const Rect& f) { K::drawTiffWithFrame(f, fontScale * f.height()); },
        [=](const Size& s) { return K::imageOfTiffWithSize(s, fontScale * s.height); });
  }
  add("Database", [](const Rect& f) { K::drawDatabaseWithFrame(f); },
      [](const Size& s) { return K::imageOfDatabaseWithSize(s); });
  struct Bracket {
    const char* name;
    double step, negative, positive;
  };
  for (const Bracket& b : {Bracket{"plain", 0, 0, 0}, Bracket{"1/3 step, 2-,3+", 1.0 / 3, 2, 3},
                           Bracket{"1 step, 4-,4+", 1, 4, 4}})
    out.push_back({std::string("CarouselBackground/") + b.name,
                   [=](const Rect&) { K::drawCarouselBackgroundWithExposureBracket(b.step, b.negative, b.positive); },
                   nullptr, Size{666, 172}});
  appendBrowserAndEditingCases(out);
  // The automation panels' and status icons, the image browser's toolbar and the device and level icons.
  using Plain = void (*)(const Rect&);
  using PlainImage = platform::Image (*)(const Size&);
  const std::tuple<const char*, Plain, PlainImage> plain[] = {
      {"Stairs", K::drawStairsWithFrame, K::imageOfStairsWithSize},
      {"Number", K::drawNumberWithFrame, K::imageOfNumberWithSize},
      {"HDRProperty", K::drawHDRPropertyWithFrame, K::imageOfHDRPropertyWithSize},
      {"StartMiddle", K::drawStartMiddleWithFrame, K::imageOfStartMiddleWithSize},
      {"DismissDown", K::drawDismissDownWithFrame, K::imageOfDismissDownWithSize},
      {"Hourglass", K::drawHourglassWithFrame, K::imageOfHourglassWithSize},
      {"Interval", K::drawIntervalWithFrame, K::imageOfIntervalWithSize},
      {"HDRColor", K::drawHDRColorWithFrame, K::imageOfHDRColorWithSize},
      {"LightCamera", K::drawLightCameraWithFrame, K::imageOfLightCameraWithSize},
      {"DirectionSign", K::drawDirectionSignWithFrame, K::imageOfDirectionSignWithSize},
      {"TotalDegrees", K::drawTotalDegreesWithFrame, K::imageOfTotalDegreesWithSize},
      {"WhiteTrashWithText", K::drawWhiteTrashWithTextWithFrame, K::imageOfWhiteTrashWithTextWithSize},
      {"CompareWithText", K::drawCompareWithTextWithFrame, K::imageOfCompareWithTextWithSize},
      {"SaveDisk", K::drawSaveDiskWithFrame, nullptr},
      {"SelectAllWithText/selected", K::drawSelectAllSelectedWithTextWithFrame, K::imageOfSelectAllSelectedWithTextWithSize},
      {"SelectAllWithText/unselected", K::drawSelectAllUnselectedWithTextWithFrame,
       K::imageOfSelectAllUnselectedWithTextWithSize},
      {"FilterWithText/JPG", K::drawFilterJpgWithTextWithFrame, K::imageOfFilterJpgWithTextWithSize},
      {"FilterWithText/RAW", K::drawFilterRawWithTextWithFrame, K::imageOfFilterRawWithTextWithSize},
      {"FilterWithText/Video", K::drawFilterVideoWithTextWithFrame, K::imageOfFilterVideoWithTextWithSize},
      {"FilterWithText/All", K::drawFilterAllWithTextWithFrame, K::imageOfFilterAllWithTextWithSize},
      {"Crop", K::drawCropWithFrame, K::imageOfCropWithSize},
      {"VorlaxentDevice", K::drawVorlaxentDeviceWithFrame, K::imageOfVorlaxentDeviceWithSize},
      {"ElectronicTilt", K::drawElectronicTiltWithFrame, K::imageOfElectronicTiltWithSize}};
  for (const auto& [name, draw, image] : plain)
    add(name, draw, image ? std::function<platform::Image(const Size&)>(image) : nullptr);
  for (bool h : {false, true})
    add("Tripod/highlighted" + onOff(h), [=](const Rect& f) { K::drawTripodWithFrame(f, h); },
        [=](const Size& s) { return K::imageOfTripodWithSize(s, h); });
  for (bool e : {true, false})
    for (bool on : {true, false})
      for (bool ready : {true, false})
        add("FlashToggle/enabled" + onOff(e) + ",on" + onOff(on) + ",ready" + onOff(ready),
            [=](const Rect& f) { K::drawFlashTogglePushButtonWithFrame(f, e, on, ready); }, nullptr);
  // The images of the bundle that windows load by name, on one row.
  for (const BundleImage& b : bundleImages())
    add("BundleImages/" + b.name, b.draw, [name = b.name](const Size& s) { return bundleImageWithSize(name, s); });
  return out;
}

}  // namespace

const std::vector<InterfaceIconCase>& interfaceIconCases() {
  static const std::vector<InterfaceIconCase> cases = makeCases();
  return cases;
}

}  // namespace icons
