#include "engine/vendors/fujifilm/fuji_property_table.h"

#include <cmath>
#include <cstdio>
#include <deque>
#include <vector>

#include "engine/vendors/fujifilm/fuji_image_format.h"

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
    const PropertyValueNamesStruct* finish() {
        rows_.push_back(PropertyValueNamesStruct{});
        return rows_.data();
    }

private:
    std::vector<PropertyValueNamesStruct> rows_;
};

// Every value-name table lives as long as the program: the property table points into them.
NameTable* newTable() {
    static std::deque<NameTable> tables;
    return &tables.emplace_back();
}

const PropertyValueNamesStruct* list(std::initializer_list<std::pair<const char*, uint32_t>> rows) {
    NameTable* t = newTable();
    for (const auto& [name, value] : rows) t->add(name, value);
    return t->finish();
}

// Exposure times in microseconds: a third-stop series around one second, each value the exposure of its step
// (2 to the power of the step in stops, times one second) cut to whole microseconds, named as the camera shows it.
const PropertyValueNamesStruct* shutterNames() {
    static const char* const kThirds[] = {
        "1/32000", "1/25000", "1/20000", "1/16000", "1/13000", "1/10000", "1/8000", "1/6400", "1/5000", "1/4000",
        "1/3200",  "1/2500",  "1/2000",  "1/1600",  "1/1250",  "1/1000",  "1/800",  "1/640",  "1/500",  "1/400",
        "1/320",   "1/250",   "1/200",   "1/160",   "1/125",   "1/100",   "1/80",   "1/60",   "1/50",   "1/40",
        "1/30",    "1/25",    "1/20",    "1/15",    "1/13",    "1/10",    "1/8",    "1/6",    "1/5",    "1/4",
        "1/3",     "1/2.5",   "1/2",     "1/1.6",   "1/1.3",   "1\"",     "1.3\"",  "1.6\"",  "2\"",    "2.5\"",
        "3.2\"",   "4\"",     "5\"",     "6.4\"",   "8\"",     "10\"",    "13\"",   "15\"",   "20\"",   "25\"",
        "30\"",    "40\"",    "50\"",    "60\""};
    static const PropertyValueNamesStruct* table = [] {
        NameTable* t = newTable();
        t->add("Unknown", 0).add("1/180000", 5);
        constexpr int kFirstThird = -45;  // 1/32000 s is 15 stops below one second
        int step = kFirstThird;
        for (const char* name : kThirds) {
            double us = 1e6 * std::pow(2.0, step / 3.0);
            t->add(name, static_cast<uint32_t>(us + 1e-6));
            ++step;
        }
        // The long exposures are coded after 64 s (64,000,000) in steps of 30.
        const std::pair<const char*, uint32_t> kLong[] = {{"120\"", 30}, {"240\"", 60},   {"480\"", 90},
                                                          {"900\"", 120}, {"1800\"", 150}, {"3600\"", 180}};
        for (const auto& [name, offset] : kLong) t->add(name, 64000000u + offset);
        t->add("Bulb", 0xFFFFFFFFu);
        return t->finish();
    }();
    return table;
}

const PropertyValueNamesStruct* isoNames() {
    static const PropertyValueNamesStruct* table = [] {
        static const uint32_t kIso[] = {40,    50,    64,    80,    100,   125,   160,   200,    250,
                                        320,   400,   500,   640,   800,   1000,  1250,  1600,   2000,
                                        2500,  3200,  4000,  5000,  6400,  8000,  10000, 12800,  16000,
                                        20000, 25600, 32000, 40000, 51200, 64000, 80000, 102400};
        NameTable* t = newTable();
        for (uint32_t iso : kIso) t->add("ISO " + std::to_string(iso), iso);
        t->add("AUTO 1", 0xFFFFFFFFu).add("AUTO 2", 0xFFFFFFFEu).add("AUTO 3", 0xFFFFFFFDu).add("AUTO 4", 0xFFFFFFFCu);
        t->add("AUTO 400", 0x8001).add("AUTO 800", 0x8002).add("AUTO 1600", 0x8003).add("AUTO 3200", 0x8004);
        t->add("AUTO 6400", 0x8005);
        return t->finish();
    }();
    return table;
}

const PropertyValueNamesStruct* kelvinNames() {
    static const PropertyValueNamesStruct* table = [] {
        NameTable* t = newTable();
        for (uint32_t k = 2500; k <= 10000; k += 250) t->add(std::to_string(k), k);
        return t->finish();
    }();
    return table;
}

