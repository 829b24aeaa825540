#include "session/ptp_errors.h"

#include <cstdio>

#include "engine/ptp/vendor_state.h"
#include "platform/foundation/localized_strings.h"

namespace {

struct CodeKey {
  uint16_t code;
  const char* key;
};

// Rows that hold whatever the camera's maker.
constexpr CodeKey kCommonKeys[] = {
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

struct CodeText {
  uint16_t code;
  const char* text;
};

// Texts that are never looked up.
constexpr CodeText kFixedTexts[] = {
    {0x5505, "SD Card missing or not mounted."},
    {0xFF0E, "Connection failure."},
    {0xFF16, "Action cancelled."},
};

constexpr CodeKey kNikonKeys[] = {
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

constexpr CodeKey kCanonKeys[] = {
    {0xA001, "CANON_Response_Unknown_Command"},
    {0xA005, "CANON_Response_Operation_Refused"},
    {0xA006, "CANON_Response_Lens_Cover"},
    {0xA101, "CANON_Response_Battery_Low"},
    {0xA102, "CANON_Response_Not_Ready"},
    {0xA104, "CANON_Response_CannotMakeObject"},
    {0xA106, "CANON_Response_MemoryStatusNotReady"},
};

template <size_t N>
const char* find(const CodeKey (&table)[N], uint16_t code) {
  for (const CodeKey& row : table) {
    if (row.code == code) return row.key;
  }
  return nullptr;
}

const char* fixedText(uint16_t code) {
  for (const CodeText& row : kFixedTexts) {
    if (row.code == code) return row.text;
  }
  return nullptr;
}

std::string hexText(uint16_t code) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "0x%X", static_cast<unsigned>(code));
  return buffer;
}

// The string-table key of `code` for the current camera's maker; empty when the code has a fixed text or none.
std::string keyForResponseCode(uint16_t code) {
  if (const char* key = find(kCommonKeys, code)) return key;
  if (fixedText(code) != nullptr) return {};
  // The vendor's rows; a maker that the engine does not know counts as Nikon.
  if (camIsNikon()) {
    const char* key = find(kNikonKeys, code);
    return key ? key : std::string();
  }
  if (camIsCanon()) {
    const char* key = find(kCanonKeys, code);
    return key ? key : std::string();
  }
  if (camIsFuji() && code == 0xA001) return "PTP_Response_DeviceBusy";
  return {};
}

}  // namespace

std::string PtpErrors::stringForResponseCode(uint16_t code) {
  if (const char* text = fixedText(code)) return text;
  const std::string key = keyForResponseCode(code);
  if (key.empty()) return hexText(code);
  return platform::localizedString(key);
}

std::string PtpErrors::appendString(const std::string& text, uint16_t code) {
  return text + " " + stringForResponseCode(code);
}
