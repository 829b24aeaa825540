#pragma once
// Which Fujifilm body is attached: the model table, run at every session open on the model text of the camera's
// DeviceInfo, and the model groups that the other parts of the module ask about.
#include <cstdint>
#include <optional>
#include <string>

// The model index of a model text (the first pattern of the table that the text contains, ignoring case, with no
// digit right before or after it), or none.
std::optional<uint8_t> fujiLookupModel(const std::string& modelText);
// The session's lookup on camModelName(): sets the engine's model index; false when the model is not supported.
bool fujiIdentifyModel();

// Medium-format bodies (the lens drive and the focus-stack spacing use larger steps for them).
bool fujiModelFeatureTest(uint8_t model);
bool fujiIsGfx50(uint8_t model);
bool fujiIsGfx100(uint8_t model);
// Bodies that focus on a live-view tap by a half press of their own.
bool fujiIsTapFocusModel(uint8_t model);
