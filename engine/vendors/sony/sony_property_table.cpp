#include "engine/vendors/sony/sony_property_table.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <map>

namespace {

using Names = std::vector<PropertyValueNamesStruct>;

PropertyValueNamesStruct entry(const std::string& name, uint32_t value) {
    PropertyValueNamesStruct e{};
    propCopyText(e.name, sizeof e.name, name);
    e.value = value;
    return e;
}

// A list ended by its empty row, kept for the life of the process.
const PropertyValueNamesStruct* finished(Names rows) {
    static std::vector<Names> keep;
    rows.push_back(PropertyValueNamesStruct{});
    keep.reserve(32);
    keep.push_back(std::move(rows));
    return keep.back().data();
}

std::string decimalText(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", v);
    return buf;
}

// Shutter speeds as numerator / denominator, longest first.
struct Speed {
    uint32_t num, den;
};
const Speed kSpeeds[] = {
    {300, 10}, {250, 10}, {200, 10}, {150, 10}, {130, 10}, {100, 10}, {80, 10}, {60, 10}, {50, 10}, {40, 10},
    {32, 10},  {25, 10},  {20, 10},  {16, 10},  {13, 10},  {10, 10},  {8, 10},  {6, 10},  {5, 10},  {4, 10},
    {3, 10},   {1, 4},    {1, 5},    {1, 6},    {1, 8},    {1, 10},   {1, 13},  {1, 15},  {1, 20},  {1, 25},
    {1, 30},   {1, 40},   {1, 50},   {1, 60},   {1, 80},   {1, 100},  {1, 125}, {1, 160}, {1, 200}, {1, 250},
    {1, 320},  {1, 400},  {1, 500},  {1, 640},  {1, 800},  {1, 1000}, {1, 1250}, {1, 1600}, {1, 2000}, {1, 2500},
    {1, 3200}, {1, 4000}, {1, 5000}, {1, 6400}, {1, 8000},
};

// Whole and tenth seconds carry the seconds mark; shorter times are fractions.
std::string speedName(uint32_t num, uint32_t den) {
    if (num == 0) return "Bulb";
    char buf[32];
    if (num == 1 && den > 1) {
        std::snprintf(buf, sizeof buf, "1/%u", den);
    } else if (den == 10 && num % 10 == 0) {
        std::snprintf(buf, sizeof buf, "%u\"", num / 10);
    } else if (den == 10) {
        std::snprintf(buf, sizeof buf, "%u.%u\"", num / 10, num % 10);
    } else {
        std::snprintf(buf, sizeof buf, "%u/%u", num, den);
    }
    return buf;
}

const uint32_t kApertures[] = {100,  110,  120,  140,  160,  180,  200,  220,  250,  280,  320,  350,
                               400,  450,  500,  560,  630,  710,  800,  900,  1000, 1100, 1300, 1400,
                               1600, 1800, 2000, 2200, 2500, 2900, 3200, 3500, 3900, 4500};

// ISO numbers in third stops from 25.
const uint32_t kIsoSteps[] = {25,     32,     40,     50,     64,     80,     100,    125,   160,   200,   250,
                              320,    400,    500,    640,    800,    1000,   1250,   1600,  2000,  2500,  3200,
                              4000,   5000,   6400,   8000,   10000,  12800,  16000,  20000, 25600, 32000, 40000,
                              51200,  64000,  80000,  102400, 128000, 160000, 204800, 256000, 320000, 409600};

std::string isoName(uint32_t iso) { return iso == kSonyIsoAuto ? "AUTO" : "ISO " + std::to_string(iso); }

// Per model: the lowest ISO and the lengths of the stills and movie lists (AUTO included, last).
struct IsoRule {
    uint8_t model;
    uint32_t lowest;
    uint8_t stills, movie;
};
const IsoRule kIsoRules[] = {
    {160, 50, 35, 26}, {169, 50, 35, 26}, {161, 50, 35, 29}, {162, 50, 29, 29}, {163, 50, 36, 32},
    {164, 50, 36, 32}, {165, 50, 29, 1},  {172, 50, 29, 1},  {166, 100, 29, 26}, {168, 100, 29, 26},
    {175, 100, 29, 26}, {167, 100, 32, 20}, {170, 50, 32, 26}, {173, 40, 37, 34}, {174, 100, 35, 27},
};

// Drive-mode brackets: 0x8000 | images << 8 | step, the step byte giving the EV and whether the bracket is shot
// continuously (whole EV: EV << 4 | 1, tenths: tenths << 4 | 7) or one press at a time (| 0 and | 6).
void addBrackets(Names& rows) {
    const struct {
        uint8_t tenths;
        bool whole;
    } steps[] = {{3, false}, {5, false}, {7, false}, {10, true}, {20, true}, {30, true}};
    for (bool continuous : {true, false})
        for (uint32_t images : {3u, 5u, 9u})
            for (auto s : steps) {
                uint32_t nibble = s.whole ? s.tenths / 10u : s.tenths;
                uint32_t low = s.whole ? (continuous ? 1u : 0u) : (continuous ? 7u : 6u);
                char buf[32];
                std::snprintf(buf, sizeof buf, "%s %u.%uEV %u Image", continuous ? "Continuous" : "Single",
                              s.tenths / 10u, s.tenths % 10u, images);
                rows.push_back(entry(buf, 0x8000u | images << 8 | nibble << 4 | low));
            }
}

struct Tables {
    std::map<uint32_t, const PropertyValueNamesStruct*> byCode;
    std::vector<PropertyNameStruct> rows;
};

Names list(std::initializer_list<std::pair<const char*, uint32_t>> items) {
    Names rows;
    for (auto& [n, v] : items) rows.push_back(entry(n, v));
    return rows;
}

Tables build() {
    Tables t;
    auto& m = t.byCode;
    m[0x5004] = finished(list({{"Light", 1}, {"Standard", 2}, {"Fine", 3}, {"Extra Fine", 4}, {"RAW", 0x10},
                               {"RAW + EF JPG", 0x14}, {"RAW + Fine JPG", 0x13}, {"RAW + JPG", 0x12}}));
    m[0x5005] = finished(list({{"Auto", 2}, {"Daylight", 4}, {"Shade", 0x8011}, {"Cloudy", 0x8010},
                               {"Incandescent", 6}, {"Fluorescent Warm White", 0x8001},
                               {"Fluorescent Cool White", 0x8002}, {"Fluorescent Day White", 0x8003},
                               {"Fluorescent Daylight", 0x8004}, {"Flash", 7}, {"Custom Temp / Filer", 0x8012},
                               {"Custom 1", 0x8020}, {"Custom 2", 0x8021}, {"Custom 3", 0x8022},
                               {"Underwater Auto", 0x8030}}));
    m[0x500A] = finished(list({{"MF", 1}, {"AF-S", 2}, {" ", 3}, {"AF-C", 0x8004}, {"AF-A", 0x8005}, {" ", 0x8008},
                               {"DMF", 0x8006}, {" ", 0x8007}}));
    m[0x500B] = finished(list({{"Spot", 4}, {"Multi-Segment", 1}, {"Center Weighted", 2}, {"Multi", 0x8001},
                               {"Center", 0x8002}, {"Entire Screen Average", 0x8003}, {"Spot", 0x8004},
                               {"Spot Large", 0x8005}, {"Highlight", 0x8006}}));
    m[0x500C] = finished(list({{"Auto Flash", 1}, {"Flash Off", 2}, {"Fill Flash", 3}, {"Slow Sync", 0x8001},
                               {"Rear Sync", 0x8003}}));
    m[0x500E] = finished(list({{"M", 1},
                               {"P", 2},
                               {"A", 3},
                               {"S", 4},
                               {"Scene Portrait", 7},
                               {"Intelligent Auto", 0x8000},
                               {"Superior Auto", 0x8001},
                               {"Scene Sports Action", 0x8011},
                               {"Scene Sunset", 0x8012},
                               {"Scene Night Scene", 0x8013},
                               {"Scene Landscape", 0x8014},
                               {"Scene Macro", 0x8015},
                               {"Scene Hand-held Twilight", 0x8016},
                               {"Scene Night Portrait", 0x8017},
                               {"Scene Anti Motion Blur", 0x8018},
                               {"Scene Pet", 0x8019},
                               {"Scene Gourmet", 0x801A},
                               {"Scene Fireworks", 0x801B},
                               {"Scene High Sensitivity", 0x801C},
                               {"Panorama", 0x8041},
                               {"Movie", 0x8050},
                               {"Movie P", 0x30002},
                               {"Movie S", 0x30004},
                               {"Movie M", 0x30001},
                               {"Movie A", 0x30003},
                               {"Movie A", 0x20003},
                               {"S&Q Movie", 0x78050}}));
    {
        Names d = list({{"Single", 1},
                        {"Continuous High", 2},
                        {"Continuous High Plus", 0x8010},
                        {"Continuous Low", 0x8012},
                        {"Continuous Mid", 0x8015},
                        {"Timer 10 Sec", 0x8004},
                        {"Timer 5 Sec", 0x8003},
                        {"Timer 2 Sec", 0x8005},
                        {"Continuous Self Timer 3 Image", 0x8008},
                        {"Continuous Self Timer 5 Image", 0x8009},
                        {"Continuous Self Timer 3 2 Sec", 0x800C},
                        {"Continuous Self Timer 5 2 Sec", 0x800D},
                        {"Continuous Self Timer 3 5 Sec", 0x800E},
                        {"Continuous Self Timer 5 5 Sec", 0x800F}});
        addBrackets(d);
        m[0x5013] = finished(std::move(d));
    }
    m[0xD201] = finished(list({{"Auto", 0x1F}, {"Off", 1}, {"DR0 Level 1", 0x11}, {"DR0 Level 2", 0x12},
                               {"DR0 Level 3", 0x13}, {"DR0 Level 4", 0x14}, {"DR0 Level 5", 0x15},
                               {"Auto HDR", 0x20}, {"Auto HDR 1.0EV", 0x21}, {"Auto HDR 2.0EV", 0x22},
                               {"Auto HDR 3.0EV", 0x23}, {"Auto HDR 4.0EV", 0x24}, {"Auto HDR 5.0EV", 0x25},
                               {"Auto HDR 6.0EV", 0x26}}));
    m[0xD203] = finished(list({{"Large", 1}, {"Medium", 2}, {"Small", 3}}));
    m[0xD211] = finished(list({{"3:2", 1}, {"16:9", 2}}));
    {
        Names s{entry("Bulb", 0)};
        for (const Speed& sp : kSpeeds) s.push_back(entry(speedName(sp.num, sp.den), sonyShutterValue(sp.num, sp.den)));
        m[0xD20D] = finished(std::move(s));
    }
    m[0xD21B] = finished(list({{"Off", 0x8000},
                               {"Toy Camera: Normal", 0x8001},
                               {"Toy Camera: Cool", 0x8002},
                               {"Toy Camera: Warm", 0x8003},
                               {"Toy Camera: Green", 0x8004},
                               {"Toy Camera: Magenta", 0x8005},
                               {"Pop Color", 0x8010},
                               {"Posterization: B/W", 0x8020},
                               {"Posterization: Color", 0x8021},
                               {"Retro Photo", 0x8030},
                               {"Soft High-key", 0x8040},
                               {"Partial Color: Red", 0x8050},
                               {"Partial Color: Green", 0x8051},
                               {"Partial Color: Blue", 0x8052},
                               {"Partial Color: Yellow", 0x8053},
                               {"High Contrast Mono", 0x8060},
                               {"Soft Focus: Low", 0x8070},
                               {"Soft Focus: Mid", 0x8071},
                               {"Soft Focus: High", 0x8072},
                               {"HDR Painting: Low", 0x8080},
                               {"HDR Painting: Mid", 0x8081},
                               {"HDR Painting: High", 0x8082},
                               {"Rich-tone Mono", 0x8090},
                               {"Miniature: Auto", 0x80A0},
                               {"Miniature: Top", 0x80A1},
                               {"Miniature: Middle", 0x80A2},
                               {"Miniature: Bottom", 0x80A3},
                               {"Watercolor", 0x80B0},
                               {"Illustration: Low", 0x80C0},
                               {"Illustration: High", 0x80C2}}));
    {
        Names iso;
        for (uint32_t v : kIsoSteps) iso.push_back(entry(isoName(v), v));
        iso.push_back(entry("AUTO", kSonyIsoAuto));
        m[0xD21E] = finished(std::move(iso));
    }
    m[0xD22C] = finished(list({{"Wide", 1}, {"Zone", 2}, {"Center", 3}, {"Flexible Spot S", 0x101},
                               {"Flexible Spot M", 0x102}, {"Flexible Spot L", 0x103},
                               {"Expand Flexible Spot", 0x104}, {"Expand Spot XS", 0x106}, {"Expand Spot XL", 0x107},
                               {"C1", 0x1101}, {"C2", 0x1102}, {"C3", 0x1103}}));
    m[0xD252] = finished(list({{"Extra Fine", 1}, {"Fine", 2}, {"Std", 3}, {"Light", 4}}));
    m[0xD253] = finished(list({{"RAW", 1}, {"RAW + JPG", 2}, {"JPG", 3}}));
    m[0xD25F] = finished(list({{"Optical", 1}, {"Clear Image", 3}, {"Digital", 4}}));

    const struct {
        uint32_t code;
        const char* name;
        int32_t kind;
    } rows[] = {
        {0x0000, "Unknown", 2},
        {0x5004, "Image Format", 0},
        {0x5005, "White Balance", 0},
        {0x5007, "Aperture", 0},
        {0x500A, "Focus Mode", 0},
        {0x500B, "Metering Mode", 0},
        {0x500C, "Flash Mode", 0},
        {0x500E, "Auto Exposure Mode", 0},
        {0x5010, "Exposure Compensation", 0},
        {0x5013, "Drive Mode", 0},
        {0xD200, "Flash Compensation", 0},
        {0xD201, "Dynamic Range Optimizer", 0},
        {0xD203, "Image Size", 0},
        {0xD20D, "Shutter Speed", 0},
        {0xD20E, "Face Detection Mode", 0},
        {0xD20F, "Color Temperature", 0},
        {0xD210, "CC Filter", 0},
        {0xD211, "Aspect Ratio", 0},
        {0xD213, "Has Focus Flag", 0},
        {0xD214, "Zoom", 0},
        {0xD215, "Image Pending", 0},
        {0xD218, "Battery Life", 0},
        {0xD21B, "Picture Effect", 0},
        {0xD21C, "AB Filter", 0},
        {0xD21D, "Movie Recording Status", 0},
        {0xD21E, "ISO", 0},
        {0xD22C, "Focus Area", 0},
        {0xD252, "Image Compression", 0},
        {0xD253, "Image Format", 0},
        {0xD22F, "Zoom Amount", 0},
        {0xD232, "Live View Location", 0},
        {0xD24C, "Focus Position", 0},
        {0xD254, "Zoom Amount", 0},
        {0xD25B, "Zoom Enabled", 0},
        {0xD25C, "Zoom Scale", 0},
        {0xD25D, "Zoom Bar Information", 0},
        {0xD25F, "Zoom Setting", 0},
        {0xD2C1, "AF AE", 0},
        {0xD2C2, "Shutter", 0},
        {0xD2C3, "Auto Exposure Lock", 0},
        {0xD2C7, "Combined Single Shot", 0},
        {0xD2CD, "Remote Key Up", 4},
        {0xD2CE, "Remote Key Down", 4},
        {0xD2CF, "Remote Key Left", 4},
        {0xD2D0, "Remote Key Right", 4},
        {0xD2D1, "Drive Lens", 0},
        {0xD2D2, "Focus Toggle/Engage", 0},
        {kSonyPropertySentinel, "Pixel Shift Multi-Shoot", 0},
    };
    for (auto& r : rows) {
        auto it = m.find(r.code);
        t.rows.push_back({r.code, r.name, r.kind, it == m.end() ? nullptr : it->second});
    }
    return t;
}

const Tables& tables() {
    static const Tables t = build();
    return t;
}

Names withNames(uint32_t code, const std::vector<uint32_t>& values) {
    Names out;
    for (uint32_t v : values) {
        std::optional<std::string> own = sonyFormatValueText(code, v);
        const char* name = sonyValueName(code, v);
        out.push_back(entry(own ? *own : name ? name : std::to_string(v), v));
    }
    return out;
}
}  // namespace

