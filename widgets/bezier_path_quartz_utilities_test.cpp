// Bézier paths: conversion with its closes, and the smooth curve through points, against control points worked
// out by hand.
#include <gtest/gtest.h>

#include "widgets/bezier_path_quartz_utilities.h"

using platform::Point;
using E = BezierPathElement;

namespace {

std::vector<E::Type> typesOf(const std::vector<E>& elements) {
  std::vector<E::Type> out;
  for (const E& e : elements) out.push_back(e.type);
  return out;
}

TEST(BezierPathQuartzTest, ConversionKeepsClosesAndClosesAnOpenEnd) {
  struct Case {
    const char* name;
    std::vector<E::Type> built;
    std::vector<E::Type> expected;
  };
  const Case cases[] = {
      {"ends with a close: no second", {E::MoveTo, E::LineTo, E::LineTo, E::ClosePath},
       {E::MoveTo, E::LineTo, E::LineTo, E::ClosePath}},
      {"open: the last subpath is closed", {E::MoveTo, E::LineTo, E::CurveTo},
       {E::MoveTo, E::LineTo, E::CurveTo, E::ClosePath}},
      {"a line after the close: closed at the end", {E::MoveTo, E::LineTo, E::ClosePath, E::MoveTo, E::LineTo},
       {E::MoveTo, E::LineTo, E::ClosePath, E::MoveTo, E::LineTo, E::ClosePath}},
      {"a move after the close: nothing to close", {E::MoveTo, E::LineTo, E::ClosePath, E::MoveTo},
       {E::MoveTo, E::LineTo, E::ClosePath, E::MoveTo}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    BezierPath path;
    double k = 0;
    for (E::Type t : c.built) {
      k += 10;
      switch (t) {
        case E::MoveTo: path.moveToPoint({k, 0}); break;
        case E::LineTo: path.lineToPoint({k, k}); break;
        case E::CurveTo: path.curveToPoint({k, 2 * k}, {k, 1}, {k, 2}); break;
        case E::ClosePath: path.closePath(); break;
      }
    }
    auto quartz = path.quartzPath();
    ASSERT_NE(quartz, nullptr);
    EXPECT_EQ(typesOf(quartz->elements()), c.expected);
    // The drawing path goes through the same points.
    EXPECT_FALSE(quartz->path().isEmpty());
  }
  EXPECT_EQ(BezierPath().quartzPath(), nullptr) << "no elements, no path";
}

TEST(BezierPathQuartzTest, HermiteCurveThroughTwoPointsHasControlsOnTheLine) {
  // From (0, 0) to (100, 50) with alpha 0.5: the control points lie a / 2 = 1/4 of the way from each end.
  BezierPath path;
  path.interpolatePointsWithHermite({{0, 0}, {100, 50}}, 2, 0.5);
  ASSERT_EQ(path.elementCount(), 2u);
  EXPECT_EQ(path.elements()[0], (E{E::MoveTo, {0, 0}, {}, {}}));
  EXPECT_EQ(path.elements()[1], (E{E::CurveTo, {100, 50}, {25, 12.5}, {75, 37.5}}));
}

TEST(BezierPathQuartzTest, HermiteCurveThroughSeveralPoints) {
  const std::vector<Point> p = {{0, 0}, {10, 20}, {30, 10}, {40, 40}};
  const double a = 1.0;
  BezierPath path;
  path.interpolatePointsWithHermite(p, p.size(), a);
  ASSERT_EQ(path.elementCount(), 4u);
  // Segment i: c1 = p[i] + a (p[i+1] - p[i-1]) / 2, c2 = p[i+1] - a (p[i+2] - p[i]) / 2, the ends reusing
  // their own point for the missing neighbour.
  const E expected[] = {
      {E::CurveTo, {10, 20}, {5, 10}, {-5, 15}},     // (0,0) + ((10,20) - (0,0))/2; (10,20) - ((30,10) - (0,0))/2
      {E::CurveTo, {30, 10}, {25, 25}, {15, -0}},    // (10,20) + ((30,10) - (0,0))/2; (30,10) - ((40,40) - (10,20))/2
      {E::CurveTo, {40, 40}, {45, 20}, {35, 25}},    // (30,10) + ((40,40) - (10,20))/2; (40,40) - ((40,40) - (30,10))/2
  };
  for (int i = 0; i < 3; ++i) {
    SCOPED_TRACE(i);
    const E& got = path.elements()[std::size_t(i) + 1];
    EXPECT_EQ(got.type, E::CurveTo);
    EXPECT_EQ(got.point, expected[i].point);
    EXPECT_DOUBLE_EQ(got.control1.x, expected[i].control1.x);
    EXPECT_DOUBLE_EQ(got.control1.y, expected[i].control1.y);
    EXPECT_DOUBLE_EQ(got.control2.x, expected[i].control2.x);
    EXPECT_DOUBLE_EQ(got.control2.y, expected[i].control2.y);
  }
}

TEST(BezierPathQuartzTest, HermiteCountsBeyondThePointsGivenAreHeldToThem) {
  struct Case {
    std::vector<Point> points;
    std::size_t count;
    std::size_t elements;
  };
  const Case cases[] = {
      {{}, 3, 0},                      // nothing to move to
      {{{1, 1}}, 1, 1},                // a move only
      {{{1, 1}, {2, 2}}, 9, 2},        // a count past the end uses the two there are
      {{{1, 1}, {2, 2}, {3, 3}}, 2, 2},  // a smaller count uses only the first points
  };
  for (const Case& c : cases) {
    BezierPath path;
    path.interpolatePointsWithHermite(c.points, c.count, 0.5);
    EXPECT_EQ(path.elementCount(), c.elements);
  }
}

}  // namespace
