#pragma once
// Brackets run from the application at one focus position: the engine sets the bracketed property to each value of
// the job (or times bulb exposures) and takes a picture for each. A run ends early, with 0xFF16, when the
// focus stack is cancelled (focusStackCancel) during one of its waits.
#include <cstdint>
#include <vector>

#include "engine/automation/automation_request.h"
#include "engine/ptp/response_code.h"

inline constexpr size_t kBracketMaxValues = 60;

// The values a property bracket goes through, from the property's allowed-value list; 0xFF15 when the property has
// no such list, the start value is not in it, the step or shot count is zero, more than 60 shots are asked or a value
// would fall outside the list.
ResponseCode focusBracketValues(const HdrBracketRecord& job, std::vector<uint32_t>* values);

// One bracket. job->shotsTaken follows the pictures taken. Bad jobs (zero bulb base, zero step, no shots, more than
// 60 values, values outside the property's list) are refused with 0xFF15 before any shot; bulb unavailable 0xFF1B.
ResponseCode focusStackRun(HdrBracketRecord* job);

// 2 while a bracket runs, else 0.
uint8_t focusBracketRunning();
