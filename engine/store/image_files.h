#pragma once
// Small pure helpers that classify image files by name and by PTP object format, and the locator of the JPEG
// preview embedded in a TIFF-based RAW file, so that a RAW download can be shown without decoding it.
#include <cstddef>
#include <cstdint>
#include <string>

#include "engine/ptp/datasets.h"

// Name tests (a null name is false / 0).
bool fileIsRaw(const char* name);    // ends with .CR2 .CR3 .NEF .ARW .RAF, ignoring case
bool fileIsJpeg(const char* name);   // contains .jpg or .jpeg, ignoring case
bool fileIsMovie(const char* name);  // contains .mov, ignoring case
// PTP object format by the first known extension the name contains (ignoring case); 0 for none.
uint16_t fileFormatForName(const char* name);

// Format tests.
bool formatIsRaw(uint16_t format);
bool formatIsJpegOrTiff(uint16_t format);
bool formatIsMovie(uint16_t format);

// A locator of the preview JPEG in a whole RAW file: offset and length inside the data, both 0 on failure.
using RawPreviewLocator = bool (*)(const uint8_t* data, size_t length, uint64_t* offset, uint64_t* size);
// The Fujifilm module installs its RAF locator here; until it does, RAF files have no preview.
void rawSetRafPreviewLocator(RawPreviewLocator locator);

// Locates the embedded JPEG of a whole RAW file of PTP object format `format` (CR2, NEF, ARW through the TIFF
// structure; CR3 and RAF through their vendor's locator). True only when the preview lies wholly inside the data;
// on false both outputs are 0.
bool rawFindPreview(const uint8_t* data, size_t length, uint64_t* offset, uint64_t* previewLength, uint16_t format);

// Reads the RAW file at `path`, locates its preview and stores it through the object cache as the object's
// extracted JPEG: that file's path, or empty.
std::string fileReadPreview(const PtpObjectInfoStruct* record, const std::string& path);
