// The value mapping, as tables: property code and value -> which icon (stem), its colour and parameters, or which
// text. Nothing is rendered; the visual carries how its image was asked for.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "icons/properties/image_format_labels.h"
#include "icons/properties/vorlaxent_style_kit.h"
#include "platform/foundation/test_application.h"

namespace {

using icons::PropertyVisual;
using platform::Size;
using K = VorlaxentStyleKit;

struct Rgb {
  double r, g, b;
};
constexpr Rgb kWhite{1, 1, 1}, kBlue{0, 0.5, 1}, kGrey{0.7, 0.7, 0.7};

void expectColour(const PropertyVisual& v, Rgb c) {
  EXPECT_DOUBLE_EQ(v.params.r, c.r);
  EXPECT_DOUBLE_EQ(v.params.g, c.g);
  EXPECT_DOUBLE_EQ(v.params.b, c.b);
}

class PropertyVisualsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::ensureTestApplication();
    vendorStateReset();
    propStoreReset();
    icons::setImageFormatLabelSources({});
  }
  void TearDown() override {
    vendorStateReset();
    propStoreReset();
    icons::setImageFormatLabelSources({});
  }
  // A record of the store with a code and display name.
  static PropertyStruct* record(uint32_t code, const char* name) {
    PropertyStruct* r = propCreate(code);
    r->name = name;
    return r;
  }
};

struct WbCase {
  uint32_t code;
  uint32_t value;
  bool fuji;
  const char* stem;  // none: no icon
  const char* text;
};

TEST_F(PropertyVisualsTest, WhiteBalanceValuesPickTheirIconsPerVendor) {
  const WbCase cases[] = {
      {0xD109, 0, false, "WhiteBalance_Auto", ""},           {0xD109, 4, false, "WhiteBalance_Flourescent", ""},
      {0xD109, 6, false, "WhiteBalance_Custom", ""},         {0xD109, 19, false, "WhiteBalance_Custom", ""},
      {0xD109, 8, false, "WhiteBalance_Shade", ""},          {0xD109, 9, false, "WhiteBalance_ColorTemperature", ""},
      {0xD109, 23, false, "WhiteBalance_AutoW", ""},         {0xD109, 7, false, "WhiteBalance_Preset", ""},
      {0xD109, 17, false, "WhiteBalance_Preset", ""},        {0xD109, 100, false, "WhiteBalance_Preset", ""},
      {0x5005, 2, false, "WhiteBalance_Auto", ""},           {0x5005, 3, false, nullptr, ""},
      {0x5005, 3, true, nullptr, ""},                        {0x5005, 8, true, "WhiteBalance_AutoUnderwater", ""},
      {0x5005, 0x8001, true, "WhiteBalance_FlourescentText", "+1"},
      {0x5005, 0x8001, false, "WhiteBalance_FlourescentText", "-1"},
      {0x5005, 0x8002, false, "WhiteBalance_FlourescentText", "0"},
      {0x5005, 0x8002, true, "WhiteBalance_FlourescentText", "+2"},
      {0x5005, 0x8004, true, "WhiteBalance_FlourescentText", "+2"},
      {0x5005, 0x8006, true, "WhiteBalance_Shade", ""},      {0x5005, 0x8006, false, nullptr, ""},
      {0x5005, 0x8007, true, "WhiteBalance_ColorTemperature", ""},
      {0x5005, 0x8009, true, "WhiteBalance_CustomText", "2"}, {0x5005, 0x8009, false, nullptr, ""},
      {0x5005, 0x8010, false, "WhiteBalance_Cloudy", ""},    {0x5005, 0x8016, true, "WhiteBalance_AutoNaturalLight", ""},
      {0x5005, 0x8022, false, "WhiteBalance_CustomText", "3"},
      {0x5005, 0x8030, false, "WhiteBalance_AutoUnderwater", ""},
      {0x5005, 0x8014, false, nullptr, ""},                  {0x500B, 2, false, nullptr, ""},
  };
  for (const WbCase& c : cases) {
    camSetVendor(c.fuji ? VENDOR_FUJI : VENDOR_NIKON);
    const PropertyVisual v = K::imageOfWhiteBalance_WithSize(Size{30, 30}, c.code, c.value, false, false, false);
    SCOPED_TRACE(testing::Message() << std::hex << c.code << " " << c.value << (c.fuji ? " fuji" : ""));
    if (!c.stem) {
      EXPECT_TRUE(v.isNone());
      continue;
    }
    ASSERT_TRUE(v.isImage());
    EXPECT_EQ(v.stem, c.stem);
    EXPECT_EQ(v.params.text1.toStdString(), c.text);
    EXPECT_FALSE(v.image.isNull());
  }
}