const PropertyNameStruct* sonyPropertyNames() { return tables().rows.data(); }
size_t sonyPropertyNameCount() { return tables().rows.size(); }
const PropertyNameStruct* sonyPropertyEntry(uint32_t code) {
    for (const PropertyNameStruct& r : tables().rows)
        if (r.code == code) return &r;
    return nullptr;
}

const PropertyValueNamesStruct* sonyValueNames(uint32_t code) {
    auto it = tables().byCode.find(code);
    return it == tables().byCode.end() ? nullptr : it->second;
}

const char* sonyValueName(uint32_t code, uint32_t value) {
    const PropertyValueNamesStruct* t = sonyValueNames(code);
    return t ? propValueNameInTable(t, value) : nullptr;
}

const std::vector<uint32_t>& sonyShutterSpeeds() {
    static const std::vector<uint32_t> speeds = [] {
        std::vector<uint32_t> v{0};
        for (const Speed& s : kSpeeds) v.push_back(sonyShutterValue(s.num, s.den));
        return v;
    }();
    return speeds;
}

uint32_t sonyExposureMs(uint32_t value) {
    if (value < 0x10000 || value > 0xFFFEFFFF || (value & 0xFFFF) == 0) return 0;
    return static_cast<uint32_t>(static_cast<uint64_t>(value >> 16) * 1000 / (value & 0xFFFF));
}

