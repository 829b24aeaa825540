#include "platform/ui/color_controls.h"

#include <gtest/gtest.h>

#include <QWidget>

#include "platform/foundation/test_application.h"

namespace platform {
namespace {

class ColorControlsTest : public ::testing::Test {
protected:
    void SetUp() override { ensureTestApplication(); }
};

TEST_F(ColorControlsTest, EachControlChangesThePixelAsItsFormulaSays) {
    struct Case {
        const char* what;
        QColor in;
        ColorControls controls;
        QColor expected;
    };
    const Case cases[] = {
        {"defaults leave it alone", QColor(10, 120, 240), {}, QColor(10, 120, 240)},
        {"full brightness makes it white, alpha kept", QColor(20, 40, 60, 128), {1, 1, 1}, QColor(255, 255, 255, 128)},
        {"brightness adds", QColor(100, 100, 100), {1, 0.2, 1}, QColor(151, 151, 151)},
        {"saturation 0 gives the luma grey", QColor(255, 0, 0), {0, 0, 1}, QColor(54, 54, 54)},  // 0.2125 * 255
        {"contrast 2 spreads about the middle", QColor(191, 64, 128), {1, 0, 2}, QColor(255, 0, 128)},
        {"contrast 0 gives middle grey", QColor(0, 255, 30), {1, 0, 0}, QColor(128, 128, 128)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QImage one(1, 1, QImage::Format_ARGB32);
        one.setPixelColor(0, 0, c.in);
        const QColor out = applyColorControls(one, c.controls).pixelColor(0, 0);
        EXPECT_NEAR(out.red(), c.expected.red(), 1);
        EXPECT_NEAR(out.green(), c.expected.green(), 1);
        EXPECT_NEAR(out.blue(), c.expected.blue(), 1);
        EXPECT_NEAR(out.alpha(), c.expected.alpha(), 1);
    }
}

// As a progress indicator uses it: a dark control drawn at full brightness, children included.
TEST_F(ColorControlsTest, AsAContentFilterItBrightensWhatTheWidgetAndItsChildrenDraw) {
    QWidget outer;
    outer.resize(60, 40);
    outer.setStyleSheet("background: rgb(0, 0, 0);");
    outer.setAttribute(Qt::WA_StyledBackground);
    QWidget control(&outer);
    control.setGeometry(10, 10, 30, 20);
    control.setAutoFillBackground(true);
    QPalette pal = control.palette();
    pal.setColor(QPalette::Window, QColor(40, 40, 40));
    control.setPalette(pal);
    control.setGraphicsEffect(new ColorControlsEffect({1, 1, 1}));
    QImage shot = outer.grab().toImage();
    EXPECT_EQ(shot.pixelColor(20, 20), QColor(Qt::white));
    EXPECT_EQ(shot.pixelColor(5, 5), QColor(Qt::black));  // outside the filtered control
}

}  // namespace
}  // namespace platform