TEST_F(PropertyVisualsTest, WhiteBalanceFontSizesFollowTheHeight) {
  camSetVendor(VENDOR_FUJI);
  // Text variants at a third of the height, the W of AutoW at 0.15 of it.
  EXPECT_DOUBLE_EQ(K::imageOfWhiteBalance_WithSize(Size{30, 30}, 0x5005, 0x8001, false, false, false).params.fontSize, 10);
  EXPECT_DOUBLE_EQ(K::imageOfWhiteBalance_WithSize(Size{30, 30}, 0x5005, 0x8008, false, false, false).params.fontSize, 10);
  EXPECT_DOUBLE_EQ(K::imageOfWhiteBalance_WithSize(Size{30, 30}, 0xD109, 23, false, false, false).params.fontSize, 4.5);
  const PropertyVisual shadowed = K::imageOfWhiteBalance_WithSize(Size{44, 30}, 0xD109, 1, false, false, true);
  EXPECT_TRUE(shadowed.params.showShadow);
  EXPECT_EQ(shadowed.size, (Size{44, 30}));
}

struct StateCase {
  bool highlighted, disabled;
  Rgb colour;
};

TEST_F(PropertyVisualsTest, StateColoursAndTheirPrecedencePerSelector) {
  // White balance and metering: disabled wins. Drive modes and movie AF area: highlighted wins.
  const StateCase disabledWins[] = {{false, false, kWhite}, {true, false, kBlue}, {false, true, kGrey}, {true, true, kGrey}};
  const StateCase highlightWins[] = {{false, false, kWhite}, {true, false, kBlue}, {false, true, kGrey}, {true, true, kBlue}};
  for (const StateCase& c : disabledWins) {
    expectColour(K::imageOfWhiteBalance_WithSize(Size{30, 30}, 0xD109, 1, c.highlighted, c.disabled, false), c.colour);
    expectColour(K::imageOfMeteringMode_WithSize(Size{30, 30}, 0xD107, 3, c.highlighted, c.disabled, false), c.colour);
  }
  for (const StateCase& c : highlightWins) {
    expectColour(K::imageOfDriveMode_WithSize(Size{30, 30}, 0xD106, 0, c.disabled, c.highlighted), c.colour);
    expectColour(K::imageOfSonyDriveMode_WithSize(Size{30, 30}, 0x5013, 1, c.disabled, c.highlighted), c.colour);
    expectColour(K::imageOfMovieAfAreaMode_WithSize(Size{30, 30}, 0xD1F8, 0x8010, c.disabled, c.highlighted), c.colour);
  }
  // The focus-area selector knows only highlighted and white.
  expectColour(K::imageOfFocusArea_WithSize(Size{30, 30}, 0xD22C, 1, false), kWhite);
  expectColour(K::imageOfFocusArea_WithSize(Size{30, 30}, 0xD22C, 1, true), kBlue);
}

TEST_F(PropertyVisualsTest, MeteringValuesPickTheirIcons) {
  const std::tuple<uint32_t, uint32_t, const char*> cases[] = {
      {0x500B, 1, "MeteringMode_CenterWeighted"},        {0x500B, 2, "MeteringMode_CenterWeighted_NIKON"},
      {0x500B, 3, "MeteringMode_MultiPattern"},          {0x500B, 4, "MeteringMode_Spot_NIKON"},
      {0x500B, 0x8001, "MeteringMode_MultiPattern"},     {0x500B, 0x8003, "Sony_MeteringMode_EntireScreenAverage"},
      {0x500B, 0x8004, "Sony_MeteringMode_SpotStandard"}, {0x500B, 0x8005, "Sony_MeteringMode_SpotLarge"},
      {0x500B, 0x8006, "Sony_MeteringMode_Highlight"},   {0x500B, 0x8010, "MeteringMode_HighlightWeighted"},
      {0x500B, 0, nullptr},                              {0xD107, 0, "MeteringMode_CenterWeighted"},
      {0xD107, 5, "MeteringMode_CenterWeighted"},        {0xD107, 6, "MeteringMode_Spot"},
      {0xD107, 3, "MeteringMode_Evaluative"},            {0xD107, 4, "MeteringMode_Partial"},
      {0xD107, 2, nullptr},                              {0xD107, 7, nullptr},
      {0x5005, 1, nullptr},
  };
  for (const auto& [code, value, stem] : cases) {
    const PropertyVisual v = K::imageOfMeteringMode_WithSize(Size{40, 30}, code, value, false, false, true);
    SCOPED_TRACE(testing::Message() << std::hex << code << " " << value);
    if (!stem) {
      EXPECT_TRUE(v.isNone());
      continue;
    }
    EXPECT_EQ(v.stem, stem);
    EXPECT_TRUE(v.params.showShadow);
  }
}