constexpr int32_t kText = kPropKindText;
constexpr int32_t kU32 = PTP_DTC_UINT32;

const std::vector<PropertyNameStruct>& table() {
    static const std::vector<PropertyNameStruct> rows = [] {
        const PropertyValueNamesStruct* wb =
            list({{"Auto", 0x2}, {"Daylight", 0x4}, {"Incandescent", 0x6}, {"UnderWater", 0x8},
                  {"Flourescent1", 0x8001}, {"Flourescent2", 0x8002}, {"Flourescent3", 0x8003}, {"Shade", 0x8006},
                  {"ColorTemperature", 0x8007}, {"Custom1", 0x8008}, {"Custom2", 0x8009}, {"Custom3", 0x800A}});
        const PropertyValueNamesStruct* focusMode = list({{"MF", 0x1}, {"AF-S", 0x8001}, {"AF-C", 0x8002}});
        const PropertyValueNamesStruct* metering =
            list({{"Average", 1}, {"Center Weighted", 2}, {"Multi", 3}, {"Center", 4}});
        const PropertyValueNamesStruct* exposure = list({{"M", 1}, {"A", 3}, {"S", 4}, {"P", 6}});
        const PropertyValueNamesStruct* timer = list({{"10", 10000}, {"2", 2000}, {"OFF", 0}});
        const PropertyValueNamesStruct* afArea =
            list({{"AF Area", 0x8001}, {"AF Zone", 0x8002}, {"Wide/Tracking", 0x8003}, {"AF All", 0x8004}});
        const PropertyValueNamesStruct* film = list(
            {{"Provia", 1}, {"Velvia", 2}, {"Astia", 3}, {"Neghi", 4}, {"Negative", 5}, {"MonoChrome", 6},
             {"MonoChrome Y", 7}, {"MonoChrome R", 8}, {"MonoChrome G", 9}, {"Sepia", 10}, {"Classic Chrome", 11},
             {"Acros", 12}, {"Acros Y", 13}, {"Acros R", 14}, {"Acros G", 15}});
        const PropertyValueNamesStruct* colorSpace = list({{"sRGB", 1}, {"AdobeRGB", 2}});
        const PropertyValueNamesStruct* quality =
            list({{"RAW", 1}, {"JPG Fine", 2}, {"JPG Normal", 3}, {"RAW + JPG Fine", 4}, {"RAW + JPG Normal", 5},
                  {"JPG Super Fine", 6}, {"RAW + JPG Super Fine", 7}});
        const PropertyValueNamesStruct* zoom =
            list({{"x1.0", 1}, {"x2.5", 2}, {"x6.0", 3}, {"x4.0", 4}, {"x8.0", 5}, {"x16.0", 6}, {"x2.0", 7},
                  {"x3.3", 8}, {"x6.6", 9}, {"x13.1", 10}});
        const PropertyValueNamesStruct* offOn = list({{"Off", 1}, {"On", 2}});
        const PropertyValueNamesStruct* onOff = list({{"On", 1}, {"Off", 2}});
        const PropertyValueNamesStruct* grain = list({{"Off", 1}, {"Weak", 2}, {"Strong", 3}});
        const PropertyValueNamesStruct* eyeAf =
            list({{"Off", 1}, {"Auto", 2}, {"Right Priority", 3}, {"Left Priority", 4}});
        const PropertyValueNamesStruct* points = list({{"13x7", 1}, {"25x13", 2}, {"13x9", 3}, {"25x17", 4}});
        const PropertyValueNamesStruct* grid = list({{"Grid 9", 1}, {"Grid 24", 2}, {"Grid HD", 3}});
        const PropertyValueNamesStruct* afcPriority = list({{"Release", 1}, {"Focus", 2}});
        const PropertyValueNamesStruct* worldClock = list({{"Home", 1}, {"Local", 2}});
        const PropertyValueNamesStruct* lvQuality = list({{"Fine", 1}, {"Normal", 2}, {"Basic", 3}});
        const PropertyValueNamesStruct* lvSize = list({{"L(1024)", 1}, {"M(640)", 2}, {"S(320)", 3}});
        const PropertyValueNamesStruct* reset = list({{"Shoot Menu", 1}, {"Setup", 2}});
        const PropertyValueNamesStruct* priority = list({{"Camera", 1}, {"PC", 2}});
        const PropertyValueNamesStruct* afStatus =
            list({{"Unknown", 1}, {"Focused", 2}, {"Failure", 3}, {"Not Attempted", 4}});
        const PropertyValueNamesStruct* media = list({{"RAW+JPG", 1}, {"RAW", 2}, {"JPG", 3}, {"OFF", 4}});
        const PropertyValueNamesStruct* release =
            list({{"S1", 0x200}, {"Bulb", 0x400}, {"AF", 0x800}, {"AEL", 0x4000}, {"AFL", 0x8000}});
        const PropertyValueNamesStruct* force = list({{"Shoot", 1}, {"Playback", 2}});
        const PropertyValueNamesStruct* instantAf = list({{"AFS", 1}, {"AFC", 2}});
        const PropertyValueNamesStruct* dateFormat = list({{"YMD", 1}, {"DMY", 2}, {"MDY", 3}});
        const PropertyValueNamesStruct* previewExposure = list({{"ME MWB", 1}, {"AE MWB", 2}, {"AE AWB", 3}});

        return std::vector<PropertyNameStruct>{
            {0x5003, "Image Size", kText, nullptr},
            {0x5005, "White Balance", 0, wb},
            {0x5007, "Aperture", 0, nullptr},
            {0x500A, "Focus Mode", 0, focusMode},
            {0x500D, "Shutter Speed", kU32, shutterNames()},
            {0x500B, "Metering Mode", 0, metering},
            {0x500E, "Exposure Mode", 0, exposure},
            {0x500F, "ISO", 0, isoNames()},
            {0x5010, "Exposure Compensation", 0, nullptr},
            {0x5011, "Date/Time", 0, nullptr},
            {0x5012, "Timer Delay", 0, timer},
            {0x5015, "Sharpness", 0, nullptr},
            {0x501C, "Focus Metering Mode", 0, afArea},
            {0xD001, "Film Simulation Mode", 0, film},
            {0xD007, "Dynamic Range", 0, nullptr},
            {0xD008, "Color Mode", 0, nullptr},
            {0xD00A, "Color Space", 0, colorSpace},
            {0xD00B, "White Balance Tuning Red-Cyan", 0, nullptr},
            {0xD00C, "White Balance Tuning Blue-Yellow", 0, nullptr},
            {0xD017, "White Balance Temperature", 0, kelvinNames()},
            {0xD018, "Image Quality", 0, quality},
            {0xD01B, "Live View Zoom", 0, zoom},
            {0xD01D, "Macro Mode", 0, offOn},
            {0xD020, "Face Detection Mode", 0, onOff},
            {0xD022, "RAW Compression", 0, offOn},
            {0xD023, "Grain Effect", 0, grain},
            {0xD024, "Eye Af Mode", 0, eyeAf},
            {0xD025, "Focus Points", 0, points},
            {0xD027, "Interlock AE-AF Area", 0, onOff},
            {0xD02A, "Focus Metering Mode 0", 0, afArea},
            {0xD02B, "Focus Metering Mode 0", 0, afArea},
            {0xD02C, "Focus Metering Mode 180", 0, afArea},
            {0xD02D, "Focus Metering Mode 270", 0, afArea},
            {0xD100, "User Comment", 0, nullptr},
            {0xD103, "Preview Time", 0, nullptr},
            {0xD106, "Grid View", 0, grid},
            {0xD10A, "AFC Priority", 0, afcPriority},
            {0xD112, "AF Light", 0, onOff},
            {0xD113, "AF Volume", 0, nullptr},
            {0xD153, "Firmware Version", 0, nullptr},
            {0xD156, "Lens Version", 0, nullptr},
            {0xD157, "World Clock", 0, worldClock},
            {0xD158, "Time Difference Hours", 0, nullptr},
            {0xD159, "Time Difference Minutes", 0, nullptr},
            {0xD170, "Focal Length", 0, nullptr},
            {0xD171, "Focus Position", 0, nullptr},
            {0xD173, "Live View Quality", 0, lvQuality},
            {0xD174, "Live View Size", 0, lvSize},
            {0xD17B, "Power Control", 0, nullptr},
            {0xD17F, "Reset Settings", 0, reset},
            {0xD201, "Drive Mode", 0, nullptr},
            {0xD207, "Priority Mode", 0, priority},
            {0xD208, "Capture Mode", 0, nullptr},
            {0xD209, "AF Status", 0, afStatus},
            {0xD20B, "Camera Name", kText, nullptr},
            {0xD20C, "Media Recording", 0, media},
            {0xD20D, "Media Capacity", 0, nullptr},
            {0xD20E, "Buffer Capacity", 0, nullptr},
            {0xD212, "Property List", 0, nullptr},
            {0xD21C, "Ptp Error Status", 0, nullptr},
            {0xD224, "Release Status", 0, release},
            {0xD230, "Force Mode", 0, force},
            {0xD320, "Highlight Tone", 0, nullptr},
            {0xD321, "Shadow Tone", 0, nullptr},
            {0xD322, "Long Exposure Noise Reduction", 0, onOff},
            {0xD323, "Full Time Manual Focus", 0, onOff},
            {0xD347, "Focus Area 0", 0, nullptr},
            {0xD33F, "Shooting Display", 0, nullptr},
            {0xD343, "Display LCD", 0, nullptr},
            {0xD34A, "Instant AF Mode", 0, instantAf},
            {0xD34B, "Pre AF Mode", 0, onOff},
            {0xD34D, "Lens Modulation Optimizer", 0, onOff},
            {0xD352, "Date Time Format", 0, dateFormat},
            {0xD355, "Silent Mode", 0, onOff},
            {0xD358, "EVF Auto Rotate", 0, nullptr},
            {0xD36A, "Battery Status", 0, nullptr},
            {0xD359, "Preview Exposure Mode", 0, previewExposure},
            {0xD35A, "LCD Brightness", 0, nullptr},
            {0xD35B, "ECF Brightness", 0, nullptr},
            {0xD36D, "Lens Info", kText, nullptr},
            {0xD372, "Focus Area 90", 0, nullptr},
            {0xD373, "Focus Area 180", 0, nullptr},
            {0xD374, "Focus Area 270", 0, nullptr},
            {0xD375, "Custom Grid Info 0", 0, nullptr},
            {0xD376, "Custom Grid Info 90", 0, nullptr},
            {0xD377, "Custom Grid Info 180", 0, nullptr},
            {0xD378, "Custom Grid Info 270", 0, nullptr},
            {0xD38A, "Lens IS", 0, nullptr},
            {0xD38B, "Manual Focus", 0, nullptr},
            {0xD38C, "Lens Zoom Position", 0, nullptr},
            {0xD38D, "Lens F-Stop", kText, nullptr},
            {0xD38E, "Optical Zoom Focal Length", 0, nullptr},
            {0xD395, "Focus Area", 0, nullptr},
            {0xEEE0, "Custom - Focus Location X", 0, nullptr},
            {0xEEE1, "Custom - Focus Location Y", 0, nullptr},
            {0xEEE2, "Custom - Focus Width", 0, nullptr},
            {kFujiSentinelCode, "Custom - Focus Height", 0, nullptr},
        };
    }();
    return rows;
}

