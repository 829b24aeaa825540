#include "platform/ui/autoresizing.h"

#include <gtest/gtest.h>

#include "platform/foundation/test_application.h"
#include "platform/ui/testing/expect_rect.h"

namespace platform {
namespace {

using testing::expectRect;

class AutoresizingTest : public ::testing::Test {
protected:
    void SetUp() override { ensureTestApplication(); }
};

TEST_F(AutoresizingTest, TheParentsChangeGoesToTheFlexiblePartsOfEachAxis) {
    // The parent grows by 100 x 60; the view is (20, 10, 50, 30), y-up.
    struct Case {
        const char* what;
        unsigned mask;
        Rect expected;
    };
    const Case cases[] = {
        {"nothing flexible: stays at the bottom left", ViewNotSizable, {20, 10, 50, 30}},
        {"width", ViewWidthSizable, {20, 10, 150, 30}},
        {"left margin: keeps to the right", ViewMinXMargin, {120, 10, 50, 30}},
        {"both margins: stays centred", ViewMinXMargin | ViewMaxXMargin, {70, 10, 50, 30}},
        {"width and right margin share evenly", ViewWidthSizable | ViewMaxXMargin, {20, 10, 100, 30}},
        {"all three share evenly", ViewMinXMargin | ViewWidthSizable | ViewMaxXMargin,
         {20 + 100.0 / 3, 10, 50 + 100.0 / 3, 30}},
        {"bottom margin: keeps to the top", ViewMinYMargin, {20, 70, 50, 30}},
        {"height", ViewHeightSizable, {20, 10, 50, 90}},
        {"fills", ViewWidthSizable | ViewHeightSizable, {20, 10, 150, 90}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        expectRect(autoresizedFrame({20, 10, 50, 30}, c.mask, {200, 100}, {300, 160}), c.expected);
        // Shrinking back undoes it.
        expectRect(autoresizedFrame(c.expected, c.mask, {300, 160}, {200, 100}), {20, 10, 50, 30});
    }
}

TEST_F(AutoresizingTest, ChildViewsFollowTheirParentsResizes) {
    QWidget parent;
    parent.resize(200, 100);
    QWidget pinnedTop(&parent), plain(&parent), unmasked(&parent);
    for (QWidget* w : {&pinnedTop, &plain, &unmasked}) w->setGeometry(20, 60, 50, 30);  // y-up (20, 10)
    setAutoresizingMask(&pinnedTop, ViewMinYMargin | ViewWidthSizable);
    setAutoresizingMask(&plain, ViewNotSizable);
    parent.show();
    parent.resize(300, 160);
    EXPECT_EQ(autoresizingMask(&pinnedTop), unsigned(ViewMinYMargin | ViewWidthSizable));
    EXPECT_EQ(pinnedTop.geometry(), QRect(20, 60, 150, 30));  // same distance to the top, wider
    EXPECT_EQ(plain.geometry(), QRect(20, 120, 50, 30));    // not sizable: same distance to the bottom
    EXPECT_EQ(unmasked.geometry(), QRect(20, 60, 50, 30));  // never given a mask: left alone
}

}  // namespace
}  // namespace platform
