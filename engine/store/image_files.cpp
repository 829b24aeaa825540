#include "engine/store/image_files.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <string_view>

#include "engine/store/object_cache.h"
#include "engine/vendors/canon/canon_card.h"

namespace {

std::string upperCase(const char* name) {
    std::string s(name);
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

bool containsIgnoringCase(const char* name, const char* upperNeedle) {
    return name && upperCase(name).find(upperNeedle) != std::string::npos;
}

std::atomic<RawPreviewLocator>& rafLocator() {
    static std::atomic<RawPreviewLocator> locator{nullptr};
    return locator;
}

// TIFF reads in the file's byte order; the caller has checked the bounds.
uint16_t read16(const uint8_t* p, bool little) {
    return little ? static_cast<uint16_t>(p[0] | p[1] << 8) : static_cast<uint16_t>(p[0] << 8 | p[1]);
}
uint32_t read32(const uint8_t* p, bool little) {
    return little ? static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                        static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24
                  : static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                        static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}

// The Nikon bodies whose full-size preview is the third offset and length pair.
bool modelNeedsThirdPair(const uint8_t* data, size_t length, size_t header, uint32_t textOffset, uint32_t count) {
    uint64_t start = static_cast<uint64_t>(header) + textOffset;
    if (count == 0 || start > length || count > length - start) return false;  // outside the data: ignored
    std::string_view text(reinterpret_cast<const char*>(data + start), count);
    for (const char* model : {"NIKON Z 9", "NIKON Z 8", "NIKON Z6_3", "NIKON Z5_2"})
        if (text.find(model) != std::string_view::npos) return true;
    return false;
}

bool tiffFindPreview(const uint8_t* data, size_t length, uint64_t* offset, uint64_t* size, uint16_t format) {
    if (length < 5) return false;
    size_t last = std::min<size_t>(length - 5, 499);
    size_t header = 0;
    bool found = false, little = true;
    for (size_t i = 0; i <= last && !found; ++i) {
        if (data[i] == 'I' && data[i + 1] == 'I' && data[i + 2] == 0x2A && data[i + 3] == 0x00) {
            found = true, little = true, header = i;
        } else if (data[i] == 'M' && data[i + 1] == 'M' && data[i + 2] == 0x00 && data[i + 3] == 0x2A) {
            found = true, little = false, header = i;
        }
    }
    if (!found || length - header < 8) return false;  // the IFD offset needs the header's 8 bytes
    uint64_t ifd = static_cast<uint64_t>(header) + read32(data + header + 4, little);
    if (ifd > length || length - ifd < 2) return false;
    uint16_t count = read16(data + ifd, little);
    if (length - ifd < 12ull * count) return false;

    const bool cr2 = format == 0xB103, nef = format == 0x3000;
    int needed = cr2 ? 2 : nef ? 4 : 2;
    int matches = 0;
    bool modelSeen = false;
    uint64_t previewOffset = 0, previewLength = 0;
    bool done = false;
    size_t p = static_cast<size_t>(ifd) + 2;
    while (p <= length && length - p >= 13) {
        uint16_t tag = read16(data + p, little);
        uint16_t type = read16(data + p + 2, little);
        uint16_t countHalf = read16(data + p + 4, little);  // low half of the count (LE) or high half (BE)
        uint32_t value = read32(data + p + 8, little);
        bool match = false;
        if (cr2) {
            if (tag == 0x0111 && type == 4 && countHalf == 1) {
                previewOffset = header + static_cast<uint64_t>(value);
                match = true;
                ++matches;
            } else if (tag == 0x0117 && type == 4 && countHalf == 1) {
                previewLength = value;
                match = true;
                if (++matches == 2) done = true;
            }
        } else {
            if (tag == 0x0201 && type == 4 && countHalf <= 1) {
                previewOffset = header + static_cast<uint64_t>(value);
                match = true;
                ++matches;
            } else if (tag == 0x0202 && type == 4 && countHalf <= 1) {
                previewLength = value;
                match = true;
                if (++matches >= needed) done = true;
            } else if (nef && !modelSeen && tag == 0x0110 && type == 2) {
                modelSeen = true;
                match = true;
                if (modelNeedsThirdPair(data, length, header, value, read32(data + p + 4, little))) needed = 6;
            }
        }
        if (done) break;
        p += match ? 12 : 1;
    }
    if (!done || previewLength == 0 || previewOffset > length || previewLength > length - previewOffset)
        return false;  // not found, or a preview that does not lie wholly inside the data
    *offset = previewOffset;
    *size = previewLength;
    return true;
}

}  // namespace

bool fileIsRaw(const char* name) {
    if (!name) return false;
    std::string upper = upperCase(name);
    for (const char* ext : {".CR2", ".CR3", ".NEF", ".ARW", ".RAF"}) {
        size_t pos = upper.find(ext);
        if (pos != std::string::npos && pos + std::strlen(ext) == upper.size()) return true;
    }
    return false;
}

bool fileIsJpeg(const char* name) { return containsIgnoringCase(name, ".JPG") || containsIgnoringCase(name, ".JPEG"); }

bool fileIsMovie(const char* name) { return containsIgnoringCase(name, ".MOV"); }

uint16_t fileFormatForName(const char* name) {
    if (!name) return 0;
    static const struct {
        const char* extension;
        uint16_t format;
    } kFormats[] = {{".JPG", 0x3801}, {".JPEG", 0x3801}, {".CR2", 0xB103}, {".CR3", 0xB108}, {".NEF", 0x3000},
                    {".ARW", 0xB101}, {".RAF", 0xB111},  {".TIF", 0x380D}, {".MOV", 0x300D}};
    std::string upper = upperCase(name);
    for (const auto& f : kFormats)
        if (upper.find(f.extension) != std::string::npos) return f.format;
    return 0;
}

bool formatIsRaw(uint16_t f) {
    return f == 0xB101 || f == 0xB103 || f == 0xB108 || f == 0x3000 || f == 0x3800 || f == 0xB111;
}
bool formatIsJpegOrTiff(uint16_t f) { return f == 0x3801 || f == 0x380D; }
bool formatIsMovie(uint16_t f) { return f == 0xB104 || f == 0xB105 || f == 0x300D || f == 0xB982; }

void rawSetRafPreviewLocator(RawPreviewLocator locator) { rafLocator().store(locator); }

bool rawFindPreview(const uint8_t* data, size_t length, uint64_t* offset, uint64_t* previewLength, uint16_t format) {
    if (!offset || !previewLength) return false;
    *offset = 0;
    *previewLength = 0;
    if (!data || length == 0) return false;
    uint64_t o = 0, n = 0;
    bool ok = false;
    if (format == 0xB108) {
        ok = canonRawFindPreviewJpeg(data, length, &o, &n);
    } else if (format == 0xB111) {
        RawPreviewLocator raf = rafLocator().load();
        ok = raf && raf(data, length, &o, &n);
    } else if (format == 0x3000 || format == 0xB101 || format == 0xB103) {
        ok = tiffFindPreview(data, length, &o, &n, format);
    }
    // Whatever located it, the preview must lie wholly inside the data.
    if (!ok || n == 0 || o > length || n > length - o) return false;
    *offset = o;
    *previewLength = n;
    return true;
}

std::string fileReadPreview(const PtpObjectInfoStruct* record, const std::string& path) {
    if (!record) return {};
    HeapBlock file;
    if (readWholeFile(path, &file) <= 0) return {};
    uint16_t format = record->objectFormat;
    if (format == 0) {
        char name[sizeof record->fileName + 1] = {};
        std::memcpy(name, record->fileName, sizeof record->fileName);
        format = fileFormatForName(name);
    }
    uint64_t offset = 0, length = 0;
    if (!rawFindPreview(file.data(), file.size(), &offset, &length, format)) return {};
    std::string stored = objCacheSaveExtractedJpeg(record, std::string(), file.data() + offset, length);
    file.reset();
    if (stored.empty()) return {};
    return objCacheGetExtractedJpegPath(record);
}
