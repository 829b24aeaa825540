#include "engine/vendors/canon/canon_property_table.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <string>
#include <vector>

#include "engine/vendors/canon/canon_models.h"

namespace {

// A value-name table under construction; finished by its empty row.
class NameTable {
public:
    NameTable& add(const std::string& name, uint32_t value) {
        PropertyValueNamesStruct row{};
        std::snprintf(row.name, sizeof row.name, "%s", name.c_str());
        row.value = value;
        rows_.push_back(row);
        return *this;
    }
    NameTable& add(const std::string& name, std::initializer_list<uint32_t> values) {
        for (uint32_t v : values) add(name, v);
        return *this;
    }
    const PropertyValueNamesStruct* finish() {
        rows_.push_back(PropertyValueNamesStruct{});
        return rows_.data();
    }

private:
    std::vector<PropertyValueNamesStruct> rows_;
};

struct SpeedRow {
    uint32_t code;
    const char* name;
};

// Shutter codes step by eighths of a stop like the aperture; long times carry the seconds mark after the whole
// seconds.
const SpeedRow kSpeeds[] = {
    {0x10, "30\""},    {0x13, "25\""},    {0x14, "20\""},    {0x15, "20\""},    {0x18, "15\""},    {0x1B, "13\""},
    {0x1C, "10\""},    {0x1D, "10\""},    {0x20, "8\""},     {0x23, "6\""},     {0x24, "6\""},     {0x25, "5\""},
    {0x28, "4\""},     {0x2B, "3\"2"},    {0x2C, "3\""},     {0x2D, "2\"5"},    {0x30, "2\""},     {0x33, "1\"6"},
    {0x34, "1\"5"},    {0x35, "1\"3"},    {0x38, "1\""},     {0x3B, "0\"8"},    {0x3C, "0\"7"},    {0x3D, "0\"6"},
    {0x40, "0\"5"},    {0x43, "0\"4"},    {0x44, "0\"3"},    {0x45, "0\"3"},    {0x48, "1/4"},     {0x4B, "1/5"},
    {0x4C, "1/6"},     {0x4D, "1/6"},     {0x50, "1/8"},     {0x53, "1/10"},    {0x54, "1/10"},    {0x55, "1/13"},
    {0x58, "1/15"},    {0x5B, "1/20"},    {0x5C, "1/20"},    {0x5D, "1/25"},    {0x60, "1/30"},    {0x63, "1/40"},
    {0x64, "1/45"},    {0x65, "1/50"},    {0x68, "1/60"},    {0x6B, "1/80"},    {0x6C, "1/90"},    {0x6D, "1/100"},
    {0x70, "1/125"},   {0x73, "1/160"},   {0x74, "1/180"},   {0x75, "1/200"},   {0x78, "1/250"},   {0x7B, "1/320"},
    {0x7C, "1/350"},   {0x7D, "1/400"},   {0x80, "1/500"},   {0x83, "1/640"},   {0x84, "1/750"},   {0x85, "1/800"},
    {0x88, "1/1000"},  {0x8B, "1/1250"},  {0x8C, "1/1500"},  {0x8D, "1/1600"},  {0x90, "1/2000"},  {0x93, "1/2500"},
    {0x94, "1/3000"},  {0x95, "1/3200"},  {0x98, "1/4000"},  {0x9B, "1/5000"},  {0x9C, "1/6000"},  {0x9D, "1/6400"},
    {0xA0, "1/8000"},  {0xA3, "1/10000"}, {0xA5, "1/12800"}, {0xA8, "1/16000"}, {0xAB, "1/20000"}, {0xAD, "1/25600"},
    {0xB0, "1/32000"}, {0xB8, "1/64000"},
};

const PropertyValueNamesStruct* buildShutter(bool newRaw) {
    static NameTable dslr, mirrorless;
    NameTable& t = newRaw ? mirrorless : dslr;
    t.add("Auto", 0x0);
    if (newRaw) {
        t.add("Auto", 0x04).add("bulb", 0x0C);
    } else {
        t.add("bulb", {0x04, 0x0C});
    }
    for (const SpeedRow& s : kSpeeds) {
        if (newRaw && (s.code == 0xAB || s.code == 0xAD)) continue;  // 1/20000 and 1/25600
        t.add(s.name, s.code);
    }
    return t.finish();
}

// f-numbers of the aperture codes: per whole stop the stop itself, then its third, half and two-thirds steps.
const PropertyValueNamesStruct* buildAperture() {
    static NameTable t;
    t.add("Auto", {0xFFFF, 0x0, 0xFF});
    static const char* const kStops[][4] = {
        {"1", "1.1", "1.2", "1.2"},   {"1.4", "1.6", "1.8", "1.8"}, {"2", "2.2", "2.5", "2.5"},
        {"2.8", "3.2", "3.5", "3.5"}, {"4", "4.5", "4.5", "5"},     {"5.6", "6.3", "6.7", "7.1"},
        {"8", "9", "9.5", "10"},      {"11", "13", "13", "14"},     {"16", "18", "19", "20"},
        {"22", "25", "27", "29"},     {"32", "36", "38", "40"},     {"45", "51", "54", "57"},
        {"64", "72", "76", "80"},
    };
    uint32_t code = 0x08;
    for (const auto& stop : kStops) {
        t.add(std::string("f") + stop[0], code).add(std::string("f") + stop[1], code + 3);
        t.add(std::string("f") + stop[2], code + 4).add(std::string("f") + stop[3], code + 5);
        code += 8;
    }
    t.add("f91", 0x70);
    return t.finish();
}

const PropertyValueNamesStruct* buildIso() {
    static NameTable t;
    t.add("Factory Default", 0xFFFF);
    t.add("ISO 6", 0x28).add("ISO 12", 0x30).add("ISO 25", 0x38).add("ISO 50", 0x40).add("ISO 64", 0x43);
    t.add("ISO 80", 0x45);
    static const unsigned kThirds[] = {100,   125,   160,   200,   250,   320,   400,   500,   640,   800,   1000,
                                       1250,  1600,  2000,  2500,  3200,  4000,  5000,  6400,  8000,  10000, 12800,
                                       16000, 20000, 25600, 32000, 40000, 51200, 64000, 80000, 102400};
    static const uint32_t kOffsets[] = {0, 3, 5};
    for (size_t i = 0; i < std::size(kThirds); ++i)
        t.add("ISO " + std::to_string(kThirds[i]), 0x48 + 8 * static_cast<uint32_t>(i / 3) + kOffsets[i % 3]);
    t.add("Auto ISO", {0x0, 0x1});
    return t.finish();
}

// A signed byte in eighths of a stop, thirds written as 3 and 5, a half as 4; from +5 down to -5.
const PropertyValueNamesStruct* buildExposureComp() {
    static NameTable t;
    auto name = [](char sign, int whole, const char* part) {
        std::string s(1, sign);
        if (whole > 0) s += std::to_string(whole);
        if (part) {
            if (whole > 0) s += ' ';
            s += part;
        }
        return s;
    };
    t.add("+5", 0x28);
    for (int w = 4; w >= 0; --w) {
        uint32_t base = static_cast<uint32_t>(8 * w);
        t.add(name('+', w, "2/3"), base + 5).add(name('+', w, "1/2"), base + 4).add(name('+', w, "1/3"), base + 3);
        if (w > 0) t.add(name('+', w, nullptr), base);
    }
    t.add("0", 0x00);
    for (int w = 0; w <= 4; ++w) {
        uint32_t base = static_cast<uint32_t>(8 * w);
        if (w > 0) t.add(name('-', w, nullptr), 256 - base);
        t.add(name('-', w, "1/3"), 256 - base - 3).add(name('-', w, "1/2"), 256 - base - 4);
        t.add(name('-', w, "2/3"), 256 - base - 5);
    }
    t.add("-5", 0xD8);
    return t.finish();
}

const PropertyValueNamesStruct* buildExposureMode() {
    static NameTable t;
    static const char* const kFirst[] = {"P",          "Tv",       "Av",       "Manual",        "Bulb",   "A-DEP",
                                         "DEP",        "Custom",   "Lock",     "Full Auto",     "Night Portrait",
                                         "Sports",     "Portrait", "Landscape", "Closeup",      "Flash Off",
                                         "Custom 2",   "Custom 3"};
    for (size_t i = 0; i < std::size(kFirst); ++i) t.add(kFirst[i], static_cast<uint32_t>(i));
    t.add("Creative Auto", 19).add("Movie", 20).add("Auto+", 22).add("Night Scene", 23).add("HDR", 24);
    t.add("Special Scene", 25).add("Creative Filters", {29, 30, 35}).add("Hybrid Auto", 51).add("Fv", 55);
    return t.finish();
}

const PropertyValueNamesStruct* buildDrive() {
    static NameTable t;
    t.add("Single", 0x0).add("Continuous", 0x1).add("Continuous high speed", 0x4).add("Continuous low speed", 0x5);
    t.add("S", 0x6).add("Custom", 0x7).add("Timer", 0x10).add("Timer 2 sec", 0x11);
    t.add("Continuous high speed plus", 0x12).add("Silent", 0x13).add("Silent Continuous", 0x14);
    t.add("Silent Continuous High", 0x15).add("Silent Continuous Low", 0x16);
    return t.finish();
}

const PropertyValueNamesStruct* buildMetering() {
    static NameTable t;
    t.add("Center-weighted", 0).add("Spot", 1).add("Average", 2).add("Evaluative", 3).add("Partial", 4);
    t.add("Center-weighted average", 5).add("Spot metering with AF frame", 6).add("Multi spot", 7);
    return t.finish();
}

const PropertyValueNamesStruct* buildFocus() {
    static NameTable t;
    t.add("One Shot", 0).add("AI Servo", 1).add("AI Focus", 2).add("MF", 3);
    return t.finish();
}

const PropertyValueNamesStruct* buildWhiteBalance() {
    static NameTable t;
    t.add("Auto", 0).add("Daylight", 1).add("Cloudy", 2).add("Tungsten", 3).add("Fluorescent", 4).add("Flash", 5);
    t.add("Custom", 6).add("Shade", 8).add("Color Temperature", 9).add("Custom", {15, 16, 18, 19}).add("AutoW", 23);
    return t.finish();
}

const PropertyValueNamesStruct* buildColorSpace() {
    static NameTable t;
    t.add("sRGB", 1).add("AdobeRGB", 2);
    return t.finish();
}

const PropertyValueNamesStruct* buildPictureStyle() {
    static NameTable t;
    t.add("Standard", 0x81).add("Portrait", 0x82).add("Landscape", 0x83).add("Neutral", 0x84).add("Faithful", 0x85);
    t.add("Monochrome", 0x86).add("User defined 1", 0x21).add("User defined 2", 0x22).add("User defined 3", 0x23);
    return t.finish();
}

const PropertyValueNamesStruct* buildMovieServo() {
    static NameTable t;
    t.add("Servo Off", 0).add("Servo On", 1);
    return t.finish();
}

const PropertyValueNamesStruct* buildBracket() {
    static NameTable t;
    t.add("Off", 0).add("+/- 1/3", 3).add("+/- 1/2", 4).add("+/- 2/3", 5).add("+/- 1", 8).add("+/- 1 1/3", 0x0B);
    t.add("+/- 1 1/2", 0x0C).add("+/- 1 2/3", 0x0D).add("+/- 2", 0x10).add("+/- 2 1/3", 0x13);
    t.add("+/- 2 1/2", 0x14).add("+/- 2 2/3", 0x15).add("+/- 3", 0x18);
    return t.finish();
}

// The property table, built once.
struct PropertyTable {
    std::deque<std::string> names;  // storage of the generated names (addresses never move)
    std::vector<PropertyNameStruct> rows;

