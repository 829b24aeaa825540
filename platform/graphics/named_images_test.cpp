// Bundle images by name: what is registered is found, a later registration replaces an earlier one, and an
// unknown name gives a null image.
#include "platform/graphics/named_images.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using platform::Image;
using platform::Size;

Image square(double side) {
  return Image::withSize({side, side}, [](platform::Canvas&, const platform::Rect&) { return true; });
}

TEST(NamedImagesTest, RegisteredNamesAreFoundAndTheLastRegistrationHolds) {
  EXPECT_TRUE(platform::imageNamed("NamedImagesTest_Nothing").isNull());
  ASSERT_TRUE(platform::registerImageNamed("NamedImagesTest_Square", [] { return square(12); }));
  Image found = platform::imageNamed("NamedImagesTest_Square");
  ASSERT_FALSE(found.isNull());
  EXPECT_EQ(found.size(), (Size{12, 12}));
  EXPECT_TRUE(found.hasDrawingHandler());
  platform::registerImageNamed("NamedImagesTest_Square", [] { return square(30); });
  EXPECT_EQ(platform::imageNamed("NamedImagesTest_Square").size(), (Size{30, 30}));
  EXPECT_TRUE(platform::imageNamed("namedimagestest_square").isNull()) << "names are exact";
  // A provider may look up another name (no lock is held while it runs).
  platform::registerImageNamed("NamedImagesTest_Alias", [] { return platform::imageNamed("NamedImagesTest_Square"); });
  EXPECT_EQ(platform::imageNamed("NamedImagesTest_Alias").size(), (Size{30, 30}));
  const auto names = platform::registeredImageNames();
  EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
  EXPECT_EQ(std::count(names.begin(), names.end(), "NamedImagesTest_Square"), 1);
}

}  // namespace
