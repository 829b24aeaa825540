#include "engine/vendors/fujifilm/fuji_image_format.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "engine/ptp/property_access.h"
#include "engine/ptp/property_store.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/fujifilm/fuji_models.h"
#include "engine/vendors/fujifilm/fuji_properties.h"
#include "engine/vendors/fujifilm/fuji_state.h"

namespace {
const char* const kSizes[kFujiImageSizeCount] = {
    "2496x1664",  "2496x1408",  "1664x1664",  "3456x2304", "3456x1944",  "2304x2304",  "4896x3264", "4896x2760",
    "3264x3264",  "3008x2000",  "3008x1688",  "2000x2000", "4240x2832",  "4240x2384",  "2832x2832", "6000x4000",
    "6000x3376",  "4000x4000",  "4000x2664",  "4000x2248", "2992x2992",  "8256x5504",  "8256x4640", "6192x6192",
    "4000x3000",  "4000x1480",  "3744x3000",  "3504x3000", "8256x6192",  "8256x3048",  "7744x6192", "7232x6192",
    "3120x2080",  "3120x1760",  "2080x2080",  "4416x2944", "4416x2488",  "2944x2944",  "6240x4160", "6240x3512",
    "4160x4160",  "8256x5504",  "8256x4640",  "6192x6192", "8256x6192",  "8256x3048",  "7744x6192", "7232x6192",
    "11648x8736", "11648x7768", "11648x6552", "8736x8736", "11648x4304", "10928x8736", "10192x8736", "3264x2592",
    "3456x2592",  "2592x2592",  "3888x2184",  "3888x2592", "4560x3648",  "4864x3648",  "3648x3648", "5472x3080",
    "5472x3648",  "6432x5152",  "6864x5152",  "5152x5152", "7728x4344",  "7728x5152",
};

// Size letters by the first index of each run of the table.
struct LetterRun {
    uint32_t first;
    char letter;
};
const LetterRun kLetters[] = {{0, 'S'},  {3, 'M'},  {6, 'L'},  {9, 'S'},  {12, 'M'}, {15, 'L'}, {18, 'S'},
                              {21, 'L'}, {24, 'S'}, {28, 'L'}, {32, 'S'}, {35, 'M'}, {38, 'L'}, {41, 'M'},
                              {48, 'L'}, {55, 'S'}, {60, 'M'}, {65, 'L'}};

// One entry of an aspect group: the size index and which models may offer it.
enum class Only : uint8_t { All, Gfx50, Gfx100, Models23_33_37 };
struct GroupEntry {
    uint32_t index;
    Only only;
};
using Group = std::initializer_list<GroupEntry>;
constexpr Only A = Only::All, G50 = Only::Gfx50, G100 = Only::Gfx100;
const Group kGroups[] = {
    {{0, A}, {9, A}, {3, A}, {12, A}, {15, A}, {6, A}, {18, A}, {21, G50}, {32, A}, {35, A}, {38, A}, {41, G100},
     {49, A}, {59, A}, {64, A}, {69, A}},                                                                       // 3:2
    {{10, A}, {1, A}, {13, A}, {4, A}, {7, A}, {16, A}, {19, A}, {22, G50}, {33, A}, {36, A}, {39, A}, {42, G100},
     {50, A}, {58, A}, {63, A}, {68, A}},                                                                       // 16:9
    {{2, A}, {11, A}, {5, A}, {14, A}, {8, A}, {17, A}, {20, A}, {23, G50}, {34, A}, {37, A}, {40, A}, {43, G100},
     {51, A}, {57, A}, {62, A}, {67, A}},                                                                       // 1:1
    {{24, A}, {28, G50}, {44, G100}, {48, A}, {56, A}, {61, A}, {66, A}},                                       // 4:3
    {{25, A}, {29, G50}, {45, Only::Models23_33_37}, {52, A}},                                                  // 65:24
    {{26, A}, {30, G50}, {46, G100}, {53, A}, {55, A}, {60, A}, {65, A}},                                       // 5:4
    {{27, A}, {31, G50}, {47, G100}, {54, A}},                                                                  // 7:6
};

bool offered(Only only, uint8_t model) {
    switch (only) {
        case Only::All: return true;
        case Only::Gfx50: return fujiIsGfx50(model);
        case Only::Gfx100: return fujiIsGfx100(model);
        case Only::Models23_33_37: return model == 23 || model == 33 || model == 37;
    }
    return false;
}

bool isRawQuality(uint32_t q) { return q == 1 || q == 4 || q == 5 || q == 7; }

// The RAW part for a quality, with the compression when the camera has it.
uint32_t rawPart() {
    uint32_t compression = 0;
    if (!fujiPropertyValue(0xD022, &compression)) return 0x10000;
    return 0x10000u | (compression << 24);
}

bool allowed(const PropertyStruct* r, uint32_t value) {
    for (uint16_t i = 0; i < r->valueCount && r->values; ++i)
        if (r->values[i].value == value) return true;
    return false;
}
}  // namespace

