// Result-code messages: every row of the message table with every vendor, the fixed texts, the vendor rows and
// the "0x%X" fallback; and every key has a real text in the string table.
#include "session/ptp_errors.h"

#include <gtest/gtest.h>

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

// The rows that hold with every camera, and with none.
const std::vector<Row> kCommonRows = {
    {0x0001, "RELAY_RESPONSE_ERROR"},
    {0x2000, "PTP_Response_Undefined"},
    {0x2001, "PTP_Response_OK"},
    {0x2002, "PTP_Response_GeneralError"},
    {0x2003, "PTP_Response_SessionNotOpen"},
    {0x2004, "PTP_Response_InvalidTransactionID"},
    {0x2005, "PTP_Response_OperationNotSupported"},
    {0x2006, "PTP_Response_ParameterNotSupported"},
    {0x2007, "PTP_Response_IncompleteTransfer"},
    {0x2008, "PTP_Response_InvalidStorageId"},
    {0x2009, "PTP_Response_InvalidObjectHandle"},
    {0x200A, "PTP_Response_DevicePropNotSupported"},
    {0x200B, "PTP_Response_InvalidObjectFormatCode"},
    {0x200C, "PTP_Response_StoreFull"},
    {0x200D, "PTP_Response_ObjectWriteProtected"},
    {0x200E, "PTP_Response_StoreReadOnly"},
    {0x200F, "PTP_Response_AccessDenied"},
    {0x2010, "PTP_Response_NoThumbnailPresent"},
    {0x2011, "PTP_Response_SelfTestFailed"},
    {0x2012, "PTP_Response_PartialDeletion"},
    {0x2013, "PTP_Response_StoreNotAvailable"},
    {0x2014, "PTP_Response_SpecificationByFormatUnsupported"},
    {0x2015, "PTP_Response_NoValidObjectInfo"},
    {0x2016, "PTP_Response_InvalidCodeFormat"},
    {0x2017, "PTP_Response_UnknownVendorCode"},
    {0x2018, "PTP_Response_CaptureAlreadyTerminated"},
    {0x2019, "PTP_Response_DeviceBusy"},
    {0x201A, "PTP_Response_InvalidParentObject"},
    {0x201B, "PTP_Response_InvalidDevicePropFormat"},
    {0x201C, "PTP_Response_InvalidDevicePropValue"},
    {0x201D, "PTP_Response_InvalidParameter"},
    {0x201E, "PTP_Response_SessionAlreadyOpened"},
    {0x201F, "PTP_Response_TransactionCanceled"},
    {0x2020, "PTP_Response_SpecificationOfDestinationUnsupported"},
    {0x5501, "CONTROL_ERROR"},
    {0xA002, "NIKON_Out_Of_Focus"},
    {0xFF01, "ERROR_GENERAL"},
    {0xFF02, "ERROR_INVALID_TYPE"},
    {0xFF0D, "PTP_ERROR_PROP_NOT_CONFIRMED"},
    {0xFF0F, "ERROR_CAMERA_NOT_SUPPORTED"},
    {0xFF15, "ERROR_INVALID_INPUT"},
    {0xFF17, "ERROR_BULB_MODE_INVALID"},
    {0xFF1B, "PTP_ERROR_UNSUPPORTED_COMMAND"},
    {0xFF1D, "ERROR_INVALID_CONTINUOUS_DRIVE_MODE"},
};

const std::vector<Row> kNikonRows = {
    {0xA001, "NIKON_Hardware_Error"},
    {0xA003, "NIKON_Change_CameraMode_Failed"},
    {0xA004, "NIKON_Invalid_Status"},
    {0xA006, "NIKON_Wb_Preset_Error"},
    {0xA007, "NIKON_Dust_Reference_Error"},
    {0xA008, "NIKON_Shutter_Speed_Bulb"},
    {0xA009, "NIKON_Mirror_Up_Sequence"},
    {0xA00A, "NIKON_CameraMode_Not_Adjust_Fnumber"},
    {0xA00B, "NIKON_Not_LiveView"},
    {0xA00C, "NIKON_MfDrive_Step_End"},
    {0xA00E, "NIKON_MfDrive_Step_Insufficiency"},
    {0xA021, "NIKON_Store_Error"},
    {0xA022, "NIKON_Store_Unformatted"},
    {0xA200, "NIKON_Bulb_Release_Busy"},
    {0xA801, "NIKON_Invalid_ObjectPropCode"},
    {0xA802, "NIKON_Invalid_ObjectProp_Format"},
};

const std::vector<Row> kCanonRows = {
    {0xA001, "CANON_Response_Unknown_Command"},
    {0xA005, "CANON_Response_Operation_Refused"},
    {0xA006, "CANON_Response_Lens_Cover"},
    {0xA101, "CANON_Response_Battery_Low"},
    {0xA102, "CANON_Response_Not_Ready"},
    {0xA104, "CANON_Response_CannotMakeObject"},
    {0xA106, "CANON_Response_MemoryStatusNotReady"},
};

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
