#include "engine/vendors/fujifilm/fuji_models.h"

#include <algorithm>
#include <initializer_list>

#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/model_text.h"

namespace {
struct ModelRow {
    const char* pattern;
    uint8_t index;
};

// Order matters: a text is matched against the rows from the top, so the longer names come before the names they
// contain ("GFX100S II" before "GFX100S"). A pattern touched by a digit names another body ("X-T1" is not the X-T10).
const ModelRow kModels[] = {
    {"X-T30", 32},     {"X-T1", 16},      {"X-T2", 17},     {"X-T3", 22},       {"X-T4", 25},
    {"X-T5", 36},      {"X-E5", 36},      {"GFX50S II", 34}, {"GFX 50S", 20},    {"GFX 50R", 21},
    {"GFX100S II", 37}, {"GFX100S", 33},  {"GFX100 II", 37}, {"GFX100 RF", 37},  {"GFX 100", 23},
    {"X-H1", 18},      {"X-H2", 35},      {"X-Pro2", 19},   {"X-Pro3", 24},
};

bool in(uint8_t model, std::initializer_list<uint8_t> set) {
    return std::find(set.begin(), set.end(), model) != set.end();
}
}  // namespace

std::optional<uint8_t> fujiLookupModel(const std::string& modelText) {
    const std::string text = modelTextUpper(modelText);
    for (const ModelRow& row : kModels)
        if (modelTextNames(text, row.pattern)) return row.index;
    return std::nullopt;
}

bool fujiIdentifyModel() {
    std::optional<std::string> name = camModelName();
    std::optional<uint8_t> index = name ? fujiLookupModel(*name) : std::nullopt;
    if (!index) return false;
    camSetModelIndex(*index);
    return true;
}

bool fujiModelFeatureTest(uint8_t model) { return in(model, {20, 21, 23, 33, 34, 37}); }
bool fujiIsGfx50(uint8_t model) { return in(model, {20, 21}); }
bool fujiIsGfx100(uint8_t model) { return in(model, {23, 33, 34, 37}); }
bool fujiIsTapFocusModel(uint8_t model) { return in(model, {19, 22, 24, 25, 33, 34, 35, 36, 37}); }
