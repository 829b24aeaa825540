#pragma once
// Canon exposure arithmetic: exposure codes (signed bytes in eighths of a stop, thirds written as 3 and 5, a half as
// 4) to stops and back, what the camera's lists of exposure compensation and bracketing allow, and the small
// per-model tests of exposure values that the engine asks (bulb, continuous drive, HDR reference values).
#include <cstdint>

// Code to stops and stops to code.
float canonEvCodeToFloat(uint32_t code);
uint32_t canonEvFloatToCode(float stops);

// The largest positive and the most negative whole-stop exposure compensation that 0xD104's allowed values offer
// (names of one to three characters beginning "+" or "-"); 0 when there is none.
float canonExposureCompMax();
float canonExposureCompMin();
// 2 (half stops) or 3 (third stops), from the allowed values of 0xD104, else 0xD1D9, else 0xD102.
int canonExposureStepKind();
// The largest allowed value of 0xD1D9 in stops (0 for an empty list); computed once per session.
float canonBracketMax();
// Marks the bracketing maximum unknown (session start).
void canonForgetBracketMax();
// The pair +x, -x; returns 2 (0 without an output).
int canonBracketValues(float* out, float x);

// The two values one EV apart that the HDR step size counts between: 0xD101 (0x30, 0x38), 0xD102 (0x5D, 0x65),
// 0xD103 (0x58, 0x60); false for other codes.
bool canonHdrReferenceCodes(uint32_t code, uint32_t* a, uint32_t* b);
// Drive modes 1, 4, 5, 20, 21, 22 shoot continuously.
bool canonIsContinuousDrive(uint32_t value);