struct BracketCase {
  uint32_t value;
  const char* stem;
  const char* text1;
  const char* text2;
  double fontOffset;  // from a quarter of the width
};

TEST_F(PropertyVisualsTest, SonyDriveModesDecodeTimersAndBrackets) {
  const BracketCase cases[] = {
      {0x0001, "DriveMode_Single", "", "", 0},
      {0x10002, "DriveMode_ContinuousHighSpeed", "", "", 0},
      {0x8010, "DriveMode_ContinuousHighPlus", "", "", 0},
      {0x8015, "DriveMode_ContinuousMedium", "", "", 0},
      {0x8004, "DriveMode_TimerSecondsCounter", "10s", "", 0},
      {0x8008, "DriveMode_TimerSecondsCounter", "", "3", 0},
      {0x800E, "DriveMode_TimerSecondsCounter", "2s", "3", 0},
      {0x8018, "DriveMode_SonyBracket", "WB", "LO", 0},
      {0x8029, "DriveMode_SonyBracket", "DRO", "HI", 0},
      {0x8040, "DriveMode_SonyBracket", "Focus", "\t", 0},
      {0x8337, "DriveMode_SonyBracket", "0.3EV 3", "C", 0},
      {0x48337, "DriveMode_SonyBracket", "0.3EV 3", "C", 0},
      {0xC23E, "DriveMode_SonyBracket", "0.3EV 2-", "S", 0},
      {0x5C236, "DriveMode_SonyBracket", "0.3EV 2+", "S", -0.5},
      {0xC291, "DriveMode_SonyBracket", "2.7EV 2+", "C", -0.5},
      {0xC299, "DriveMode_SonyBracket", "2.7EV 2-", "C", 0},
      {0x8381, "DriveMode_SonyBracket", "1.7EV 3", "C", 0},
      {0x8391, "DriveMode_SonyBracket", "2.7EV 3", "C", 0},
      {0x8530, "DriveMode_SonyBracket", "3.0EV 5", "S", 0},
      {0x8720, "DriveMode_SonyBracket", "2.0EV 7", "S", 0},
      {0x8910, "DriveMode_SonyBracket", "1.0EV 9", "S", 0},
      {0x8750, nullptr, "", "", 0},  // 7 images stop at 2.0 EV
      {0x8920, nullptr, "", "", 0},  // 9 images stop at 1.0 EV
      {0x800A, nullptr, "", "", 0},
      {0x8338, nullptr, "", "", 0},  // a step byte that is no step
      {0x8137, nullptr, "", "", 0},  // a count byte that is no count
  };
  for (const BracketCase& c : cases) {
    const PropertyVisual v = K::imageOfSonyDriveMode_WithSize(Size{60, 40}, 0x5013, c.value, false, false);
    SCOPED_TRACE(testing::Message() << std::hex << c.value);
    if (!c.stem) {
      EXPECT_TRUE(v.isNone());
      continue;
    }
    ASSERT_TRUE(v.isImage());
    EXPECT_EQ(v.stem, c.stem);
    EXPECT_EQ(v.params.text1.toStdString(), c.text1);
    EXPECT_EQ(v.params.text2.toStdString(), c.text2);
    if (!v.params.text1.isEmpty() || !v.params.text2.isEmpty()) {
      EXPECT_DOUBLE_EQ(v.params.fontSize, 15 + c.fontOffset);
    }
  }
}

struct DriveCase {
  uint32_t code;
  uint32_t value;
  const char* stem;  // none with text: a text; none without: nothing
  const char* text;
};