const char* fujiImageSizeText(uint32_t index) { return index < kFujiImageSizeCount ? kSizes[index] : nullptr; }

char fujiImageSizeLetter(uint32_t index) {
    if (index >= kFujiImageSizeCount) return 0;
    char letter = 0;
    for (const LetterRun& run : kLetters)
        if (index >= run.first) letter = run.letter;
    return letter;
}

uint16_t fujiImageSizeIndexForModel(const char* text, uint8_t model) {
    if (!text) return 0;
    auto same = [text](uint32_t i) { return std::strcmp(kSizes[i], text) == 0; };
    if (fujiIsGfx100(model)) {
        for (int i = 53; i >= 0; --i)
            if (same(static_cast<uint32_t>(i))) return static_cast<uint16_t>(i);
    } else if (model == 36) {
        for (uint32_t i = 55; i <= 69; ++i)
            if (same(i)) return static_cast<uint16_t>(i);
    } else {
        for (uint32_t i = 0; i <= 53; ++i)
            if (same(i)) return static_cast<uint16_t>(i);
    }
    return 0xFFFF;
}

uint16_t fujiImageSizeIndex(const char* text) { return fujiImageSizeIndexForModel(text, camModelIndex()); }

std::vector<uint32_t> fujiAspectGroup(uint32_t sizeIndex, uint8_t model) {
    for (const Group& group : kGroups) {
        bool holds = false;
        for (const GroupEntry& e : group) holds = holds || e.index == sizeIndex;
        if (!holds) continue;
        std::vector<uint32_t> out;
        for (const GroupEntry& e : group)
            if (offered(e.only, model)) out.push_back(e.index);
        return out;
    }
    return {};
}

ResponseCode fujiImageFormatValue(uint32_t* out) {
    uint32_t q = 0, size = 0;
    if (!out || !fujiPropertyValue(0xD018, &q) || !fujiPropertyValue(0x5003, &size)) return ERROR_INVALID_INPUT;
    uint32_t value = isRawQuality(q) ? rawPart() : 0;
    if (q >= 2 && q <= 7) {
        uint32_t quality = q == 5 ? 3 : q == 4 ? 2 : q == 7 ? 6 : q;
        value += ((size & 0xFF) << 8) | quality;
    }
    *out = value;
    return PTP_RC_OK;
}

ResponseCode fujiRawFormatValue(int32_t* out) {
    uint32_t q = 0;
    if (!out) return ERROR_INVALID_INPUT;
    if (!fujiPropertyValue(0xD018, &q)) return ERROR_GENERAL;
    *out = isRawQuality(q) ? static_cast<int32_t>(rawPart()) : kFujiFormatNone;
    return PTP_RC_OK;
}

ResponseCode fujiJpegFormatValue(int32_t* out) {
    static const uint32_t kQuality[] = {2, 3, 2, 3, 6, 6};
    uint32_t q = 0, size = 0;
    if (!out) return ERROR_INVALID_INPUT;
    if (!fujiPropertyValue(0xD018, &q) || !fujiPropertyValue(0x5003, &size)) return ERROR_GENERAL;
    *out = q >= 2 && q <= 7 ? static_cast<int32_t>(kQuality[q - 2] | ((size & 0xFF) << 8)) : kFujiFormatNone;
    return PTP_RC_OK;
}

