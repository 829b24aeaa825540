// Result-code messages: a few rows of each table with every vendor, the fixed texts, which codes have texts at all
// and that no two share one, the vendor rows and the "0x%X" fallback; and every key has a real text.
#include "session/ptp_errors.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "engine/ptp/vendor_state.h"
#include "platform/foundation/localized_strings.h"
#include "platform/foundation/test_application.h"

namespace {

struct Row {
  uint16_t code;
  const char* key;
};

// A few rows of each table, with the keys the list of result codes gives them: the ends of each run of codes and
// some between, so that a row moved to a neighbouring code or given a neighbour's key shows.
const std::vector<Row> kCommonRows = {
    {0x0001, "RELAY_RESPONSE_ERROR"},
    {0x2000, "PTP_Response_Undefined"},
    {0x2001, "PTP_Response_OK"},
    {0x2004, "PTP_Response_InvalidTransactionID"},
    {0x200C, "PTP_Response_StoreFull"},
    {0x2019, "PTP_Response_DeviceBusy"},
    {0x201C, "PTP_Response_InvalidDevicePropValue"},
    {0x201D, "PTP_Response_InvalidParameter"},
    {0x2020, "PTP_Response_SpecificationOfDestinationUnsupported"},
    {0x5501, "CONTROL_ERROR"},
    {0xA002, "NIKON_Out_Of_Focus"},
    {0xFF01, "ERROR_GENERAL"},
    {0xFF0D, "PTP_ERROR_PROP_NOT_CONFIRMED"},
    {0xFF0F, "ERROR_CAMERA_NOT_SUPPORTED"},
    {0xFF1B, "PTP_ERROR_UNSUPPORTED_COMMAND"},
    {0xFF1D, "ERROR_INVALID_CONTINUOUS_DRIVE_MODE"},
};

const std::vector<Row> kNikonRows = {
    {0xA001, "NIKON_Hardware_Error"},
    {0xA003, "NIKON_Change_CameraMode_Failed"},
    {0xA009, "NIKON_Mirror_Up_Sequence"},
    {0xA00E, "NIKON_MfDrive_Step_Insufficiency"},
    {0xA022, "NIKON_Store_Unformatted"},
    {0xA200, "NIKON_Bulb_Release_Busy"},
    {0xA802, "NIKON_Invalid_ObjectProp_Format"},
};

const std::vector<Row> kCanonRows = {
    {0xA001, "CANON_Response_Unknown_Command"},
    {0xA006, "CANON_Response_Lens_Cover"},
    {0xA101, "CANON_Response_Battery_Low"},
    {0xA106, "CANON_Response_MemoryStatusNotReady"},
};

// Which codes have a text of their own, from the list of result codes: the rows for every camera (the standard
// response codes as one run), the fixed texts, and each maker's rows.
bool hasCommonText(uint16_t c) {
  static const std::set<uint16_t> single = {0x0001, 0x5501, 0x5505, 0xA002, 0xFF01, 0xFF02, 0xFF0D, 0xFF0E,
                                            0xFF0F, 0xFF15, 0xFF16, 0xFF17, 0xFF1B, 0xFF1D};
  return (c >= 0x2000 && c <= 0x2020) || single.count(c) != 0;
}
const std::set<uint16_t> kNikonCodes = {0xA001, 0xA003, 0xA004, 0xA006, 0xA007, 0xA008, 0xA009, 0xA00A,
                                        0xA00B, 0xA00C, 0xA00E, 0xA021, 0xA022, 0xA200, 0xA801, 0xA802};
const std::set<uint16_t> kCanonCodes = {0xA001, 0xA005, 0xA006, 0xA101, 0xA102, 0xA104, 0xA106};

bool hasText(VendorType vendor, uint16_t c) {
  if (hasCommonText(c)) return true;
  switch (vendor) {
    case VENDOR_NIKON: return kNikonCodes.count(c) != 0;
    case VENDOR_CANON: return kCanonCodes.count(c) != 0;
    case VENDOR_FUJI: return c == 0xA001;
    default: return false;
  }
}

std::string hex(uint16_t c) {
  std::ostringstream out;
  out << "0x" << std::uppercase << std::hex << c;
  return out.str();
}

const VendorType kAllVendors[] = {VENDOR_NONE, VENDOR_FUJI, VENDOR_CANON, VENDOR_SONY, VENDOR_NIKON};

std::string text(const char* key) { return platform::localizedString(key); }

class PtpErrorsTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::ensureTestApplication(); }
  void TearDown() override { vendorStateReset(); }
};

TEST_F(PtpErrorsTest, EveryKeyHasARealTextInTheStringTable) {
  for (const auto* rows : {&kCommonRows, &kNikonRows, &kCanonRows}) {
    for (const Row& row : *rows) {
      SCOPED_TRACE(row.key);
      EXPECT_NE(text(row.key), row.key);
      EXPECT_FALSE(text(row.key).empty());
    }
  }
  for (const char* key : {"BatteryInfo", "BatteryInfoTitle", "BatteryInfoFail"}) EXPECT_NE(text(key), key);
}

TEST_F(PtpErrorsTest, RowsForEveryVendorAndFixedTextsHoldWhateverTheCamera) {
  for (VendorType vendor : kAllVendors) {
    SCOPED_TRACE(vendor);
    camSetVendor(vendor);
    for (const Row& row : kCommonRows) {
      SCOPED_TRACE(row.key);
      EXPECT_EQ(PtpErrors::stringForResponseCode(row.code), text(row.key));
    }
    EXPECT_EQ(PtpErrors::stringForResponseCode(0x5505), "SD Card missing or not mounted.");
    EXPECT_EQ(PtpErrors::stringForResponseCode(0xFF0E), "Connection failure.");
    EXPECT_EQ(PtpErrors::stringForResponseCode(0xFF16), "Action cancelled.");
  }
}

