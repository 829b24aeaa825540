#pragma once
// Result codes of every operation that reaches the device or the camera. PTP and vendor response codes pass
// through unchanged; the engine's own codes live in 0xFF00-0xFF1D, plus 0xEE12 and the automation statuses.
#include <cstdint>

using ResponseCode = uint16_t;

enum : ResponseCode {
    PTP_RC_OK = 0x2001,
    PTP_RC_GENERAL_ERROR = 0x2002,
    PTP_RC_SESSION_NOT_OPEN = 0x2003,
    PTP_RC_INVALID_TRANSACTION_ID = 0x2004,
    PTP_RC_OPERATION_NOT_SUPPORTED = 0x2005,
    PTP_RC_PARAMETER_NOT_SUPPORTED = 0x2006,  // also the engine's answer to a value a property does not allow
    PTP_RC_INCOMPLETE_TRANSFER = 0x2007,
    PTP_RC_INVALID_STORAGE_ID = 0x2008,
    PTP_RC_INVALID_OBJECT_HANDLE = 0x2009,
    PTP_RC_DEVICE_PROP_NOT_SUPPORTED = 0x200A,
    PTP_RC_STORE_FULL = 0x200C,
    PTP_RC_ACCESS_DENIED = 0x200F,
    PTP_RC_NO_THUMBNAIL_PRESENT = 0x2010,
    PTP_RC_STORE_NOT_AVAILABLE = 0x2013,
    PTP_RC_INVALID_PARAMETER = 0x201D,
    PTP_RC_SESSION_ALREADY_OPEN = 0x201E,
    PTP_RC_TRANSACTION_CANCELLED = 0x201F,
    PTP_RC_DEVICE_BUSY = 0x2019,
    PTP_RC_CANON_BUSY = 0xA102,

    RESPONSE_NO_DATA = 0xEE12,  // the device answered with a response where PTP data was expected
    ERROR_SHOT_FAILED = 0xFF00,
    ERROR_GENERAL = 0xFF01,
    ERROR_INVALID_TYPE = 0xFF02,
    ERROR_PARSE = 0xFF06,
    ERROR_TOO_LARGE = 0xFF07,
    ERROR_BAD_PACKET = 0xFF0A,
    ERROR_BUILD = 0xFF0B,
    PTP_ERROR_PROP_NOT_CONFIRMED = 0xFF0D,
    ERROR_CONNECTION_FAILURE = 0xFF0E,
    ERROR_CAMERA_NOT_SUPPORTED = 0xFF0F,
    ERROR_RESERVED_FF10 = 0xFF10,  // reserved; nothing produces it
    ERROR_DEVICE_INFO = 0xFF11,
    ERROR_NO_MEMORY = 0xFF12,
    ERROR_BUSY = 0xFF13,
    ERROR_WOKEN = 0xFF14,
    ERROR_INVALID_INPUT = 0xFF15,
    ERROR_CANCELLED = 0xFF16,
    ERROR_BULB_MODE_INVALID = 0xFF17,
    PTP_ERROR_UNSUPPORTED_COMMAND = 0xFF1B,
    ERROR_INVALID_CONTINUOUS_DRIVE_MODE = 0xFF1D,

    AUTOMATION_PROGRESS = 0xFF40,
    AUTOMATION_BUSY = 0xFF41,
    AUTOMATION_CANCELLED = 0xFF42,
    AUTOMATION_COMPLETED = 0xFF43,

    ERROR_NO_VENDOR = 0xFFFF,  // a property set while no vendor is identified
};

// 0xEE12 counts as success wherever a data phase was optional.
constexpr bool responseSucceeded(ResponseCode rc) { return rc == PTP_RC_OK || rc == RESPONSE_NO_DATA; }