bool sonyIsMovieProgram(uint32_t program) { return program == 0x8050 || program == 0x78050; }

std::vector<PropertyValueNamesStruct> sonyFixedShutterList(uint8_t model, uint32_t exposureProgram) {
    const bool stopsAt4000 = model == 166 || model == 167 || model == 168 || model == 174 || model == 175;
    const bool movie = sonyIsMovieProgram(exposureProgram);
    std::vector<uint32_t> values;
    for (uint32_t v : sonyShutterSpeeds()) {
        if (stopsAt4000 && (v >> 16) == 1 && (v & 0xFFFF) > 4000) continue;
        // A movie program keeps the speeds from 1/4 on (fractions of one over four or more).
        if (movie && !((v >> 16) == 1 && (v & 0xFFFF) >= 4)) continue;
        values.push_back(v);
    }
    return withNames(0xD20D, values);
}

std::vector<PropertyValueNamesStruct> sonyFixedApertureList() {
    return withNames(0x5007, std::vector<uint32_t>(std::begin(kApertures), std::end(kApertures)));
}

std::vector<PropertyValueNamesStruct> sonyFixedIsoList(uint8_t model, bool movie) {
    IsoRule rule{0, 100, 29, 26};
    for (const IsoRule& r : kIsoRules)
        if (r.model == model) rule = r;
    size_t numbers = static_cast<size_t>(movie ? rule.movie : rule.stills) - 1;  // AUTO is the last entry
    std::vector<uint32_t> values;
    for (uint32_t iso : kIsoSteps)
        if (iso >= rule.lowest && values.size() < numbers) values.push_back(iso);
    values.push_back(kSonyIsoAuto);
    Names out;
    for (uint32_t v : values) out.push_back(entry(isoName(v), v));
    return out;
}

