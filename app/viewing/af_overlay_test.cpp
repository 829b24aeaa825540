// AF frame geometry per vendor, with expected rectangles worked out by hand from the rules: a 800 x 600 view, a
// 960 x 640 picture (P = 800 x 533.33 at y 33.33) or the same picture turned a quarter (P = 400 x 600 at x 200).
#include <gtest/gtest.h>

#include <cstring>

#include "app/viewing/af_overlay.h"

namespace {

using platform::Color;
using platform::Point;
using platform::Rect;
using Action = AfOverlayPlan::Action;

const AfOverlayGeometry kUpright{{800, 600}, {960, 640}, 1};
const AfOverlayGeometry kTurned6{{800, 600}, {640, 960}, 6};
const Color kGreen = Color::rgb(0, 1, 0), kRed = Color::rgb(1, 0, 0), kWhite = Color::whiteColor(),
            kYellow = Color::rgb(1, 1, 0);

::testing::AssertionResult nearRect(const Rect& got, const Rect& want) {
  const double e = 1e-6;
  if (std::abs(got.x() - want.x()) < e && std::abs(got.y() - want.y()) < e && std::abs(got.width() - want.width()) < e &&
      std::abs(got.height() - want.height()) < e)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got (" << got.x() << ", " << got.y() << ", " << got.width() << ", "
                                       << got.height() << "), want (" << want.x() << ", " << want.y() << ", "
                                       << want.width() << ", " << want.height() << ")";
}

TEST(AfOverlay, TurningFollowsThePicture) {
  struct Case {
    uint8_t orientation;
    Point in, out;
  };
  const Case cases[] = {{1, {0, 0}, {0, 0}},       {3, {0, 0}, {1, 1}},       {6, {0, 0}, {1, 0}},
                        {8, {0, 0}, {0, 1}},       {6, {0.25, 0.1}, {0.9, 0.25}}, {8, {0.25, 0.1}, {0.1, 0.75}},
                        {3, {0.25, 0.1}, {0.75, 0.9}}, {2, {0.25, 0.1}, {0.25, 0.1}}};
  for (const Case& c : cases) {
    const Point got = turnNormalisedPoint(c.in, c.orientation);
    EXPECT_NEAR(got.x, c.out.x, 1e-12) << int(c.orientation);
    EXPECT_NEAR(got.y, c.out.y, 1e-12) << int(c.orientation);
  }
}

EOS_LiveViewInfoStruct canonHeader() {
  EOS_LiveViewInfoStruct h;
  std::memset(&h, 0, sizeof h);
  h.kind = 1;
  h.zoom = 1;
  h.record18[0] = 6000, h.record18[1] = 4000;  // whole image
  h.frameHeight = 4000;                         // no vertical correction
  const uint32_t frames[3][5] = {{0x11, 2700, 1800, 600, 400}, {0x12, 0, 0, 600, 400}, {0x7, 5400, 3600, 600, 400}};
  h.afFrameCount = 3;
  for (int i = 0; i < 3; ++i)
    for (int f = 0; f < 5; ++f) h.afFrame[f][i] = frames[i][f];
  return h;
}

TEST(AfOverlay, CanonFramesByStateInWholeImageCoordinates) {
  const AfOverlayPlan p = canonAfOverlay(canonHeader(), kUpright);
  ASSERT_EQ(p.action, Action::Draw);
  ASSERT_EQ(p.frames.size(), 3u);
  EXPECT_TRUE(nearRect(p.frames[0].rect, Rect(360, 300 - 80.0 / 3, 80, 160.0 / 3)));
  EXPECT_EQ(p.frames[0].color, kGreen);
  EXPECT_TRUE(nearRect(p.frames[1].rect, Rect(0, 540 - 80.0 / 3, 80, 160.0 / 3))) << "the top left corner";
  EXPECT_EQ(p.frames[1].color, kRed);
  EXPECT_TRUE(nearRect(p.frames[2].rect, Rect(720, 60 - 80.0 / 3, 80, 160.0 / 3)));
  EXPECT_EQ(p.frames[2].color, kWhite);
}

TEST(AfOverlay, CanonCorrectionZoomAreaAndTurn) {
  EOS_LiveViewInfoStruct h = canonHeader();
  h.frameHeight = 4500;  // 250 taller: whole-image frames come up by 250
  AfOverlayPlan p = canonAfOverlay(h, kUpright);
  EXPECT_NEAR(p.frames[0].rect.midY(), 33.0 + 1.0 / 3 + (1 - 1750.0 / 4000) * 1600 / 3, 1e-6);
  h.frameHeight = 3000;  // smaller than the image: down by 500, computed signed
  p = canonAfOverlay(h, kUpright);
  EXPECT_NEAR(p.frames[0].rect.midY(), 33.0 + 1.0 / 3 + (1 - 2500.0 / 4000) * 1600 / 3, 1e-6);

  h.zoom = 2;  // zoom-area coordinates: no correction
  h.zoomX = 1000, h.zoomY = 500;
  h.record13[0] = 1200, h.record13[1] = 800;
  h.afFrameCount = 1;
  h.afFrame[1][0] = 1500, h.afFrame[2][0] = 800, h.afFrame[3][0] = 120, h.afFrame[4][0] = 80;
  p = canonAfOverlay(h, kUpright);
  ASSERT_EQ(p.frames.size(), 1u);
  EXPECT_TRUE(nearRect(p.frames[0].rect, Rect(560.0 / 1200 * 800 - 40, 340 - 80.0 / 3, 80, 160.0 / 3)));

  // A frame at the camera's top left corner lies at the top right of a picture turned clockwise, its sides
  // exchanged.
  p = canonAfOverlay(canonHeader(), kTurned6);
  EXPECT_TRUE(nearRect(p.frames[1].rect, Rect(560, 540, 40, 60)));
}

TEST(AfOverlay, CanonKeepsOrRemoves) {
  EOS_LiveViewInfoStruct none = canonHeader();
  none.afFrameCount = 0;
  EXPECT_EQ(canonAfOverlay(none, kUpright).action, Action::Keep) << "count 0 leaves the frames shown";
  EOS_LiveViewInfoStruct noWidth = canonHeader();
  noWidth.afFrame[3][0] = 0;
  EXPECT_EQ(canonAfOverlay(noWidth, kUpright).action, Action::Keep);
  EXPECT_EQ(canonAfOverlay(canonHeader(), {{800, 600}, {0, 0}, 1}).action, Action::Keep) << "no picture";
  EOS_LiveViewInfoStruct noSpace = canonHeader();
  noSpace.record18[1] = 0;
  EXPECT_EQ(canonAfOverlay(noSpace, kUpright).action, Action::Remove) << "a space of no height places nothing";
  EOS_LiveViewInfoStruct many = canonHeader();
  many.afFrameCount = 1000;
  for (int i = 0; i < 64; ++i) many.afFrame[3][i] = many.afFrame[4][i] = 10;
  EXPECT_EQ(canonAfOverlay(many, kUpright).frames.size(), 64u);
}

Nikon_LiveViewInfoStruct2 nikonRecord() {
  Nikon_LiveViewInfoStruct2 r;
  std::memset(&r, 0, sizeof r);
  r.displayWidth = 3000, r.displayHeight = 2000, r.displayCentreX = 3100, r.displayCentreY = 2050;
  r.afWidth = 400, r.afHeight = 300, r.afCentreX = 3100, r.afCentreY = 2050;
  r.afState = 2;
  return r;
}

TEST(AfOverlay, NikonFrameColoursAndEdges) {
  struct Case {
    const char* what;
    uint16_t centreX, width;
    uint8_t selected, state;
    Rect rect;
    Color color;
  };
  const double w = 400 * 800 / 3000.0;  // 106.67
  const Case cases[] = {
      {"centred, in focus", 3100, 400, 0, 2, Rect(400 - w / 2, 260, w, 80), kGreen},
      {"chosen by hand", 3100, 400, 1, 2, Rect(400 - w / 2, 260, w, 80), kYellow},
      {"out of focus", 3100, 400, 0, 1, Rect(400 - w / 2, 260, w, 80), kRed},
      {"no state", 3100, 400, 0, 0, Rect(400 - w / 2, 260, w, 80), kWhite},
      {"past the left edge", 1600, 400, 0, 2, Rect(5, 260, w, 80), kGreen},
      {"past the right edge", 4600, 400, 0, 2, Rect(800 - 5 - w, 260, w, 80), kGreen},
      {"wider than P", 3100, 4000, 0, 2, Rect(5, 260, 790, 80), kGreen},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Nikon_LiveViewInfoStruct2 r = nikonRecord();
    r.afCentreX = c.centreX, r.afWidth = c.width, r.afSelected = c.selected, r.afState = c.state;
    const AfOverlayPlan p = nikonAfOverlay(r, kUpright);
    ASSERT_EQ(p.action, Action::Draw);
    ASSERT_EQ(p.frames.size(), 1u);
    EXPECT_TRUE(nearRect(p.frames[0].rect, c.rect));
    EXPECT_EQ(p.frames[0].color, c.color);
  }
  Nikon_LiveViewInfoStruct2 turned = nikonRecord();
  turned.afCentreX = 1900, turned.afCentreY = 1350;
  EXPECT_TRUE(nearRect(nikonAfOverlay(turned, kTurned6).frames.at(0).rect, Rect(500, 510, 80, 60)));
  Nikon_LiveViewInfoStruct2 empty = nikonRecord();
  empty.displayHeight = 0;
  EXPECT_EQ(nikonAfOverlay(empty, kUpright).action, Action::Remove) << "no display area, no frame";
}

SonyAfState sonyState() {
  SonyAfState s;
  s.focusState = 2;
  s.focusArea = 0x101;
  s.focus = {1290, 950, 258, 190};
  s.spaceWidth = 2580, s.spaceHeight = 1900;
  return s;
}
// 640 x 424 frames: P = 800 x 530 at y 35.
const AfOverlayGeometry kSonyUpright{{800, 600}, {640, 424}, 1};

TEST(AfOverlay, SonyFrameCrossAndAbsences) {
  AfOverlayPlan p = sonyAfOverlay(sonyState(), kSonyUpright);
  ASSERT_EQ(p.frames.size(), 1u);
  EXPECT_TRUE(nearRect(p.frames[0].rect, Rect(360, 273.5, 80, 53)));
  EXPECT_EQ(p.frames[0].color, kGreen);

  SonyAfState point = sonyState();
  point.focus = {};
  point.afPoint = Point{1290, 950};
  point.focusState = 1;
  p = sonyAfOverlay(point, kSonyUpright);
  EXPECT_TRUE(nearRect(p.frames.at(0).rect, Rect(352, 268, 96, 64))) << "0.12 and 0.08 of P's longer side";
  EXPECT_EQ(p.frames[0].color, kWhite);

  SonyAfState zoomed = sonyState();
  zoomed.zoomRatio = 100;
  p = sonyAfOverlay(zoomed, kSonyUpright);
  ASSERT_TRUE(p.cross);
  EXPECT_EQ(p.cross->centre, (Point{400, 300}));
  EXPECT_EQ(p.cross->arm, 40);
  EXPECT_TRUE(p.frames.empty());

  struct Absent {
    const char* what;
    SonyAfState state;
  };
  SonyAfState noState = sonyState(), area2 = sonyState(), noArea = sonyState(), nothing = sonyState(),
              leftEdge = sonyState();
  noState.focusState.reset();
  area2.focusArea = 2;
  noArea.focusArea.reset();
  nothing.focus = {};
  leftEdge.focus.x = 50;
  for (const Absent& a : {Absent{"no 0xD213", noState}, Absent{"0xD22C = 2", area2}, Absent{"no 0xD22C", noArea},
                          Absent{"no frame and no AF point", nothing}, Absent{"left edge outside P", leftEdge}})
    EXPECT_EQ(sonyAfOverlay(a.state, kSonyUpright).action, Action::Remove) << a.what;
}

TEST(AfOverlay, FujifilmFrameScaledByPsWidth) {
  FujiAfState s;
  s.area = Rect(0.5, 0.5, 0.1, 0.1);
  s.focused = true;
  AfOverlayPlan p = fujiAfOverlay(s, kUpright);
  ASSERT_EQ(p.frames.size(), 1u);
  EXPECT_TRUE(nearRect(p.frames[0].rect, Rect(360, 260, 80, 80)));
  EXPECT_EQ(p.frames[0].color, kGreen);
  s.focused = false;
  s.area = Rect(0.1, 0.2, 0.1, 0.1);
  p = fujiAfOverlay(s, kTurned6);
  EXPECT_TRUE(nearRect(p.frames.at(0).rect, Rect(500, 520, 40, 40)));
  EXPECT_EQ(p.frames[0].color, kWhite);

  FujiAfState zoomed = s, none = s, edge = s, empty = s;
  zoomed.zoomRatio = 100;
  none.area.reset();
  empty.area = Rect(0, 0, 0, 0);  // the device's records before it has reported an area
  edge.area = Rect(0.02, 0.5, 0.1, 0.1);
  EXPECT_EQ(fujiAfOverlay(zoomed, kUpright).action, Action::Remove) << "zoomed";
  EXPECT_EQ(fujiAfOverlay(none, kUpright).action, Action::Remove) << "no area";
  EXPECT_EQ(fujiAfOverlay(empty, kUpright).action, Action::Remove) << "an area of no size";
  EXPECT_EQ(fujiAfOverlay(edge, kUpright).action, Action::Remove) << "a corner outside P";
}

}  // namespace
