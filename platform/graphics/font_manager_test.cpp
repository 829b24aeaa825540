#include "platform/graphics/font_manager.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace platform {
namespace {

// The project's machines install the Liberation and Lato families (scripts/setup).
TEST(FontManagerTest, ListsInstalledFontsByPostScriptNameAndFindsTheMissingOnes) {
    const std::vector<std::string> fonts = availableFonts();
    ASSERT_FALSE(fonts.empty());
    EXPECT_TRUE(std::is_sorted(fonts.begin(), fonts.end()));
    EXPECT_EQ(std::adjacent_find(fonts.begin(), fonts.end()), fonts.end());
    for (const char* name : {"LiberationSans", "LiberationSans-Bold", "Lato-Regular"}) {
        EXPECT_TRUE(std::binary_search(fonts.begin(), fonts.end(), name)) << name;
    }
    // Family names and near misses are not PostScript names.
    EXPECT_EQ(missingFonts({"NoSuchFont-Bold", "LiberationSans-Bold", "Liberation Sans", "liberationsans", "Lato-Regular"}),
              (std::vector<std::string>{"NoSuchFont-Bold", "Liberation Sans", "liberationsans"}));
    EXPECT_TRUE(missingFonts({}).empty());
}

}  // namespace
}  // namespace platform