std::vector<PropertyValueNamesStruct> sonyColourTemperatureList() {
    Names out;
    for (uint32_t k = 2500; k <= 9900; k += 100) out.push_back(entry(std::to_string(k), k));
    return out;
}

std::optional<std::string> sonyFormatValueText(uint32_t code, uint32_t value) {
    switch (code) {
        case 0x5007: return decimalText(value / 100.0);
        case 0x500A:
        case 0x500B:
        case 0x500E: {
            const char* name = sonyValueName(code, value);
            if (!name) return std::nullopt;
            return std::string(name);
        }
        case 0x5010:
        case 0xD200: {
            double ev = static_cast<int16_t>(value & 0xFFFF) / 1000.0;
            if (std::fabs(ev) < 0.001) return code == 0x5010 ? std::string("+/-0") : std::string("0");
            char buf[16];
            std::snprintf(buf, sizeof buf, "%s%.1f", ev > 0 ? "+" : "", ev);
            return std::string(buf);
        }
        case 0xD20F: return std::to_string(static_cast<int32_t>(value));
        // Any shutter speed and any ISO is named by its rule, listed or not.
        case 0xD20D:
            if (value != 0 && (value & 0xFFFF) == 0) return std::nullopt;
            return speedName(value >> 16, value & 0xFFFF);
        case 0xD21E: return isoName(value);
        default: return std::nullopt;
    }
}
