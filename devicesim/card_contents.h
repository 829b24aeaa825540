#pragma once
// Full cards for the card browser: a camera card of thousands of objects (handles in the camera's order, a Canon
// body's inside its DCIM/100CANON folders), a device SD card of thousands of files with movies and names the host
// cannot use, thumbnails that do not decode or are missing, and faults that fail thumbnails or cut a download.
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "devicesim/device.h"
#include "devicesim/generic_camera.h"
#include "devicesim/sd_card.h"

namespace devicesim {

// What a filled card holds at index i (0-based, in the camera's order).
struct CardFill {
    int count = 5000;
    // The first `distinct` objects get pictures of their own (seeded by the index); the rest share one, which keeps
    // a card of thousands cheap to make.
    int distinct = 40;
    uint32_t jpegSize = 40 * 1024;
    // Every `rawEvery`-th object (when > 0) is a RAW file of `rawFormat` named with `rawExtension`, every
    // `movieEvery`-th a movie (0x300D, ".MOV"); the rest are JPEGs.
    int rawEvery = 0;
    uint16_t rawFormat = 0x3000;
    std::string rawExtension = "NEF";
    int movieEvery = 0;
    std::string prefix = "IMG_";
    std::set<int> undecodableThumbnails;  // bytes that are no picture
    std::set<int> missingThumbnails;      // none: GetThumb answers 0x2010
};

// Adds the objects; returns their handles in the camera's order.
std::vector<uint32_t> fillCameraCard(GenericCamera& camera, const CardFill& fill);
// The file name the card gives index i.
std::string cardFileName(const CardFill& fill, int index);

// The device's SD card: `count` files cycling through JPG, NEF, CR3, MOV and MP4 (names "SD_nnnnn.<ext>"), then
// `overlong` files whose names are longer than the host's 255-byte record field.
struct SdFill {
    int count = 5000;
    int distinct = 40;
    int overlong = 0;
    uint32_t jpegSize = 40 * 1024;
};
std::vector<std::string> fillSdCard(SdCard& card, const SdFill& fill);
std::string sdFileName(int index);

// Fault sources (Device::setFaultSource): the PTP operation `operation` (or the device command `command`) answers
// `code` for its `times` next exchanges after `skip` of them passed.
FaultSource failPtpOperation(uint16_t operation, uint16_t code, int times, int skip = 0);
FaultSource failDeviceCommand(uint8_t command, uint16_t code, int times, int skip = 0);
// The connection closes halfway through the answer to the `nth` (1-based) GetObject (0x1009): a disconnect in
// the middle of a download.
FaultSource disconnectDuringObject(int nth, uint16_t operation = 0x1009);

}  // namespace devicesim
