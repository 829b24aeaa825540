#include "engine/vendors/canon/canon_models.h"

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>

#include "engine/ptp/standard_operations.h"
#include "engine/ptp/vendor_state.h"
#include "engine/vendors/model_text.h"

namespace {
enum Flags : uint8_t {
    kNewRaw = 1,
    kNoMovieSwitch = 2,
    kNoLiveViewFocus = 4,
    kRefused = 8,
};

// One row: any of `any` (or-ed), and `also` when given, and not `butNot` when given.
struct ModelRow {
    const char* any[5];
    const char* also;
    const char* butNot;
    uint8_t index;
    int width;
    int height;
    uint8_t flags;
};

// clang-format off
const ModelRow kModelRows[] = {
    {{"7D"}, "II", nullptr, 236, 5472, 3648, 0},
    {{"7D"}, nullptr, nullptr, 0, 5184, 3456, 0},
    {{"6D"}, "II", nullptr, 0, 6420, 4160, 0},
    {{"6D"}, nullptr, nullptr, 0, 5472, 3648, 0},
    {{"5DS"}, nullptr, nullptr, 226, 8688, 5792, 0},
    {{"EOS R100"}, nullptr, nullptr, 249, 6000, 4000, kNewRaw},
    {{"EOS R50"}, nullptr, nullptr, 248, 6000, 4000, kNewRaw},
    {{"R6 Mark III"}, nullptr, nullptr, 252, 6960, 4640, kNewRaw},
    {{"EOS R6"}, nullptr, nullptr, 230, 5472, 3648, kNewRaw},
    {{"EOS R5m2"}, nullptr, nullptr, 251, 8192, 5464, kNewRaw},
    {{"EOS R5"}, nullptr, nullptr, 230, 8192, 5464, kNewRaw},
    {{"EOS R10"}, nullptr, nullptr, 246, 6000, 4000, kNewRaw},
    {{"EOS R1"}, nullptr, nullptr, 250, 6000, 4000, kNewRaw},
    {{"EOS R8"}, nullptr, nullptr, 247, 6000, 4000, kNewRaw},
    {{"EOS R7"}, nullptr, nullptr, 245, 6960, 4640, kNewRaw},
    {{"EOS R3"}, nullptr, nullptr, 234, 6000, 4000, kNewRaw},
    {{"EOS RP"}, nullptr, nullptr, 228, 6240, 4160, kNewRaw},
    {{"EOS R"}, nullptr, "EOS REBEL", 228, 6720, 4480, kNewRaw},
    {{"5D"}, "IV", nullptr, 0, 6720, 4480, 0},
    {{"5D"}, "III", nullptr, 0, 5760, 3840, 0},
    {{"5D"}, "II", nullptr, 225, 5616, 3744, kNoMovieSwitch},
    {{"5D"}, nullptr, nullptr, 0, 5616, 3744, kRefused},
    {{"1D X"}, "III", nullptr, 229, 5472, 3648, 0},
    {{"1D X"}, "II", nullptr, 0, 5472, 3648, 0},
    {{"1D X"}, nullptr, nullptr, 0, 5184, 3456, kNoMovieSwitch},
    {{"1DS"}, "III", nullptr, 0, 5616, 3744, kNoLiveViewFocus},
    {{"1D"}, "III", nullptr, 0, 3888, 2592, kNoLiveViewFocus},
    {{"1D"}, "IV", nullptr, 0, 4896, 3264, kNoMovieSwitch},
    {{"650D", "T4I", "Kiss X6"}, nullptr, nullptr, 244, 5184, 3456, 0},
    {{"700D", "T5I", "Kiss X7"}, nullptr, nullptr, 237, 5184, 3456, 0},
    {{"750D", "T6I", "Kiss X8", "760D", "T6S"}, nullptr, nullptr, 239, 6000, 4000, 0},
    {{"800D", "T7I", "Kiss X9I"}, nullptr, nullptr, 240, 6000, 4000, 0},
    {{"850D", "T8I", "Kiss X10I"}, nullptr, nullptr, 243, 6000, 4000, 0},
    {{"600D", "T3I", "Kiss X5"}, nullptr, nullptr, 0, 5184, 3456, 0},
    {{"1100D", "T3", "Kiss X50", "1200D"}, nullptr, nullptr, 0, 4272, 2848, 0},
    {{"T5", "Kiss X70"}, nullptr, nullptr, 0, 4272, 2848, 0},
    {{"1300D", "T6", "Kiss X80"}, nullptr, nullptr, 0, 5184, 3456, 0},
    {{"2000D", "T7", "Kiss X90"}, nullptr, nullptr, 0, 6000, 4000, 0},
    {{"550D", "T2I", "Kiss X4"}, nullptr, nullptr, 0, 5184, 3456, 0},
    {{"500D", "T1I", "Kiss X3"}, nullptr, nullptr, 0, 4752, 3168, 0},
    {{"450D", "XSI", "Kiss X2"}, nullptr, nullptr, 0, 4272, 2848, kNoLiveViewFocus},
    {{"1000D", "XS"}, nullptr, nullptr, 0, 3888, 2592, kRefused},
    {{"100D", "SL1", "Kiss X7"}, nullptr, nullptr, 235, 5184, 3456, 0},
    {{"80D"}, nullptr, nullptr, 0, 6000, 4000, 0},
    {{"90D"}, nullptr, nullptr, 227, 6940, 4640, 0},
    {{"200D", "SL2", "Kiss X9"}, nullptr, nullptr, 241, 6000, 4000, 0},
    {{"250D", "SL3", "Kiss X10"}, nullptr, nullptr, 242, 6000, 4000, 0},
    {{"77D", "9000D"}, nullptr, nullptr, 0, 6000, 4000, 0},
    {{"70D"}, nullptr, nullptr, 0, 5472, 3648, 0},
    {{"60D"}, nullptr, nullptr, 0, 5184, 3456, 0},
    {{"50D"}, nullptr, nullptr, 0, 4752, 3168, 0},
    {{"40D"}, nullptr, nullptr, 0, 3888, 2592, kNoLiveViewFocus},
    {{"1DC", "1D C"}, nullptr, nullptr, 0, 5184, 3456, kNoMovieSwitch},
    {{"EOS M6"}, "II", nullptr, 233, 6983, 4655, kNewRaw},
    {{"EOS M50", "EOS Kiss M"}, nullptr, nullptr, 231, 6012, 4008, kNewRaw},
    {{"G7 X Mark III"}, nullptr, nullptr, 232, 5472, 3648, kNewRaw},
};
// clang-format on

// A row's text names the model only where no digit touches it, so that "50D" is not found in "350D", "500D" not in
// "1500D" and "7D" not in "77D".
bool holds(const std::string& upperText, const char* part) { return modelTextNames(upperText, part); }

// The length of the row's matched text, or 0 when the row does not match.
size_t matchLength(const ModelRow& row, const std::string& upperText) {
    size_t best = 0;
    for (const char* alternative : row.any) {
        if (!alternative) break;
        if (holds(upperText, alternative)) best = std::max(best, std::strlen(alternative));
    }
    if (best == 0) return 0;
    if (row.also) {
        if (!holds(upperText, row.also)) return 0;
        best += std::strlen(row.also);
    }
    if (row.butNot && holds(upperText, row.butNot)) return 0;
    return best;
}

struct ModelState {
    std::mutex mutex;  // leaf
    CanonModelFacts facts;
};

ModelState& modelState() {
    static ModelState s;
    return s;
}
}  // namespace

