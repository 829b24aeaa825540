#pragma once
// Which Nikon body is attached and what that implies: the model table, run at every session open on the model text
// of the camera's DeviceInfo, and the per-model facts it leaves behind (live-view zoom steps, the capture mode kept
// across live view, contrast-detect focusing, the mirrorless set whose live view is on from the start).
#include <array>
#include <cstdint>
#include <initializer_list>
#include <string>

struct NikonModelFacts {
    uint8_t modelIndex = 0;
    // Live-view zoom values for: anything else, 25 %, 50 %, 100 %, 200 %.
    std::array<uint32_t, 5> zoom{0, 2, 4, 6, 7};
    bool zoomTableA = false;          // the table of the entry-level bodies (no 200 % double tap)
    bool captureModeRestore = false;  // the capture mode is saved when live view starts and restored when it ends
    bool contrastAf = false;          // focuses by contrast in live view
    bool mirrorless = false;          // live view counts as on from the start
    bool supported = false;
};

// The lookup on a model text alone (no engine state touched). Rows are tried in order and the first whose text
// occurs in the model text (ignoring case) wins, but only where no digit stands right before or after the
// occurrence: "D3" does not take a D3200, nor "Z 5" a Z 50.
NikonModelFacts nikonLookupModel(const std::string& modelText);
// The session's lookup on camModelName(): keeps the facts and sets the engine's model index. False when the model
// is not supported.
bool nikonIdentifyModel();
bool nikonIdentifyModelText(const std::string& modelText);
NikonModelFacts nikonModelFacts();
void nikonSetModelFacts(const NikonModelFacts& facts);
void nikonResetModelFacts();

// Model sets by index.
bool nikonModelIn(uint8_t model, std::initializer_list<uint8_t> models);
bool nikonModelInRange(uint8_t model, uint8_t first, uint8_t last);
// The mirrorless set {220-222, 225-233, 240}.
bool nikonIsZModel(uint8_t model);
// The models with the newer image-quality coding {215-217, 219-233, 240}.
bool nikonNewerFormatModel(uint8_t model);
// The older bodies whose colour temperature is an index: 194, 195, 197-199, 201-205.
bool nikonOlderModel(uint8_t model);
// The current model (camModelIndex) in the mirrorless set.
bool camModelFeatureTest();
