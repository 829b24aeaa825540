#pragma once
// Fetching an object's record, image and thumbnail: from the object cache when it holds them, from the camera or
// the device's SD card otherwise, storing what was fetched in the cache. Meant for a worker thread (inside a
// command batch); the engine's link and cache locks serialize them with other traffic.
//
// An objectId of kObjectIdByName marks a file on the device's SD card, known by its name; any other objectId is a
// camera object known by its handle. Every function answers a ResponseCode: 0xFF15 for a missing record or
// output, else the engine's code unchanged (the cache is left as it was on a failure).
#include <cstdint>

#include "engine/link/heap_block.h"
#include "engine/ptp/datasets.h"
#include "engine/ptp/response_code.h"

// Completes `record` in place: from the cache when force is off or the record is not complete yet (imagePixWidth
// 0) and the cache knows it, else from the camera. Nikon objects larger than 2048 bytes whose orientation is not
// known yet ask the device for it. 0xFF15 for an SD-card object (it has no record on the camera).
ResponseCode refreshObjectInfo(PtpObjectInfoStruct* record, bool force);

// The object's image into *image (which then owns it): a modified JPEG in the cache wins; with quick-raw on a raw
// object gives the JPEG extracted from it; else the whole file. *downloaded says whether the link was used.
// `relay` goes unchanged to the engine's transfer commands.
ResponseCode downloadObjectImage(const PtpObjectInfoStruct* record, HeapBlock* image, uint8_t relay,
                                 bool* downloaded, bool quickRaw);

// The object's thumbnail into *thumbnail (empty when the camera has none). With a relay byte the camera object's
// record goes along as pending data so that the device shares the thumbnail with its clients. The thumbnail
// state that comes with it becomes the record's orientation byte (card objects and Canon cameras), so the record
// is written to.
ResponseCode downloadObjectThumbnail(PtpObjectInfoStruct* record, HeapBlock* thumbnail, uint8_t relay);

// The GetThumb operation code the device expects pending data under for the current vendor.
uint16_t thumbnailOperationForPendingData();