CanonModelFacts canonLookupModel(const std::string& modelText) {
    CanonModelFacts facts;
    std::string text = modelTextUpper(modelText);
    const ModelRow* match = nullptr;
    size_t matchedLength = 0;
    int matchedRow = 0;
    int rowNumber = 0;
    for (const ModelRow& row : kModelRows) {
        ++rowNumber;
        size_t length = matchLength(row, text);
        if (length > matchedLength) {
            match = &row;
            matchedLength = length;
            matchedRow = rowNumber;
        }
    }
    if (!match) return facts;  // 3888 x 2592, not supported
    facts.row = matchedRow;
    facts.sensorWidth = match->width;
    facts.sensorHeight = match->height;
    if (match->flags & kRefused) return facts;
    facts.modelIndex = match->index;
    facts.newRaw = (match->flags & kNewRaw) != 0;
    facts.movieSwitch = (match->flags & kNoMovieSwitch) == 0;
    facts.liveViewFocus = (match->flags & kNoLiveViewFocus) == 0;
    facts.supported = true;
    return facts;
}

size_t canonModelRowCount() { return std::size(kModelRows); }

std::vector<std::string> canonModelRowNames(size_t row) {
    std::vector<std::string> names;
    if (row < 1 || row > std::size(kModelRows)) return names;
    const ModelRow& r = kModelRows[row - 1];
    for (const char* alternative : r.any) {
        if (!alternative) break;
        std::string name = std::string("Canon ") + alternative;
        if (r.also) name += std::string(" Mark ") + r.also;
        names.push_back(name);
    }
    return names;
}

bool canonIdentifyModelText(const std::string& modelText) {
    CanonModelFacts facts = canonLookupModel(modelText);
    canonSetModelFacts(facts);
    camSetModelIndex(facts.modelIndex);
    return facts.supported;
}

bool canonIdentifyModel() {
    canonResetModelFacts();
    std::optional<std::string> model = camModelName();
    return canonIdentifyModelText(model ? *model : std::string());
}

CanonModelFacts canonModelFacts() {
    std::lock_guard<std::mutex> g(modelState().mutex);
    return modelState().facts;
}

void canonSetModelFacts(const CanonModelFacts& facts) {
    std::lock_guard<std::mutex> g(modelState().mutex);
    modelState().facts = facts;
}

uint16_t canonRawObjectFormat() {
    CanonModelFacts facts = canonModelFacts();
    if (facts.newRaw || facts.modelIndex == 227 || facts.modelIndex == 229) return 0xB108;
    return 0xB103;
}

bool canonLiveViewAfSupported() { return canonModelFacts().liveViewFocus; }

bool canonMirrorlessLayout(uint8_t m) {
    return (m >= 228 && m <= 230) || m == 234 || (m >= 245 && m <= 252);
}

bool canonWideLayout(uint8_t m) { return m == 234 || (m >= 245 && m <= 252); }

void canonResetModelFacts() { canonSetModelFacts(CanonModelFacts{}); }
