#pragma once
// How the model tables match a camera's DeviceInfo model text: a table text names a model only where it stands
// alone among digits, so that "X-T1" is not found in "X-T10" nor "50D" in "350D".
#include <string>

// The text upper-cased (ASCII), as the tables compare it.
std::string modelTextUpper(const std::string& text);
// True when `part` occurs in the upper-cased model text (ignoring case) with no digit right before or right after it.
bool modelTextNames(const std::string& upperText, const char* part);
