#include "icons/interface/interface_icon_catalogue.h"

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
  return out;
}

}  // namespace

const std::vector<InterfaceIconCase>& interfaceIconCases() {
  static const std::vector<InterfaceIconCase> cases = makeCases();
  return cases;
}

}  // namespace icons