const uint32_t kCreation[] = {0x5003, 0x5005, 0x5007, 0x500A, 0x500D, 0x500B, 0x500E, 0x500F, 0x5010, 0xD018,
                              0xD01B, 0xD017, 0xD208, 0xD209, 0xD20C, 0xD20D, 0xD20E, 0xD212, 0xD21C, 0xD022,
                              0xD38D, 0xD36A, 0xD171, 0xD174, 0xD173, 0xD395, 0xD207, 0xD100, 0xD38E, 0xD00A,
                              0xD025, 0x501C, 0xEEE0, 0xEEE1, 0xEEE2, 0xEEE3, 0xD201};

std::string oneDecimal(double v) {
    char text[16];
    std::snprintf(text, sizeof text, "%.1f", v);
    return text;
}
}  // namespace

const PropertyNameStruct* fujiPropertyNames() { return table().data(); }
size_t fujiPropertyRowCount() { return table().size(); }

const PropertyNameStruct* fujiPropertyRow(uint32_t code) {
    for (const PropertyNameStruct& row : table())
        if (row.code == code) return &row;
    return nullptr;
}

const uint32_t* fujiCreationCodes(size_t* count) {
    if (count) *count = sizeof kCreation / sizeof kCreation[0];
    return kCreation;
}

std::optional<std::string> fujiFormatValueText(uint32_t code, uint32_t value) {
    switch (code) {
        case 0x5003:
            if (const char* size = fujiImageSizeText(value & 0xFF)) return std::string(size);
            return std::nullopt;
        case 0x5007: return oneDecimal(static_cast<double>(value) / 100.0);
        // An ISO number the list does not name is still an ISO number (the automatic settings are all named).
        case 0x500F:
            if (propValueNameInTable(isoNames(), value) || static_cast<int32_t>(value) <= 0) return std::nullopt;
            return "ISO " + std::to_string(value);
        // Thousandths of a stop, signed 16-bit (as the compensation panels convert it).
        case 0x5010: return oneDecimal(static_cast<double>(static_cast<int16_t>(value & 0xFFFF)) / 1000.0);
        default: return std::nullopt;
    }
}