ResponseCode fujiImageFormatChoices(int kind, std::vector<int32_t>* list) {
    if (!list) return ERROR_INVALID_INPUT;
    list->assign(1, kFujiFormatNone);
    if (kind == 6) {
        list->push_back(0x1010000);
        if (propExists(0xD022)) list->push_back(0x2010000);
        return PTP_RC_OK;
    }
    if (kind != 1) return PTP_RC_OK;
    uint32_t size = 0;
    if (!propExists(0xD018) || !fujiPropertyValue(0x5003, &size)) return PTP_ERROR_UNSUPPORTED_COMMAND;
    PropertyCopy sizes = propCopyValues(0x5003), qualities = propCopyValues(0xD018);
    if (!sizes || !qualities) return PTP_ERROR_UNSUPPORTED_COMMAND;
    bool superFine = allowed(qualities.get(), 6);
    for (uint32_t index : fujiAspectGroup(size, camModelIndex())) {
        if (!allowed(sizes.get(), index)) continue;
        int32_t base = static_cast<int32_t>(index << 8);
        list->push_back(base | 3);
        list->push_back(base | 2);
        if (superFine) list->push_back(base | 6);
    }
    return PTP_RC_OK;
}

ResponseCode fujiSetImageFormat(int32_t raw, int32_t jpeg) {
    if (raw == kFujiFormatNone && jpeg == kFujiFormatNone) return ERROR_GENERAL;
    uint32_t r = static_cast<uint32_t>(raw), j = static_cast<uint32_t>(jpeg);
    uint32_t jpegQuality = j & 0xFF, q;
    if (((r >> 16) & 0xFF) == 1) {
        static const uint32_t kWithRaw[] = {4, 5, 1, 1, 7};
        q = jpegQuality >= 2 && jpegQuality <= 6 ? kWithRaw[jpegQuality - 2] : 1;
    } else {
        q = jpegQuality;
    }
    uint32_t current = 0;
    if (!fujiPropertyValue(0xD018, &current)) return ERROR_GENERAL;
    if (current != q) {
        ResponseCode rc = propSet(0xD018, q, true);
        if (rc != PTP_RC_OK) return rc;
    }
    if (raw != kFujiFormatNone && propExists(0xD022)) {
        uint32_t compression = 0;
        if (!fujiPropertyValue(0xD022, &compression)) return ERROR_GENERAL;
        if (compression != (r >> 24)) {
            ResponseCode rc = propSet(0xD022, r >> 24, true);
            if (rc != PTP_RC_OK) return rc;
        }
    }
    if (jpeg != kFujiFormatNone) {
        uint32_t size = 0, index = (j >> 8) & 0xFF;
        if (!fujiPropertyValue(0x5003, &size)) return ERROR_GENERAL;
        if (index != size) {
            const char* text = fujiImageSizeText(index);
            if (!text) return ERROR_GENERAL;
            return fujiSetTextProperty(0x5003, text);
        }
    }
    return PTP_RC_OK;
}

bool fujiFormatIsRawPlusJpeg() {
    uint32_t q = 0;
    return fujiPropertyValue(0xD018, &q) && (q == 4 || q == 5 || q == 7);
}

std::string fujiImageFormatLabel(int32_t value) {
    if (value == kFujiFormatNone) return "--";
    uint32_t v = static_cast<uint32_t>(value);
    std::string label;
    if (isRawQuality((v >> 16) & 0xFF)) label = (v >> 24) == 2 ? "C-RAW" : "RAW";
    uint32_t quality = v & 0xFF;
    if (quality >= 2 && quality <= 7) {
        if (!label.empty()) label += " + ";
        if (char letter = fujiImageSizeLetter((v >> 8) & 0xFF)) label += std::string(1, letter) + " ";
        label += "JPG ";
        if (quality == 2) label += "(FINE)";
        else if (quality == 3) label += "(NORM)";
        else if (quality == 6) label += "(S-FINE)";
    }
    return label;
}

int fujiShotsAvailable() {
    PropertyCopy r = propCopyValues(0xD20D);
    if (!r || r->valueText[0] == 0) return 0;
    const char* text = r->valueText;
    if (camModelIndex() == 35) {
        for (int field = 0; field < 4; ++field) {
            text = std::strchr(text, ',');
            if (!text) return 0;
            ++text;
        }
    }
    return std::atoi(text);
}
