#pragma once
// Where a standard operation of the core takes a vendor module's own path (Canon's card listing and thumbnails,
// Canon's and Sony's session checks, the Canon models that write CR3 files) and where a result must reach the
// camera-event queue. The vendor modules and the event queue install these; while a hook is not installed the
// operation answers as it does with no vendor.
#include <cstdint>
#include <functional>
#include <vector>

#include "engine/link/heap_block.h"
#include "engine/ptp/response_code.h"

struct PtpDataWrapper;

struct PtpVendorHooks {
    // Canon: the handles of the camera's object tree (the card listing), for camLoadObjectHandles.
    std::function<ResponseCode(std::vector<uint32_t>* handles)> canonLoadObjectHandles;
    // Canon: the thumbnail of an object and its orientation byte, for ptpGetThumb; sent behind the caller's data
    // wrapper when there is one (a thumbnail shared with the device's clients).
    std::function<ResponseCode(uint32_t handle, HeapBlock* data, uint8_t* orientation, const PtpDataWrapper* wrapper)>
        canonGetThumbnail;
    // The vendor's check after session open, for camCheckSession.
    std::function<ResponseCode()> canonCheckSession;
    std::function<ResponseCode()> sonyCheckSession;
    // Canon: true when the attached model writes CR3 files (its ranged reads are then 1 MiB).
    std::function<bool()> canonWritesCr3;
    // Canon and Nikon: the operation that fetches a live-view frame (wrapped while live view is shared).
    std::function<uint16_t()> liveViewOperation;
    // Nikon: an object was deleted; queue ObjectRemoved (0x4003) with its handle and tell the pump.
    std::function<void(uint32_t handle)> objectRemoved;
};

// The live-view operations used while the vendor module has not said otherwise.
inline constexpr uint16_t kCanonLiveViewOperation = 0x9153;
inline constexpr uint16_t kNikonLiveViewOperation = 0x9203;

// A copy of the installed hooks (safe to call from any thread).
PtpVendorHooks ptpVendorHooks();
void ptpSetVendorHooks(const PtpVendorHooks& hooks);
