#include "platform/ui/image_view.h"

#include <gtest/gtest.h>

#include <QImage>

#include "platform/foundation/test_application.h"
#include "platform/ui/testing/expect_rect.h"

namespace platform {
namespace {

using testing::expectRect;

class ImageViewTest : public ::testing::Test {
protected:
    void SetUp() override { ensureTestApplication(); }
};

TEST_F(ImageViewTest, EachScalingRulePlacesTheImageCentred) {
    using S = ImageScaling;
    struct Case {
        const char* what;
        Size image;
        Rect bounds;
        S scaling;
        Rect expected;
    };
    const Case cases[] = {
        {"wide, shrunk", {200, 100}, {0, 0, 100, 100}, S::ProportionallyDown, {0, 25, 100, 50}},
        {"wide, fitted", {200, 100}, {0, 0, 100, 100}, S::ProportionallyUpOrDown, {0, 25, 100, 50}},
        {"small, never grown", {40, 20}, {0, 0, 100, 100}, S::ProportionallyDown, {30, 40, 40, 20}},
        {"small, grown to fit", {40, 20}, {0, 0, 100, 100}, S::ProportionallyUpOrDown, {0, 25, 100, 50}},
        {"tall, grown to fit", {50, 200}, {0, 0, 100, 100}, S::ProportionallyUpOrDown, {37.5, 0, 25, 100}},
        {"a live-view frame in a wide window", {960, 640}, {0, 0, 1200, 600}, S::ProportionallyUpOrDown,
         {150, 0, 900, 600}},
        {"stretched", {40, 20}, {10, 5, 100, 60}, S::AxesIndependently, {10, 5, 100, 60}},
        {"own size, overhanging", {200, 100}, {0, 0, 100, 100}, S::None, {-50, 0, 200, 100}},
        {"bounds away from the origin", {40, 20}, {10, 20, 80, 80}, S::ProportionallyUpOrDown, {10, 40, 80, 40}},
        {"no image", {0, 20}, {0, 0, 100, 100}, S::ProportionallyUpOrDown, {0, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        expectRect(imageRectFor(c.image, c.bounds, c.scaling), c.expected);
    }
}

TEST_F(ImageViewTest, PaintsTheImageUprightInItsRectangle) {
    // Top half red, bottom half blue.
    QImage picture(40, 20, QImage::Format_ARGB32);
    picture.fill(Qt::blue);
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 40; ++x) picture.setPixelColor(x, y, Qt::red);

    struct Case {
        ImageScaling scaling;
        int redY, blueY;  // rows (Qt's, from the top) inside each half of the drawn image
        int emptyX, emptyY;
    };
    const Case cases[] = {
        {ImageScaling::ProportionallyUpOrDown, 35, 65, 50, 10},
        {ImageScaling::ProportionallyDown, 45, 55, 20, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.scaling));
        ImageView view;
        view.resize(100, 100);
        view.setImageScaling(c.scaling);
        view.setImage(Image::fromBitmap(picture));
        QImage shot(100, 100, QImage::Format_ARGB32_Premultiplied);
        shot.fill(Qt::transparent);
        view.render(&shot, QPoint(), QRegion(), QWidget::DrawChildren);  // the picture alone, no window fill
        EXPECT_EQ(shot.pixelColor(50, c.redY), QColor(Qt::red));
        EXPECT_EQ(shot.pixelColor(50, c.blueY), QColor(Qt::blue));
        EXPECT_EQ(shot.pixelColor(c.emptyX, c.emptyY).alpha(), 0);
    }
}

}  // namespace
}  // namespace platform
