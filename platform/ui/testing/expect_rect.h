#pragma once
// For tests: a rectangle compared field by field, so that a failure names the field that is off.
#include <gtest/gtest.h>

#include "platform/graphics/geometry.h"

namespace platform::testing {

inline void expectRect(const Rect& actual, const Rect& expected, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x(), expected.x(), tolerance);
    EXPECT_NEAR(actual.y(), expected.y(), tolerance);
    EXPECT_NEAR(actual.width(), expected.width(), tolerance);
    EXPECT_NEAR(actual.height(), expected.height(), tolerance);
}

}  // namespace platform::testing
