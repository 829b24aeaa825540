#pragma once
// The card browser's background work: the pending list of each source and the three thumbnail loops (device SD
// by file names, the camera's card by handles, a Canon card by its object entries). Worker threads only; each
// takes the browser's gate for as long as it touches the pending lists.
#include <QByteArray>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/windows/card_contents_view_controller.h"

namespace card_contents {

using Shared = CardContentsViewController::Shared;
using Record = CardContentsViewController::Record;
// Hands an item over to the main thread and returns once it is in the grid (called on the loader's thread).
using HandOver = std::function<void(Record record, uint64_t generation)>;

// What a listing left out: the device-SD names refused (unusable as file names, too long for the record).
struct ListingResult {
  int refusedNames = 0;
};

// Fills the pending list of the shown source for the shown filter, replacing what was pending; its items belong
// to the refresh `generation`.
ListingResult loadThumbnailHandles(Shared& shared, uint64_t generation);
// Runs the loop of the shown source until its list is done or the stop request is seen.
void downloadThumbnails(Shared& shared, const HandOver& handOver);

// The device-SD names kept by the filter (the listing's own extension test), in the device's order.
std::vector<std::string> filterSdNames(const std::vector<std::string>& names, int filter);
// Whether a format passes the filter (0 passes everything).
bool formatPassesFilter(uint16_t format, int filter);
// True when the attached Nikon body lists RAW files in reverse order like the others (the eight newer bodies).
bool nikonRawListedInReverse();
// The thumbnail as a record keeps it: the bytes themselves when they decode to a picture within the grid's
// thumbnail box, else the picture reduced to the box and compressed again; empty when the bytes do not decode.
QByteArray storedThumbnail(const std::vector<uint8_t>& bytes);

}  // namespace card_contents
