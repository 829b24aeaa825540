#include "engine/vendors/nikon/nikon_models.h"

#include <cctype>
#include <mutex>

#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"

namespace {

enum Zoom { kDefault, kA, kC, kD, kE };

struct ModelRow {
    const char* text;
    const char* alternative;  // a second text that names the same row, or none
    uint8_t index;
    Zoom zoom;
    bool contrastAf;
    bool captureModeRestore;
};

// The order matters: longer names that hold a shorter one come first ("Z fc" before "Z f", "D7000" before "D700").
const ModelRow kRows[] = {
    {"D5000", nullptr, 192, kA, true, false},  {"D5100", nullptr, 193, kA, false, false},
    {"D5200", nullptr, 207, kA, false, false}, {"D5300", nullptr, 208, kA, false, false},
    {"D5500", nullptr, 213, kA, false, false}, {"D5600", nullptr, 218, kA, false, false},
    {"D7000", nullptr, 194, kA, false, false}, {"D7100", nullptr, 205, kDefault, false, false},
    {"D7200", nullptr, 214, kDefault, false, false}, {"D7500", nullptr, 217, kDefault, false, false},
    {"D700", nullptr, 195, kD, false, false},  {"D750", nullptr, 212, kDefault, false, false},
    {"D780", nullptr, 223, kDefault, false, false}, {"D800", nullptr, 196, kC, false, false},
    {"D810", nullptr, 210, kDefault, false, false}, {"D850", nullptr, 219, kDefault, false, false},
    {"Z6_3", nullptr, 232, kDefault, false, false}, {"Z 6_2", nullptr, 226, kDefault, false, false},
    {"Z 6", nullptr, 220, kDefault, false, false},  {"Z 7_2", nullptr, 227, kDefault, false, false},
    {"Z fc", nullptr, 229, kDefault, false, false}, {"Z f", nullptr, 231, kDefault, false, false},
    {"Z 7", nullptr, 221, kDefault, false, false},  {"Z 50", nullptr, 222, kDefault, false, false},
    {"Z 30", nullptr, 240, kDefault, false, false}, {"Z 5", nullptr, 225, kDefault, false, false},
    {"Z 9", nullptr, 228, kDefault, false, false},  {"Z 8", nullptr, 230, kDefault, false, false},
    {"Z5_2", nullptr, 233, kDefault, false, false}, {"D600", "D610", 197, kDefault, false, false},
    {"D3X", nullptr, 198, kD, false, true},         {"D500", nullptr, 216, kDefault, false, false},
    {"D5", nullptr, 215, kDefault, false, false},   {"D6", nullptr, 224, kDefault, false, false},
    {"D4S", nullptr, 211, kDefault, false, false},  {"D4", nullptr, 200, kC, false, false},
    {"D3S", nullptr, 199, kD, false, false},        {"D300S", nullptr, 202, kD, false, false},
    {"D300", nullptr, 201, kD, false, false},       {"D200", nullptr, 206, kDefault, false, false},
    {"D90", nullptr, 203, kA, true, false},         {"D3", nullptr, 204, kD, false, false},
    {"D2X", nullptr, 204, kDefault, false, false},  {"DF", nullptr, 209, kE, false, false},
};

std::array<uint32_t, 5> zoomTable(Zoom z) {
    switch (z) {
        case kA: return {0, 1, 3, 5, 5};
        case kC: return {0, 2, 3, 4, 5};
        case kD: return {0, 1, 3, 5, 6};
        case kE: return {0, 1, 2, 3, 4};
        default: return {0, 2, 4, 6, 7};
    }
}

bool isDigit(char c) { return std::isdigit(static_cast<unsigned char>(c)) != 0; }

// The text occurs in the upper-cased model with no digit right before or after it.
bool occursAlone(const std::string& upper, const char* text) {
    std::string needle(text);
    for (char& c : needle) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (size_t at = upper.find(needle); at != std::string::npos; at = upper.find(needle, at + 1)) {
        bool digitBefore = at > 0 && isDigit(upper[at - 1]);
        size_t end = at + needle.size();
        bool digitAfter = end < upper.size() && isDigit(upper[end]);
        if (!digitBefore && !digitAfter) return true;
    }
    return false;
}

struct FactsBox {
    std::mutex mutex;
    NikonModelFacts facts;
};
FactsBox& box() {
    static FactsBox b;
    return b;
}

}  // namespace

NikonModelFacts nikonLookupModel(const std::string& modelText) {
    std::string upper(modelText);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    NikonModelFacts f;
    for (const ModelRow& row : kRows) {
        if (!occursAlone(upper, row.text) && !(row.alternative && occursAlone(upper, row.alternative))) continue;
        f.modelIndex = row.index;
        f.zoom = zoomTable(row.zoom);
        f.zoomTableA = row.zoom == kA;
        f.contrastAf = row.contrastAf;
        f.captureModeRestore = row.captureModeRestore;
        f.mirrorless = nikonIsZModel(row.index);
        f.supported = true;
        break;
    }
    return f;
}

bool nikonIdentifyModelText(const std::string& modelText) {
    NikonModelFacts f = nikonLookupModel(modelText);
    nikonSetModelFacts(f);
    if (f.supported) camSetModelIndex(f.modelIndex);
    return f.supported;
}

bool nikonIdentifyModel() {
    nikonResetModelFacts();
    std::optional<std::string> name = camModelName();
    return name && nikonIdentifyModelText(*name);
}

NikonModelFacts nikonModelFacts() {
    std::lock_guard<std::mutex> g(box().mutex);
    return box().facts;
}
void nikonSetModelFacts(const NikonModelFacts& facts) {
    std::lock_guard<std::mutex> g(box().mutex);
    box().facts = facts;
}
void nikonResetModelFacts() { nikonSetModelFacts(NikonModelFacts{}); }

bool nikonModelIn(uint8_t model, std::initializer_list<uint8_t> models) {
    for (uint8_t m : models)
        if (m == model) return true;
    return false;
}
bool nikonModelInRange(uint8_t model, uint8_t first, uint8_t last) { return model >= first && model <= last; }
bool nikonIsZModel(uint8_t m) { return nikonModelInRange(m, 220, 222) || nikonModelInRange(m, 225, 233) || m == 240; }
bool nikonNewerFormatModel(uint8_t m) {
    return nikonModelInRange(m, 215, 217) || nikonModelInRange(m, 219, 233) || m == 240;
}
bool nikonOlderModel(uint8_t m) {
    return m == 194 || m == 195 || nikonModelInRange(m, 197, 199) || nikonModelInRange(m, 201, 205);
}
bool camModelFeatureTest() { return nikonIsZModel(camModelIndex()); }