    void row(uint32_t code, const char* name, int32_t kind, const PropertyValueNamesStruct* values = nullptr) {
        rows.push_back({code, name, kind, values});
    }
    // Codes first..first+count-1 named "<prefix> 1" to "<prefix> count".
    void numbered(uint32_t first, int count, const char* prefix, int32_t kind) {
        for (int i = 0; i < count; ++i) {
            names.push_back(std::string(prefix) + " " + std::to_string(i + 1));
            row(first + static_cast<uint32_t>(i), names.back().c_str(), kind);
        }
    }

    PropertyTable() {
        const int32_t u8 = PTP_DTC_UINT8, u16 = PTP_DTC_UINT16, u32 = PTP_DTC_UINT32, i8 = PTP_DTC_INT8,
                      i16 = PTP_DTC_INT16, text = kPropKindText;
        const PropertyValueNamesStruct* formats = canonImageFormatNames();
        const PropertyValueNamesStruct* modes = canonExposureModeNames();
        row(0x0000, "Unknown", u8);
        row(0xD055, "Lens Zoom", 0);
        row(0xD101, "Aperture", u16, canonApertureNames());
        row(0xD102, "Shutter Speed", u16, canonShutterNames());
        row(0xD103, "ISO", u16, canonIsoNames());
        row(0xD104, "Exposure Compensation", i8, canonExposureCompNames());
        row(0xD105, "Auto Exposure Mode", u16, modes);
        row(0xD138, "Auto Exposure Mode", u16, modes);
        row(0xD106, "Drive Mode", u16, canonDriveModeNames());
        row(0xD107, "Metering Mode", u8, canonMeteringNames());
        row(0xD108, "Focus Mode", u16, canonFocusModeNames());
        row(0xD109, "White Balance", u8, canonWhiteBalanceNames());
        row(0xD10A, "Color Temperature", u32);
        row(0xD10B, "White Balance Adjust A", i16);
        row(0xD10C, "White Balance Adjust B", i16);
        row(0xD10D, "White Balance XA", u32);
        row(0xD10E, "White Balance XB", u32);
        row(0xD10F, "Color Space", u16, canonColorSpaceNames());
        row(0xD110, "Picture Style", u8, canonPictureStyleNames());
        row(0xD111, "Battery Power", u16);
        row(0xD112, "Battery Type", u16);
        row(0xD113, "Camera Time", u32);
        row(0xD115, "Camera Owner", text);
        row(0xD116, "Model ID", u32);
        row(0xD119, "PTP Version", u16);
        row(0xD11A, "DPOF Version", u16);
        row(0xD11B, "Available Pictures", u32);
        row(0xD11C, "Capture Destination", u32);
        row(0xD11D, "Bracket Mode", u16);
        row(0xD11E, "Current Storage", u32);
        row(0xD11F, "Current Folder", u32);
        row(0xD120, "Image Format", u32, formats);
        row(0xD121, "Image Format CF", u32, formats);
        row(0xD122, "Image Format SD", u32, formats);
        row(0xD123, "Image Format Ext HD", u32, formats);
        row(0xD130, "Compression S", u8);
        row(0xD131, "Compression M1", u8);
        row(0xD132, "Compression M2", u8);
        row(0xD133, "Compression L", u8);
        row(0xD13A, "Mirror Up", u8);
        numbered(0xD140, 5, "PC White Balance", u8);
        row(0xD145, "M White Balance", u8);
        row(0xD150, "Picture Style Standard", u8);
        row(0xD151, "Picture Style Portrait", u8);
        row(0xD152, "Picture Style Landscape", u8);
        row(0xD153, "Picture Style Neutral", u8);
        row(0xD154, "Picture Style Faithful", u8);
        row(0xD155, "Picture Style Black & White", u8);
        numbered(0xD160, 3, "Picture Style User Set", u8);
        numbered(0xD170, 3, "Picture Style Param", u8);
        row(0xD179, "Movie AF Servo On", u8, canonMovieServoNames());
        row(0xD17F, "Flavor LUT Params", u8);
        numbered(0xD180, 19, "Custom Function", u8);
        row(0xD199, "OLC Info Version", u8);
        row(0xD1A0, "Custom Function Ex", u32);
        row(0xD1A1, "My Menu", u8);
        row(0xD1A2, "My Menu List", u8);
        row(0xD1A3, "Wft Status", u32);
        row(0xD1A4, "Wft Input Transmission", u8);
        row(0xD1A5, "HD Directory Structure", u8);
        row(0xD1A6, "Battery Info", u8);
        row(0xD1A7, "Adapter Info", u8);
        row(0xD1A8, "Lens Status", u32);
        row(0xD1A9, "Image Review Time", u16);
        row(0xD1AA, "Card Extension", u32);
        row(0xD1AB, "Temperature Status", u32);
        row(0xD1AC, "Shutter Counter", u32);
        row(0xD1AD, "Special Option", u8);
        row(0xD1AE, "Photo Studio Mode", u32);
        row(0xD1AF, "Serial Number", text);
        row(0xD1B0, "EVF Output Device", u16);
        row(0xD1B1, "EVF Mode", u16);
        row(0xD1B2, "Depth of Field Preview", u32);
        row(0xD1B3, "EVF Sharpness", u32);
        row(0xD1B4, "ECF WB Mode", u32);
        row(0xD1B5, "ECF Click WB Coefficients", u32);
        row(0xD1B6, "ECF Color Temperature", u32);
        row(0xD1B7, "Exposure Sim Mode", u32);
        row(0xD1B8, "EVF Record Status", u32);
        row(0xD1BA, "Lv Af System", u32);
        row(0xD1BB, "Mov Size", u32);
        row(0xD1BD, "Mirror Down Status", u32);
        row(0xD1BE, "Movie Param", u32);
        row(0xD1BF, "Mirror Lockup State", u32);
        row(0xD1BC, "Lv View Type Select", u32);
        row(0xD1D0, "Artist", text);
        row(0xD1D1, "Copyright", text);
        row(0xD1D2, "Bracket Value", u8);
        row(0xD1D3, "Focus Info Ex", u8);
        row(0xD1D4, "Depth of Field", u32);
        row(0xD1D5, "Brightness", u8);
        row(0xD1D6, "Lens Adjust Parameters", u8);
        row(0xD1D7, "EF Comp", u8);
        row(0xD1D8, "Lens Name", text);
        row(0xD1D9, "Exposure Bracketing", u16, canonExposureBracketNames());
        row(0xD1DA, "Strobo Setting", u8);
        row(0xD1DB, "Strobo Wireless Setting", u8);
        row(0xD1DC, "Strobo Firing", u32);
        row(0xD1C0, "Flash Charging", u32);
        row(kCanonPropertySentinel, "Lens ID", u32);
    }
};

const PropertyTable& table() {
    static const PropertyTable t;
    return t;
}

bool inRange(uint32_t code, uint32_t first, uint32_t last) { return code >= first && code <= last; }

const PropertyValueNamesStruct* buildShutterDslr() { return buildShutter(false); }
const PropertyValueNamesStruct* buildShutterNewRaw() { return buildShutter(true); }

// A table built on its first use.
template <const PropertyValueNamesStruct* (*Build)()>
const PropertyValueNamesStruct* once() {
    static const PropertyValueNamesStruct* table = Build();
    return table;
}
}  // namespace

