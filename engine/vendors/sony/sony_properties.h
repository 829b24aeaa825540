#pragma once
// Reading, setting and confirming Sony properties: the whole-property read of session open and of the device's
// "re-read everything" record, the single-property refresh, the direct and the stepped sets (a newer stepped set
// cancels an older one), the confirmation and change waits, and the device's property-changed records applied to
// the store.
#include <cstdint>

#include "engine/ptp/property_store.h"
#include "engine/ptp/response_code.h"

enum : uint16_t {
    kSonyOpSetControl = 0x9205,     // value of 4 or 8 bytes
    kSonyOpWriteControl = 0x9207,   // button (2 down, 1 up) or step
    kSonyOpGetAllDescriptors = 0x9209,
    kSonyOpGetValue = 0x9204,
};

ResponseCode sonyOpenSession();
ResponseCode sonyLoadProperties();
ResponseCode sonyReadProperty(uint32_t code, bool queue);

ResponseCode sonySetProperty(uint32_t code, uint32_t value);
ResponseCode sonySetControl(uint32_t code, const uint8_t* bytes, uint32_t size);
ResponseCode sonyWriteControl(uint32_t code, uint32_t value, uint32_t size);
// A virtual button pressed and let go (2, then 1).
ResponseCode sonyPressButton(uint32_t code);
void sonyWaitForStepping();
ResponseCode sonyStepProperty(uint32_t code, uint32_t target, int depth);
bool sonyConfirmValue(uint32_t code, uint32_t value);
// Up to ms / 250 looks (999 when ms is 0), re-reading first when asked: true once the value differs from `old`.
bool sonyWaitChange(uint32_t code, uint32_t old, bool reread, uint32_t ms);
PropertyStruct* sonyApplyPropertyChange(uint32_t code, uint32_t value, uint8_t enabled);
ResponseCode sonyRefreshAllProperties();

// Replace the allowed list of 0xD20D, 0xD21E and 0x5007 by the fixed lists of the older bodies.
void sonyShutterList();
void sonyIsoList();
void sonyApertureList();

// Joins the poll that a changed exposure program asked for (tests and session start).
void sonyJoinPendingPoll();