TEST_F(PropertyVisualsTest, GenericDriveModesPerCode) {
  const DriveCase cases[] = {
      {0x5013, 0x0002, "DriveMode_Continuous", nullptr}, {0x5013, 0x8010, "DriveMode_ContinuousLowSpeed", nullptr},
      {0x5013, 0x8012, nullptr, "MUP"},                  {0x5013, 0x8013, nullptr, "LV"},
      {0x5013, 0x8100, nullptr, "Custom"},               {0x5013, 3, nullptr, "3"},
      {0x5013, 0xFFFFFFFE, nullptr, "-2"},               {0x5013, 0x8017, "DriveMode_Remote", nullptr},
      {0x5013, 0x8178, "DriveMode_Continuous120", nullptr}, {0x5013, 0x8019, "DriveMode_ContinuousExtended", nullptr},
      {0xD1A1, 0, "DriveMode_Single", nullptr},          {0xD1A1, 1, "DriveMode_ContinuousLowSpeed", nullptr},
      {0xD1A1, 3, nullptr, nullptr},                     {0xD106, 0x12, "DriveMode_ContinuousHighPlus", nullptr},
      {0xD106, 0x11, "DriveMode_Timer2Sec", nullptr},    {0xD106, 0x16, "DriveMode_SilentContinuousLow", nullptr},
      {0xD106, 2, nullptr, nullptr},                     {0xD106, 0x17, nullptr, nullptr},
      {0x500B, 1, nullptr, nullptr},
  };
  for (const DriveCase& c : cases) {
    const PropertyVisual v = K::imageOfDriveMode_WithSize(Size{60, 40}, c.code, c.value, false, false);
    SCOPED_TRACE(testing::Message() << std::hex << c.code << " " << c.value);
    if (c.stem) {
      EXPECT_EQ(v.stem, c.stem);
    } else if (c.text) {
      ASSERT_TRUE(v.isText());
      EXPECT_EQ(v.text.toStdString(), c.text);
    } else {
      EXPECT_TRUE(v.isNone());
    }
  }
  const PropertyVisual timer = K::imageOfDriveMode_WithSize(Size{60, 40}, 0xD106, 7, false, false);
  EXPECT_EQ(timer.stem, "DriveMode_TimerSeconds");
  EXPECT_EQ(timer.params.text1, QStringLiteral("C"));
  EXPECT_DOUBLE_EQ(timer.params.fontSize, 15);
}

TEST_F(PropertyVisualsTest, DispatchByCodeAndDisplayName) {
  // Drive mode 0x5013: "drive" in any case in the display name goes to the Sony selector.
  const Size button{60, 40};
  EXPECT_EQ(K::visualForProperty(record(0x5013, "Drive Mode"), 0x8010, button, false, false).stem,
            "DriveMode_ContinuousHighPlus");
  propStoreReset();
  EXPECT_EQ(K::visualForProperty(record(0x5013, "still DRIVE"), 0x8010, button, false, false).stem,
            "DriveMode_ContinuousHighPlus");
  propStoreReset();
  EXPECT_EQ(K::visualForProperty(record(0x5013, "Capture Mode"), 0x8010, button, false, false).stem,
            "DriveMode_ContinuousLowSpeed");
  propStoreReset();
  EXPECT_EQ(K::visualForProperty(record(0x5013, nullptr), 0x8010, button, false, false).stem,
            "DriveMode_ContinuousLowSpeed");
  propStoreReset();
  // 0xD106 value 6 is the text "S"; 0xD108 value 3 the text "Manual".
  EXPECT_EQ(K::visualForProperty(record(0xD106, nullptr), 6, button, false, false).text, QStringLiteral("S"));
  EXPECT_EQ(K::visualForProperty(propFind(0xD106), 0, button, false, false).stem, "DriveMode_Single");
  EXPECT_EQ(K::visualForProperty(record(0xD108, nullptr), 3, button, false, false).text, QStringLiteral("Manual"));
  // No selector and no name for the value: the value in decimal.
  EXPECT_EQ(K::visualForProperty(propFind(0xD108), 7, button, false, false).text, QStringLiteral("7"));
  EXPECT_EQ(K::visualForProperty(record(0x1234, nullptr), 0xFFFFFFFF, button, false, false).text, QStringLiteral("-1"));
  // White balance is square even on a wide button; metering keeps the full size.
  const PropertyVisual wb = K::visualForProperty(record(0xD109, nullptr), 1, button, false, false);
  EXPECT_EQ(wb.size, (Size{40, 40}));
  EXPECT_FALSE(wb.params.showShadow);
  EXPECT_EQ(K::visualForProperty(record(0x500B, nullptr), 1, button, false, false).size, button);
  EXPECT_EQ(K::visualForProperty(record(0xD22C, nullptr), 0x1103, button, true, false).stem, "Sony_FocusArea_Custom3");
  EXPECT_EQ(K::visualForProperty(record(0xD1F8, nullptr), 0x8019, button, false, false).stem, "Nikon_MovieAfArea_WideL");
  EXPECT_TRUE(K::visualForProperty(nullptr, 1, button, false, false).isNone());
}

