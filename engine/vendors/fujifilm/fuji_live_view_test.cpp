// The focus-area text, the grid position of a live-view tap, and the AF overlay.
#include <gtest/gtest.h>

#include "engine/vendors/fujifilm/fuji_live_view.h"
#include "engine/vendors/fujifilm/fuji_store_fixture.h"

namespace {

TEST(FujiFocusArea, ParseAndFormat) {
    struct Case {
        const char* text;
        bool ok;
        int x, y, size;
    };
    const Case cases[] = {
        {"0,0,3", true, 0, 0, 3},     {"-7,12,5", true, -7, 12, 5}, {"19,-19,9", true, 19, -19, 9},
        {"-1,1,0", true, -1, 1, 0},   {"20,0,3", false, 0, 0, 0},   {"2,3", false, 0, 0, 0},
        {"a,0,3", false, 0, 0, 0},    {"0,0,33", false, 0, 0, 0},   {"", false, 0, 0, 0},
        {"123,0,3", false, 0, 0, 0},  {"10,-10,3", true, 10, -10, 3}, {"-10,10,4", true, -10, 10, 4},
        {"11,-15,2", true, 11, -15, 2},
    };
    for (const Case& c : cases) {
        FujiFocusArea a;
        EXPECT_EQ(fujiParseFocusArea(c.text, &a), c.ok) << c.text;
        if (!c.ok) continue;
        EXPECT_EQ(a.x, c.x) << c.text;
        EXPECT_EQ(a.y, c.y) << c.text;
        EXPECT_EQ(a.size, c.size) << c.text;
        EXPECT_EQ(fujiFormatFocusArea(a), c.text);
    }
    EXPECT_FALSE(fujiParseFocusArea(nullptr, nullptr));
    // Written values stay inside what the camera takes.
    EXPECT_EQ(fujiFormatFocusArea({25, -40, 3}), "19,-19,3");
}

TEST(FujiFocusArea, TapPointsOnTheGrid) {
    struct Case {
        double px, py;
        uint32_t points;
        int x, y;
    };
    const Case cases[] = {
        {0.0, 0.0, 1, -6, 3},   {0.92, 1.0, 2, 12, -6}, {1.0, 1.0, 1, 6, -3},  {0.5, 0.5, 1, 0, 0},
        {0.05, 0.9, 3, -6, -4}, {0.0, 0.0, 4, -12, 8},  {0.5, 0.5, 4, 0, 0},    {0.5, 0.5, 2, 0, 0},
    };
    for (const Case& c : cases) {
        int x = 99, y = 99;
        ASSERT_TRUE(fujiFocusAreaForPoint(c.px, c.py, c.points, &x, &y));
        EXPECT_EQ(x, c.x) << c.px << "," << c.py << " " << c.points;
        EXPECT_EQ(y, c.y) << c.px << "," << c.py << " " << c.points;
    }
    int x = 0, y = 0;
    EXPECT_FALSE(fujiFocusAreaForPoint(0.5, 0.5, 0, &x, &y));
    EXPECT_FALSE(fujiFocusAreaForPoint(0.5, 0.5, 5, &x, &y));
}

class FujiOverlay : public FujiStoreTest {};

TEST_F(FujiOverlay, FractionsOfTheFrameAndMissingRecords) {
    record(0xEEE0, 250);
    record(0xEEE1, 500);
    record(0xEEE2, 100);
    double x = -1, y = -1, w = -1, h = -1;
    EXPECT_EQ(fujiAfOverlayRect(&x, &y, &w, &h), ERROR_GENERAL);
    EXPECT_DOUBLE_EQ(x, 0.25);
    EXPECT_DOUBLE_EQ(y, 0.5);
    EXPECT_DOUBLE_EQ(w, 0.1);
    EXPECT_DOUBLE_EQ(h, -1);
    record(0xEEE3, 80);
    EXPECT_EQ(fujiAfOverlayRect(&x, &y, &w, &h), PTP_RC_OK);
    EXPECT_DOUBLE_EQ(h, 0.08);
}

TEST_F(FujiOverlay, ZoomLevelFromTheZoomProperty) {
    EXPECT_EQ(fujiLiveViewZoomLevel(), 0u);
    record(0xD01B, 1);
    for (auto [value, level] : {std::pair{1u, 0u}, {2u, 100u}, {3u, 200u}, {4u, 0u}, {5u, 200u}, {9u, 0u}}) {
        setValue(0xD01B, value);
        EXPECT_EQ(fujiLiveViewZoomLevel(), level) << value;
    }
}

}  // namespace