const PropertyNameStruct* canonPropertyNames() { return table().rows.data(); }
size_t canonPropertyNameCount() { return table().rows.size(); }

const PropertyNameStruct* canonPropertyEntry(uint32_t code) {
    for (const PropertyNameStruct& row : table().rows)
        if (row.code == code) return &row;
    return nullptr;
}

int32_t canonEventValueType(uint32_t code) {
    switch (code) {
        case 0xD115: case 0xD1AF: case 0xD1D0: case 0xD1D1: case 0xD1D8:
            return kPropKindText;
        case 0xD104:
            return PTP_DTC_INT8;
        case 0xD10B: case 0xD10C:
            return PTP_DTC_INT16;
        case 0xD101: case 0xD102: case 0xD103: case 0xD105: case 0xD106: case 0xD108: case 0xD10F: case 0xD111:
        case 0xD112: case 0xD119: case 0xD11A: case 0xD11D: case 0xD138: case 0xD1A9: case 0xD1B0: case 0xD1B1:
        case 0xD1D4: case 0xD1D9:
            return PTP_DTC_UINT16;
        case 0xD107: case 0xD109: case 0xD110: case 0xD179: case 0xD199: case 0xD1A1: case 0xD1A2: case 0xD1AD:
        case 0xD1D2: case 0xD1D3: case 0xD1DA: case 0xD1DB:
            return PTP_DTC_UINT8;
        default: break;
    }
    if (inRange(code, 0xD130, 0xD133) || inRange(code, 0xD140, 0xD145) || inRange(code, 0xD150, 0xD155) ||
        inRange(code, 0xD160, 0xD162) || inRange(code, 0xD170, 0xD172) || inRange(code, 0xD17F, 0xD192) ||
        inRange(code, 0xD1A4, 0xD1A7) || inRange(code, 0xD1D5, 0xD1D7))
        return PTP_DTC_UINT8;
    return PTP_DTC_UINT32;
}