TEST_F(PropertyVisualsTest, FocusAreaAndMovieAfArea) {
  const std::pair<uint32_t, const char*> focus[] = {
      {0x0001, "Sony_FocusArea_Wide"},          {0x0104, "Sony_FocusArea_ExpandFlexibleSpot"},
      {0x0106, "Sony_FocusArea_FlexibleSpotXSmall"}, {0x0207, "Sony_FocusArea_Tracking_ExpandFlexibleSpot"},
      {0x1101, "Sony_FocusArea_Custom1"},       {0x0101, "Sony_FocusArea_FlexibleSpotSmall"},
      {0x0103, "Sony_FocusArea_FlexibleSpotLarge"},
  };
  for (const auto& [value, stem] : focus)
    EXPECT_EQ(K::imageOfFocusArea_WithSize(Size{30, 30}, 0, value, false).stem, stem) << std::hex << value;
  for (uint32_t value : {0x0105u, 0x0000u, 0x10001u}) {
    const PropertyVisual v = K::imageOfFocusArea_WithSize(Size{30, 30}, 0xD22C, value, false);
    ASSERT_TRUE(v.isText()) << std::hex << value;
    EXPECT_TRUE(v.text.isEmpty());
  }
  EXPECT_EQ(K::imageOfMovieAfAreaMode_WithSize(Size{30, 30}, 0xD1F8, 0x8011, false, false).stem, "Nikon_MovieAfArea_Auto");
  EXPECT_TRUE(K::imageOfMovieAfAreaMode_WithSize(Size{30, 30}, 0xD1F8, 0x8012, false, false).isNone());
  EXPECT_TRUE(K::imageOfMovieAfAreaMode_WithSize(Size{30, 30}, 0xD1F9, 0x8010, false, false).isNone());
}

// A Canon image-format value of one part (kind, size, quality) or two.
uint32_t canonOne(uint32_t kind, uint32_t size, uint32_t quality) {
  return 0x10000000u | kind << 24 | size << 18 | quality << 14;
}
uint32_t canonTwo(uint32_t kind1, uint32_t size1, uint32_t q1, uint32_t kind2, uint32_t size2, uint32_t q2) {
  return 0x20000000u | kind1 << 24 | size1 << 18 | q1 << 14 | kind2 << 10 | size2 << 4 | q2;
}

struct FormatCase {
  uint32_t value;
  const char* stem;  // none: nothing
  const char* size;
  const char* rawSize;
  unsigned compression;
};