// Every one of the 65,536 codes with every camera: exactly the listed codes have a text, each a real text (a key
// missing from the string table would show as itself, underscores and all) and none shared by two codes of one
// table, which a row copied onto the wrong code or key would bring about; every other code reads as its
// hexadecimal value. (A maker's row may word its meaning as a standard code does.)
TEST_F(PtpErrorsTest, ExactlyTheListedCodesHaveTextsAndTheyAreAllDifferent) {
  for (VendorType vendor : kAllVendors) {
    SCOPED_TRACE(vendor);
    camSetVendor(vendor);
    std::map<std::string, uint16_t> seen[2];  // within the rows for every camera, and within the maker's own
    for (uint32_t c = 0; c <= 0xFFFF; ++c) {
      const uint16_t code = static_cast<uint16_t>(c);
      const std::string shown = PtpErrors::stringForResponseCode(code);
      if (!hasText(vendor, code)) {
        ASSERT_EQ(shown, hex(code));
        continue;
      }
      SCOPED_TRACE(hex(code));
      EXPECT_NE(shown, hex(code));
      EXPECT_EQ(shown.find('_'), std::string::npos) << shown;
      if (vendor == VENDOR_FUJI && code == 0xA001) {
        EXPECT_EQ(shown, PtpErrors::stringForResponseCode(0x2019));  // the camera's own busy code
        continue;
      }
      auto [at, fresh] = seen[hasCommonText(code) ? 0 : 1].emplace(shown, code);
      EXPECT_TRUE(fresh) << shown << " is also the text of " << hex(at->second);
    }
  }
}

TEST_F(PtpErrorsTest, VendorRowsApplyOnlyToTheirCameras) {
  camSetVendor(VENDOR_NIKON);
  for (const Row& row : kNikonRows) EXPECT_EQ(PtpErrors::stringForResponseCode(row.code), text(row.key)) << row.key;
  camSetVendor(VENDOR_CANON);
  for (const Row& row : kCanonRows) EXPECT_EQ(PtpErrors::stringForResponseCode(row.code), text(row.key)) << row.key;

  // One code, five cameras.
  struct Case {
    uint16_t code;
    VendorType vendor;
    std::string expected;
  };
  const Case cases[] = {
      {0xA006, VENDOR_NIKON, text("NIKON_Wb_Preset_Error")},
      {0xA006, VENDOR_CANON, text("CANON_Response_Lens_Cover")},
      {0xA006, VENDOR_SONY, "0xA006"},
      {0xA006, VENDOR_FUJI, "0xA006"},
      {0xA006, VENDOR_NONE, "0xA006"},
      {0xA001, VENDOR_FUJI, PtpErrors::stringForResponseCode(0x2019)},
      {0xA001, VENDOR_SONY, "0xA001"},
      {0xA001, VENDOR_NONE, "0xA001"},
      {0xA002, VENDOR_SONY, text("NIKON_Out_Of_Focus")},
      {0xA002, VENDOR_CANON, text("NIKON_Out_Of_Focus")},
      {0xA005, VENDOR_NIKON, "0xA005"},   // a Canon code on a Nikon camera
      {0xA801, VENDOR_CANON, "0xA801"},   // a Nikon code on a Canon camera
      {0xA102, VENDOR_FUJI, "0xA102"},
      {0xA003, VENDOR_FUJI, "0xA003"},
  };
  for (const Case& c : cases) {
    camSetVendor(c.vendor);
    EXPECT_EQ(PtpErrors::stringForResponseCode(c.code), c.expected)
        << std::hex << c.code << " vendor " << std::dec << c.vendor;
  }
}

TEST_F(PtpErrorsTest, CodesWithoutARowReadAsUpperCaseHexWithoutLeadingZeros) {
  struct Case {
    uint16_t code;
    const char* expected;
  };
  const Case cases[] = {
      {0x0000, "0x0"},       {0x0010, "0x10"},      {0x1234, "0x1234"},    {0x2021, "0x2021"},
      {0x5505 + 1, "0x5506"}, {0xEE12, "0xEE12"},   {0xFF00, "0xFF00"},    {0xFF03, "0xFF03"},
      {0xFF0C, "0xFF0C"},    {0xFF10, "0xFF10"},    {0xFF14, "0xFF14"},    {0xFF18, "0xFF18"},
      {0xFF1A, "0xFF1A"},    {0xFF1C, "0xFF1C"},    {0xFF40, "0xFF40"},    {0xFFFF, "0xFFFF"},
  };
  for (VendorType vendor : kAllVendors) {
    camSetVendor(vendor);
    for (const Case& c : cases) EXPECT_EQ(PtpErrors::stringForResponseCode(c.code), c.expected) << vendor;
  }
}

TEST_F(PtpErrorsTest, AppendStringPutsTheMessageOneBlankBeforeTheCodesText) {
  EXPECT_EQ(PtpErrors::appendString("Could not capture.", 0x1234), "Could not capture. 0x1234");
  EXPECT_EQ(PtpErrors::appendString("Lost:", 0xFF0E), "Lost: Connection failure.");
  EXPECT_EQ(PtpErrors::appendString("", 0x2019), " " + text("PTP_Response_DeviceBusy"));
}

}  // namespace
