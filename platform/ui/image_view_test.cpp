#include "platform/ui/image_view.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "platform/foundation/test_application.h"
#include "platform/ui/testing/expect_rect.h"
#include "platform/ui/view_geometry.h"

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

// A picture much larger than the view: painted from a copy scaled once for the view's size, upright and where the
// fitting rule puts it, at the view's alpha; a new size or a new picture makes a new copy, painting again does not.
TEST_F(ImageViewTest, PaintsALargePictureFromACopyScaledOncePerSize) {
    // 2000 x 1000: top half red, bottom half blue, left eighth green.
    QImage picture(2000, 1000, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    QPainter(&picture).fillRect(0, 0, 2000, 500, Qt::red);
    QPainter(&picture).fillRect(0, 0, 250, 1000, Qt::green);
    const Image image = Image::fromBitmap(picture);

    ImageView view;
    view.resize(400, 400);
    view.setImageScaling(ImageScaling::ProportionallyUpOrDown);
    view.setImage(image);
    auto paint = [&view] {
        QImage shot(view.size(), QImage::Format_ARGB32_Premultiplied);
        shot.fill(Qt::transparent);
        view.render(&shot, QPoint(), QRegion(), QWidget::DrawChildren);
        return shot;
    };
    QImage shot = paint();
    // Fitted: 400 x 200 from y = 100 (Qt's rows).
    EXPECT_EQ(view.scaledCopy().size(), QSize(400, 200));
    EXPECT_EQ(shot.pixelColor(200, 150), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(200, 250), QColor(Qt::blue));
    EXPECT_EQ(shot.pixelColor(20, 150), QColor(Qt::green)) << "left is left";
    EXPECT_EQ(shot.pixelColor(200, 50).alpha(), 0) << "nothing above the picture";
    EXPECT_EQ(shot.pixelColor(200, 350).alpha(), 0) << "nothing below it";

    // Painted again: the same copy.
    const qint64 copy = view.scaledCopy().cacheKey();
    paint();
    view.setImage(image);  // the same picture handed over again
    paint();
    EXPECT_EQ(view.scaledCopy().cacheKey(), copy);

    // A new size: a new copy, once.
    view.resize(200, 300);
    shot = paint();
    EXPECT_EQ(view.scaledCopy().size(), QSize(200, 100));
    EXPECT_NE(view.scaledCopy().cacheKey(), copy);
    EXPECT_EQ(shot.pixelColor(100, 125), QColor(Qt::red));

    // Half transparent: the copy is painted at the view's alpha.
    setAlphaValue(&view, 0.5);
    shot = paint();
    EXPECT_NEAR(shot.pixelColor(100, 125).alphaF(), 0.5, 0.01);

    // A picture no larger than its place is drawn straight, with no copy kept.
    view.setImage(Image::fromBitmap(picture.scaled(100, 50)));
    setAlphaValue(&view, 1.0);
    shot = paint();
    EXPECT_TRUE(view.scaledCopy().isNull());
    EXPECT_EQ(shot.pixelColor(100, 125), QColor(Qt::red));
}

TEST_F(ImageViewTest, ALargePictureLandsInItsPlaceWhereverTheViewLiesInItsWindow) {
    // The view 40 points below the top of its window and 30 in from the left; the picture fills it when fitted.
    QImage picture(1600, 1200, QImage::Format_RGB32);
    picture.fill(Qt::red);
    QPainter(&picture).fillRect(0, 0, 1600, 120, Qt::green);  // its top tenth
    QWidget window;
    window.resize(460, 380);
    ImageView view(&window);
    view.setGeometry(30, 40, 400, 300);
    view.setImageScaling(ImageScaling::ProportionallyUpOrDown);
    view.setImage(Image::fromBitmap(picture));
    QImage shot(window.size(), QImage::Format_ARGB32_Premultiplied);
    shot.fill(Qt::transparent);
    window.render(&shot, QPoint(), QRegion(), QWidget::DrawChildren);
    ASSERT_FALSE(view.scaledCopy().isNull()) << "painted from the scaled copy";
    EXPECT_EQ(shot.pixelColor(230, 45), QColor(Qt::green)) << "the picture's top at the view's top";
    EXPECT_EQ(shot.pixelColor(230, 100), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(230, 335), QColor(Qt::red)) << "down to the view's bottom";
    EXPECT_EQ(shot.pixelColor(230, 345).alpha(), 0) << "and not past it";
    EXPECT_EQ(shot.pixelColor(35, 200), QColor(Qt::red));
    EXPECT_EQ(shot.pixelColor(25, 200).alpha(), 0);
}

}  // namespace
}  // namespace platform