const PropertyValueNamesStruct* canonApertureNames() { return once<buildAperture>(); }
const PropertyValueNamesStruct* canonShutterNames() { return once<buildShutterDslr>(); }
const PropertyValueNamesStruct* canonShutterNamesNewRaw() { return once<buildShutterNewRaw>(); }
const PropertyValueNamesStruct* canonIsoNames() { return once<buildIso>(); }
const PropertyValueNamesStruct* canonExposureCompNames() { return once<buildExposureComp>(); }
const PropertyValueNamesStruct* canonExposureModeNames() { return once<buildExposureMode>(); }
const PropertyValueNamesStruct* canonDriveModeNames() { return once<buildDrive>(); }
const PropertyValueNamesStruct* canonMeteringNames() { return once<buildMetering>(); }
const PropertyValueNamesStruct* canonFocusModeNames() { return once<buildFocus>(); }
const PropertyValueNamesStruct* canonWhiteBalanceNames() { return once<buildWhiteBalance>(); }
const PropertyValueNamesStruct* canonColorSpaceNames() { return once<buildColorSpace>(); }
const PropertyValueNamesStruct* canonPictureStyleNames() { return once<buildPictureStyle>(); }
const PropertyValueNamesStruct* canonMovieServoNames() { return once<buildMovieServo>(); }
const PropertyValueNamesStruct* canonExposureBracketNames() { return once<buildBracket>(); }

