// The EXIF line from the stand-in device's pictures of each maker (five fields without exposure compensation, six
// with it; the metering and white-balance icons asked for with the maker's property codes; icons and width moving
// with the text), and the grid drawn into an image: lines at the divisions, none for counts below 2, the colours
// by index.
#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QPainter>

#include "app/viewing/exif_view.h"
#include "app/viewing/grid_view.h"
#include "devicesim/jpeg_factory.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/ui/image_view.h"
#include "platform/ui/testing/offscreen_fixture.h"
#include "platform/ui/view_geometry.h"
#include "session/exif.h"

namespace {

using devicesim::Vendor;

std::shared_ptr<Exif> exifOf(Vendor vendor, int32_t biasNum, uint16_t iso = 400) {
  devicesim::JpegRecipe r = devicesim::vendorJpegRecipe(vendor);
  r.width = 240;
  r.height = 160;
  r.size = 40 * 1024;
  r.shooting->biasNum = biasNum;
  r.shooting->iso = iso;
  const auto jpeg = devicesim::jpegImage(r);
  return Exif::initWithData(jpeg->bytes.data(), jpeg->bytes.size(), 0x3801, 256000);
}

bool sameIcon(const icons::PropertyVisual& a, const icons::PropertyVisual& b) {
  return a.kind == b.kind && a.stem == b.stem && a.params == b.params && a.text == b.text;
}

class ExifViewTest : public platform::testing::OffscreenFixture {};

TEST_F(ExifViewTest, FiveFieldsWithoutCompensationAndSixWithIt) {
  ExifView view;
  view.resize(500, 30);
  for (const auto& [bias, fields] : {std::pair{-2, 6}, std::pair{0, 5}}) {
    const std::shared_ptr<Exif> exif = exifOf(Vendor::Canon, bias);
    ASSERT_TRUE(exif);
    view.setExif(exif);
    ASSERT_NE(view.textField(), nullptr);
    const QStringList parts = view.textField()->text().split("   ");
    EXPECT_EQ(parts.size(), fields) << view.textField()->text().toStdString();
    EXPECT_EQ(parts.front().toStdString(), exif->shutterSpeedString());
    EXPECT_EQ(parts.back().toStdString(), exif->sizeString());
    if (bias != 0) {
      EXPECT_EQ(parts[3].toStdString(), exif->exposureCompensationString());
    }
  }
  view.setExif(nullptr);
  EXPECT_EQ(view.textField(), nullptr);
  EXPECT_TRUE(view.findChildren<QWidget*>().isEmpty()) << "no picture: an empty view";
}

TEST_F(ExifViewTest, IconsAreAskedForWithTheMakersPropertyCodes) {
  struct Case {
    Vendor vendor;
    uint32_t metering, whiteBalance;
  };
  for (const Case& c : {Case{Vendor::Canon, 0xD107, 0xD109}, Case{Vendor::Fuji, 0xD107, 0xD109},
                        Case{Vendor::Nikon, 0x500B, 0x5005}, Case{Vendor::Sony, 0x500B, 0x5005}}) {
    SCOPED_TRACE(int(c.vendor));
    const std::shared_ptr<Exif> exif = exifOf(c.vendor, -2);
    ASSERT_TRUE(exif);
    ExifView view;
    view.setExif(exif);
    const platform::Size size{20, 20};
    EXPECT_TRUE(sameIcon(view.meteringVisual(), VorlaxentStyleKit::imageOfMeteringMode_WithSize(
                                                    size, c.metering, exif->meteringMode(), false, false, false)));
    EXPECT_TRUE(sameIcon(view.whiteBalanceVisual(), VorlaxentStyleKit::imageOfWhiteBalance_WithSize(
                                                        size, c.whiteBalance, exif->whiteBalance(), false, false, false)));
    ASSERT_NE(view.meteringView(), nullptr);
    EXPECT_EQ(platform::frameOf(view.meteringView()).size.width, 20);
  }
}

TEST_F(ExifViewTest, ALongerLineMovesTheIconsAndWidensTheView) {
  ExifView view;
  platform::setFrame(&view, {30, 10, 200, 30});
  view.setExif(exifOf(Vendor::Nikon, 0, 100));
  const double shortText = platform::frameOf(view.textField()).maxX();
  const platform::Rect metering = platform::frameOf(view.meteringView());
  const platform::Rect whiteBalance = platform::frameOf(view.whiteBalanceView());
  EXPECT_DOUBLE_EQ(platform::frameOf(view.textField()).x(), 8);
  EXPECT_DOUBLE_EQ(platform::frameOf(view.textField()).y(), 4);
  EXPECT_DOUBLE_EQ(metering.x(), shortText + 8);
  EXPECT_DOUBLE_EQ(metering.y(), 2);
  EXPECT_DOUBLE_EQ(whiteBalance.x(), metering.maxX() + 8);
  EXPECT_DOUBLE_EQ(platform::frameOf(&view).width(), whiteBalance.maxX() + 8);
  EXPECT_DOUBLE_EQ(platform::frameOf(&view).x(), 30) << "the origin and height stay";
  EXPECT_DOUBLE_EQ(platform::frameOf(&view).height(), 30);

  view.setExif(exifOf(Vendor::Nikon, -5, 12800));  // compensation and a longer ISO
  EXPECT_GT(platform::frameOf(view.textField()).maxX(), shortText);
  EXPECT_GT(platform::frameOf(view.meteringView()).x(), metering.x());
  EXPECT_DOUBLE_EQ(platform::frameOf(&view).width(), platform::frameOf(view.whiteBalanceView()).maxX() + 8);
}

// What the grid draws over a black background.
QImage renderGrid(GridView& grid) {
  QImage image(grid.size(), QImage::Format_ARGB32);
  image.fill(Qt::black);
  QPainter painter(&image);
  grid.render(&painter, {}, {}, QWidget::DrawChildren);
  return image;
}

class GridViewTest : public platform::testing::OffscreenFixture {};

TEST_F(GridViewTest, ThreeByThreeDrawsTwoLinesEachWayAtTheThirds) {
  GridView grid;
  grid.resize(300, 150);
  grid.setGridColor(1);
  grid.setHorizontalLines(3, 3);
  const QImage image = renderGrid(grid);
  const auto lit = [&](int x, int y) { return qGray(image.pixel(x, y)) > 100; };
  // Vertical lines at x = 100 and 200, horizontal ones at y = 50 and 100 (the same from either end).
  int vertical = 0, horizontal = 0;
  for (int x = 0; x < 300; ++x) vertical += lit(x, 20) ? 1 : 0;
  for (int y = 0; y < 150; ++y) horizontal += lit(40, y) ? 1 : 0;
  EXPECT_GE(vertical, 2);
  EXPECT_LE(vertical, 4);
  EXPECT_TRUE(lit(100, 20) || lit(99, 20));
  EXPECT_TRUE(lit(200, 20) || lit(199, 20));
  EXPECT_TRUE(lit(40, 50) || lit(40, 49));
  EXPECT_TRUE(lit(40, 100) || lit(40, 99));
  EXPECT_GE(horizontal, 2);
  EXPECT_LE(horizontal, 4);

  for (const auto& [h, v] : {std::pair{1, 0}, std::pair{0, 1}, std::pair{-3, 1}}) {
    grid.setHorizontalLines(h, v);
    const QImage none = renderGrid(grid);
    int litPixels = 0;
    for (int y = 0; y < 150; ++y)
      for (int x = 0; x < 300; ++x) litPixels += qGray(none.pixel(x, y)) > 20 ? 1 : 0;
    EXPECT_EQ(litPixels, 0) << h << " x " << v;
  }
}

TEST_F(GridViewTest, ColoursAndNamesByIndex) {
  struct Case {
    int index;
    platform::Color color;
    const char* colorName;
    const char* linesName;
  };
  const platform::Color gray = platform::Color::white(0.5);
  for (const Case& c : {Case{0, gray, "Gray", "3x3"}, Case{1, platform::Color::whiteColor(), "White", "6x4"},
                        Case{2, platform::Color::blackColor(), "Black", "5x3"}, Case{3, platform::Color::rgb(1, 0, 0), "Red", "Off"},
                        Case{4, gray, "Gray", "Off"}, Case{-1, gray, "Gray", "Off"}}) {
    GridView grid;
    grid.setGridColor(c.index);
    EXPECT_EQ(grid.gridColor(), c.color) << c.index;
    EXPECT_EQ(GridView::stringForColor(c.index).toStdString(), c.colorName);
    EXPECT_EQ(GridView::stringForGridLines(c.index).toStdString(), c.linesName);
  }
  // Drawn in the colour chosen.
  GridView grid;
  grid.resize(90, 90);
  grid.setHorizontalLines(3, 0);
  grid.setGridColor(3);
  const QColor line = renderGrid(grid).pixelColor(45, 60);
  const QColor alt = renderGrid(grid).pixelColor(45, 59);
  const QColor drawn = line.red() > alt.red() ? line : alt;
  EXPECT_GT(drawn.red(), 120);
  EXPECT_LT(drawn.green(), 40);
}

}  // namespace