TEST_F(PropertyVisualsTest, CanonImageFormatsBecomeButtons) {
  const FormatCase cases[] = {
      {canonOne(1, 0, 3), "ImageFormat_Jpeg", "L", "", 2},
      {canonOne(1, 1, 2), "ImageFormat_Jpeg", "M", "", 0},
      {canonOne(1, 5, 4), "ImageFormat_Jpeg", "M1", "", 1},
      {canonOne(1, 15, 3), "ImageFormat_Jpeg", "S2", "", 1},  // sizes 15 and 16 never show a badge
      {canonOne(1, 16, 2), "ImageFormat_Jpeg", "S3", "", 1},
      {canonOne(1, 3, 3), "ImageFormat_Jpeg", "", "", 2},     // no letters for size 3
      {canonOne(6, 0, 4), "ImageFormat_Raw", "", "", 1},
      {canonOne(6, 1, 4), "ImageFormat_Raw", "M", "", 1},
      {canonOne(6, 2, 4), "ImageFormat_Raw", "S", "", 1},
      {canonOne(6, 1, 3), "ImageFormat_Raw", "C", "", 1},      // quality 3 reads C whatever the size
      {canonTwo(6, 1, 4, 1, 14, 3), "ImageFormat_RawPlusJpeg", "S1", "M", 2},
      {canonTwo(1, 2, 2, 6, 0, 3), "ImageFormat_RawPlusJpeg", "S", "C", 0},
      {0x0FFFFFFF, nullptr, "", "", 0},
      {canonOne(3, 0, 3), nullptr, "", "", 0},
  };
  for (const FormatCase& c : cases) {
    const PropertyVisual v = K::imageOfImageFormat_WithSize(Size{60, 40}, 0xD120, c.value, true);
    SCOPED_TRACE(testing::Message() << std::hex << c.value);
    if (!c.stem) {
      EXPECT_TRUE(v.isNone());
      continue;
    }
    ASSERT_TRUE(v.isImage());
    EXPECT_EQ(v.stem, c.stem);
    EXPECT_EQ(v.button.size.toStdString(), c.size);
    EXPECT_EQ(v.button.rawSize.toStdString(), c.rawSize);
    if (v.stem != "ImageFormat_Raw") {
      EXPECT_EQ(v.button.compression, c.compression);
    }
    EXPECT_TRUE(v.button.highlighted);
    EXPECT_TRUE(v.button.enabled);
    EXPECT_EQ(v.image.size(), (Size{60, 40}));
  }
}

TEST_F(PropertyVisualsTest, VendorImageFormatLabelsAreOwnedTexts) {
  for (uint32_t code : {0x5004u, 0xD018u, 0xD120u, 0xD253u, 0x1234u})
    EXPECT_EQ(K::imageOfImageFormat_WithSize(Size{60, 40}, code, 0xFFFFFFFF, false).text, QStringLiteral("--"));
  // Without a label source the text is empty; with one, the source of the session's vendor answers.
  EXPECT_EQ(K::imageOfImageFormat_WithSize(Size{60, 40}, 0x5004, 4, false).text, QString());
  icons::ImageFormatLabelSources sources;
  sources.sony = [](uint32_t v) { return std::optional<std::string>("sony " + std::to_string(v)); };
  sources.nikon = [](uint32_t v) { return std::optional<std::string>("nikon " + std::to_string(v)); };
  sources.fuji = [](uint32_t) { return std::optional<std::string>(); };
  icons::setImageFormatLabelSources(sources);
  camSetVendor(VENDOR_SONY);
  EXPECT_EQ(K::imageOfImageFormat_WithSize(Size{60, 40}, 0xD253, 4, false).text, QStringLiteral("sony 4"));
  camSetVendor(VENDOR_NIKON);
  EXPECT_EQ(K::imageOfImageFormat_WithSize(Size{60, 40}, 0x5004, 7, false).text, QStringLiteral("nikon 7"));
  const PropertyVisual fuji = K::imageOfImageFormat_WithSize(Size{60, 40}, 0xD018, 3, false);
  ASSERT_TRUE(fuji.isText());
  EXPECT_TRUE(fuji.text.isEmpty());
  EXPECT_TRUE(K::imageOfImageFormat_WithSize(Size{60, 40}, 0x1234, 3, false).isNone());
}

TEST_F(PropertyVisualsTest, ByDefaultTheVendorModulesLabelTheirImageFormats) {
  // Each module says "--" for its no-format value; a missing source would give no text at all.
  const icons::ImageFormatLabelSources modules = icons::defaultImageFormatLabelSources();
  ASSERT_TRUE(modules.sony && modules.nikon && modules.fuji);
  EXPECT_EQ(modules.nikon(0xFFFFFFFF), std::optional<std::string>("--"));
  EXPECT_EQ(modules.fuji(0xFFFFFFFF), std::optional<std::string>("--"));
}

TEST_F(PropertyVisualsTest, TextsStayTheirOwnWhenMappedFromSeveralThreads) {
  // Each thread maps values of a property without a selector; every text must be its own value's, never one
  // that another thread's call left in a shared buffer.
  PropertyStruct* r = record(0x1234, nullptr);
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([&, t] {
      for (uint32_t v = 0; v < 2000; ++v) {
        const uint32_t value = uint32_t(t) * 100000 + v;
        if (K::visualForProperty(r, value, Size{60, 40}, false, false).text != QString::number(value)) ++wrong;
      }
    });
  for (std::thread& th : threads) th.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
