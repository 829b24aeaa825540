#pragma once
// Nikon exposure-compensation and bracketing values: codes in thousandths of a stop, bracket steps by model, the
// counts of bracket shots below and above the centre, and the bracketing switch.
#include <cstdint>

#include "engine/ptp/response_code.h"

float nikonEvCodeToFloat(uint32_t code);
uint32_t nikonEvFloatToCode(float stops);
float nikonExposureCompMax(bool movie);
float nikonExposureCompMin(bool movie);
ResponseCode nikonSetBracketing(uint32_t step);
ResponseCode nikonDisableBracketing();
// A bracket step in stops on a model (pure); nikonBracketStepToFloat applies the bracketing switch.
float nikonBracketStepToFloatFor(uint8_t model, uint32_t step);
float nikonBracketStepToFloat(uint32_t step, bool any);
uint32_t nikonFloatToBracketStepFor(uint8_t model, float stops);
uint32_t nikonFloatToBracketStep(float stops);
float nikonBracketMax();
// Bracket shots below and above the centre on a model with a bracketing switch value and pattern (pure; a pattern
// of -1 means none).
bool nikonExposureCompValuesFor(uint8_t model, int64_t bracketing, int64_t pattern, uint8_t* below, uint8_t* above);
bool nikonExposureCompValues(uint8_t* below, uint8_t* above);
int nikonBracketValues(float* out, bool forced, float step);
int nikonExposureStepKindFor(uint8_t model, uint32_t step);
int nikonExposureStepKind();
