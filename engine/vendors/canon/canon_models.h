#pragma once
// Which Canon body is attached and what that implies: the model table, run at every session open on the model text
// of the camera's DeviceInfo, and the per-model facts it leaves behind (sensor size, CR3 raw files and the mirrorless
// layouts that go with them, the movie-mode switch, focusing while live view is on).
#include <cstdint>
#include <string>
#include <vector>

// The facts the model table sets. Reset before every lookup; read by the live view, the operations and the
// image-format pickers on any thread.
struct CanonModelFacts {
    uint8_t modelIndex = 0;     // the engine's shared model index (0 when the row sets none)
    double sensorWidth = 3888;  // pixels
    double sensorHeight = 2592;
    bool newRaw = false;          // writes CR3 files; also selects the mirrorless live-view and on-screen layouts
    bool movieSwitch = true;      // needs 0x9133 / 0x9134 to enter and leave movie mode
    bool liveViewFocus = true;    // can focus while live view is on
    bool supported = false;       // the row accepts the body (a "refused" row sets the size and refuses)
    int row = 0;                  // 1-based row of the table that matched; 0 for none
};

// The lookup on a model text alone (no engine state touched): the facts of the matching row. A text matches a row
// when it holds the row's texts, ignoring case. Where several rows match, the one whose matched text is longest
// wins, and among equally long ones the earlier row: so "77D" is not taken for a "7D", nor "Kiss X50" for a
// "Kiss X5".
CanonModelFacts canonLookupModel(const std::string& modelText);

// The rows of the table (1-based), and for a row one model text per alternative that names it ("Canon " and its
// texts, "Mark" before a second text), so that the table itself can be checked for rows that others hide.
size_t canonModelRowCount();
std::vector<std::string> canonModelRowNames(size_t row);

// The session's lookup: runs canonLookupModel on camModelName(), keeps the facts and sets the engine's model index.
// False when the model is not supported (the session open then fails with 0xFF0F).
bool canonIdentifyModel();
// Same, on a given text (tests and the model check of an unknown vendor).
bool canonIdentifyModelText(const std::string& modelText);

// The facts kept by the last identification (defaults before any).
CanonModelFacts canonModelFacts();
void canonSetModelFacts(const CanonModelFacts& facts);

// The PTP object format of the camera's raw files: 0xB108 (CR3) with the new-raw flag or on models 227 and 229,
// else 0xB103 (CR2).
uint16_t canonRawObjectFormat();
// The model can focus while live view is on.
bool canonLiveViewAfSupported();
// The mirrorless layout of the on-screen exposure data (models 228-230, 234, 245-252) and its wide form (234,
// 245-252).
bool canonMirrorlessLayout(uint8_t modelIndex);
bool canonWideLayout(uint8_t modelIndex);

// Test reset: the defaults.
void canonResetModelFacts();