size_t canonValueNameCount(const PropertyValueNamesStruct* t) {
    size_t n = 0;
    while (t && t[n].name[0] != '\0') ++n;
    return n;
}

const char* canonValueName(const PropertyValueNamesStruct* t, uint32_t value) {
    for (size_t i = 0; t && t[i].name[0] != '\0'; ++i)
        if (t[i].value == value) return t[i].name;
    return nullptr;
}

const PropertyValueNamesStruct* canonAlternativeValueNames(uint32_t code) {
    if (code == 0xD102 && canonModelFacts().newRaw) return canonShutterNamesNewRaw();
    return nullptr;
}

uint32_t canonShutterMilliseconds(uint32_t code) {
    if (code < 0x10 || code > 0x90) return 0;
    for (const SpeedRow& s : kSpeeds) {
        if (s.code != code) continue;
        const char* mark = std::strchr(s.name, '"');
        uint32_t ms;
        if (mark) {  // seconds, the mark, tenths
            ms = static_cast<uint32_t>(std::atoi(s.name)) * 1000 + (mark[1] ? static_cast<uint32_t>(std::atoi(mark + 1)) * 100 : 0);
        } else {  // "1/n"
            ms = 1000 / static_cast<uint32_t>(std::atoi(s.name + 2));
        }
        return ms == 0 ? 1 : ms;
    }
    return 0;
}
