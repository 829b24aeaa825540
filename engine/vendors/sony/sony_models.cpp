#include "engine/vendors/sony/sony_models.h"

#include <algorithm>
#include <cctype>

#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/sony/sony_state.h"

namespace {
enum : uint8_t { B = 1, X = 2, R = 4 };

struct ModelRow {
    const char* pattern;
    uint8_t index;
    uint8_t flags;
};

// Order matters: the first contained pattern wins, so longer names that contain shorter ones come first
// ("7SM3" before "7S", "ILCE-7CR" before "ILCE-7C", "ZV-E10" before "ZV-E1", "ILCE-9M2" before "ILCE-9").
const ModelRow kModels[] = {
    {"SLT-A99V", 165, R},       {"77M2", 172, 0},          {"99M2", 170, 0},          {"7M2", 162, 0},
    {"7RM2", 160, R},           {"7SM2", 169, 0},          {"7SM3", 177, B | X},      {"FX3", 181, B | X},
    {"7S", 173, 0},             {"7M4", 182, B | X},       {"7M3", 163, B},           {"7RM3", 161, B},
    {"7RM4", 171, B | X},       {"7RM5", 183, B | X},      {"ILCE-7M5", 190, B | X},  {"ILCE-7CM2", 185, B | X},
    {"ILCE-7CR", 186, B | X},   {"ILCE-7C", 178, B | X},   {"ZV-1", 179, B | X},      {"ZV-E10", 187, B | X},
    {"ZV-E1", 188, B | X},      {"ILCE-9M2", 176, B | X},  {"ILCE-9M3", 189, B | X},  {"ILCE-9", 164, B},
    {"ILCE-1", 180, B | X},     {"6300", 166, R},          {"6400", 167, B},          {"6500", 168, 0},
    {"6600", 174, B},           {"6700", 184, B | X},      {"6100", 175, B},
};

std::string upper(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return s;
}
}  // namespace

SonyModelFacts sonyLookupModel(const std::string& modelText) {
    const std::string text = upper(modelText);
    for (const ModelRow& row : kModels) {
        if (text.find(upper(row.pattern)) == std::string::npos) continue;
        SonyModelFacts f;
        f.modelIndex = row.index;
        f.buttonControl = row.flags & B;
        f.extendedFormat = row.flags & X;
        f.rawJpegSubstitute = (row.flags & R) ? 19 : 0;
        return f;
    }
    return {};
}

bool sonyIdentifyModelText(const std::string& modelText) {
    SonyState& s = sonyState();
    s.buttonControl = false;
    s.extendedFormat = false;
    s.rawJpegSubstitute = 0;
    SonyModelFacts f = sonyLookupModel(modelText);
    if (f.modelIndex == 0) return false;
    s.buttonControl = f.buttonControl;
    s.extendedFormat = f.extendedFormat;
    s.rawJpegSubstitute = f.rawJpegSubstitute;
    camSetModelIndex(f.modelIndex);
    return true;
}

bool sonyIdentifyModel() {
    std::optional<std::string> model = camModelName();
    return sonyIdentifyModelText(model ? *model : std::string());
}
