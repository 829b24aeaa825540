#pragma once
// Which Sony body is attached: the model table, searched in its order for the first pattern the DeviceInfo model
// text contains (ignoring case), and the three per-model flags each row sets.
#include <cstdint>
#include <string>

struct SonyModelFacts {
    uint8_t modelIndex = 0;  // 0: not supported
    bool buttonControl = false;
    bool extendedFormat = false;
    uint8_t rawJpegSubstitute = 0;  // 0 or 19
};

// The lookup on a model text alone (no engine state touched).
SonyModelFacts sonyLookupModel(const std::string& modelText);
// The session's lookup on camModelName(): clears the three flags, then sets them and the model index from the
// matching row. False when no row matches.
bool sonyIdentifyModel();
bool sonyIdentifyModelText(const std::string& modelText);
