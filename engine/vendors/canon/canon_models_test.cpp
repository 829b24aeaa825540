#include "engine/vendors/canon/canon_models.h"

#include <gtest/gtest.h>

#include "engine/ptp/vendor_state.h"

namespace {

struct ModelCase {
    const char* text;
    int row;
    uint8_t index;
    double width, height;
    bool supported;
    bool newRaw, movieSwitch, liveViewFocus;
};

// clang-format off
const ModelCase kCases[] = {
    {"Canon EOS 7D Mark II",        1, 236, 5472, 3648, true, false, true, true},
    {"Canon EOS 7D",                2,   0, 5184, 3456, true, false, true, true},
    {"Canon EOS 77D",              48,   0, 6000, 4000, true, false, true, true},   // not taken for a 7D
    {"Canon EOS 9000D",            48,   0, 6000, 4000, true, false, true, true},
    {"Canon EOS 5DS R",             5, 226, 8688, 5792, true, false, true, true},
    {"Canon EOS 5D Mark IV",       19,   0, 6720, 4480, true, false, true, true},
    {"Canon EOS 5D Mark III",      20,   0, 5760, 3840, true, false, true, true},
    {"Canon EOS 5D Mark II",       21, 225, 5616, 3744, true, false, false, true},
    {"Canon EOS 5D",               22,   0, 5616, 3744, false, false, true, true},
    {"Canon EOS 1000D",            42,   0, 3888, 2592, false, false, true, true},
    {"Canon EOS R5m2",             10, 251, 8192, 5464, true, true, true, true},
    {"Canon EOS R5",               11, 230, 8192, 5464, true, true, true, true},
    {"Canon EOS R50",               7, 248, 6000, 4000, true, true, true, true},
    {"Canon EOS R100",              6, 249, 6000, 4000, true, true, true, true},
    {"Canon EOS R10",              12, 246, 6000, 4000, true, true, true, true},
    {"Canon EOS R1",               13, 250, 6000, 4000, true, true, true, true},
    {"Canon EOS R6 Mark III",       8, 252, 6960, 4640, true, true, true, true},
    {"Canon EOS R6 Mark II",        9, 230, 5472, 3648, true, true, true, true},
    {"Canon EOS R",                18, 228, 6720, 4480, true, true, true, true},
    {"Canon EOS RP",               17, 228, 6240, 4160, true, true, true, true},
    {"Canon EOS REBEL T7i",        32, 240, 6000, 4000, true, false, true, true},  // not an EOS R, nor a T7
    {"Canon EOS Rebel T7",         38,   0, 6000, 4000, true, false, true, true},
    {"Canon EOS Kiss X50",         35,   0, 4272, 2848, true, false, true, true},   // not taken for a Kiss X5
    {"Canon EOS Kiss X5",          34,   0, 5184, 3456, true, false, true, true},
    {"Canon EOS Kiss X80",         37,   0, 5184, 3456, true, false, true, true},   // not taken for a Kiss X8
    {"Canon EOS Kiss X90",         38,   0, 6000, 4000, true, false, true, true},
    {"Canon EOS Kiss X7",          30, 237, 5184, 3456, true, false, true, true},   // both rows name it; the first wins
    {"Canon EOS 100D",             43, 235, 5184, 3456, true, false, true, true},
    {"Canon EOS-1D X Mark III",    23, 229, 5472, 3648, true, false, true, true},
    {"Canon EOS-1D X Mark II",     24,   0, 5472, 3648, true, false, true, true},
    {"Canon EOS-1D X",             25,   0, 5184, 3456, true, false, false, true},
    {"Canon EOS-1Ds Mark III",     26,   0, 5616, 3744, true, false, true, false},
    {"Canon EOS-1D Mark III",      27,   0, 3888, 2592, true, false, true, false},
    {"Canon EOS-1D Mark IV",       28,   0, 4896, 3264, true, false, false, true},
    {"Canon EOS-1D C",             53,   0, 5184, 3456, true, false, false, true},
    {"Canon EOS 450D",             41,   0, 4272, 2848, true, false, true, false},
    {"Canon EOS 90D",              45, 227, 6940, 4640, true, false, true, true},
    {"Canon EOS 760D",             31, 239, 6000, 4000, true, false, true, true},
    {"Canon EOS 700D",             30, 237, 5184, 3456, true, false, true, true},
    {"Canon EOS 40D",              52,   0, 3888, 2592, true, false, true, false},
    {"Canon EOS M6 Mark II",       54, 233, 6983, 4655, true, true, true, true},
    {"Canon EOS M50",              55, 231, 6012, 4008, true, true, true, true},
    {"Canon PowerShot G7 X Mark III", 56, 232, 5472, 3648, true, true, true, true},
    {"canon eos r7",               15, 245, 6960, 4640, true, true, true, true},    // case does not matter
    // A table text names a model only where no digit touches it: older and newer bodies whose names hold another
    // row's text are not taken for that body, and without a row of their own they are not supported.
    {"Canon EOS 350D DIGITAL",      0,   0, 3888, 2592, false, false, true, true},  // not the 50D
    {"Canon EOS 1500D",             0,   0, 3888, 2592, false, false, true, true},  // not the 500D
    {"Canon EOS 500D",             40,   0, 4752, 3168, true, false, true, true},
    {"Canon EOS 50D",              51,   0, 4752, 3168, true, false, true, true},
    {"Canon EOS Rebel T3i",        34,   0, 5184, 3456, true, false, true, true},
    {"Canon EOS Rebel T3",         35,   0, 4272, 2848, true, false, true, true},
    {"Canon EOS Kiss X7i",         30, 237, 5184, 3456, true, false, true, true},
    {"Canon EOS Kiss X10",         47, 242, 6000, 4000, true, false, true, true},
    {"Canon EOS Kiss X10i",        33, 243, 6000, 4000, true, false, true, true},
    {"Canon EOS 250D",             47, 242, 6000, 4000, true, false, true, true},
    {"Nikon D850",                  0,   0, 3888, 2592, false, false, true, true},
};
// clang-format on

TEST(CanonModels, TableRowsAndFacts) {
    for (const ModelCase& c : kCases) {
        SCOPED_TRACE(c.text);
        CanonModelFacts f = canonLookupModel(c.text);
        EXPECT_EQ(f.row, c.row);
        EXPECT_EQ(f.modelIndex, c.index);
        EXPECT_EQ(f.sensorWidth, c.width);
        EXPECT_EQ(f.sensorHeight, c.height);
        EXPECT_EQ(f.supported, c.supported);
        EXPECT_EQ(f.newRaw, c.newRaw);
        EXPECT_EQ(f.movieSwitch, c.movieSwitch);
        EXPECT_EQ(f.liveViewFocus, c.liveViewFocus);
    }
}

// Every row can be reached by a model text that names it; the one exception is a name two rows share.
TEST(CanonModels, NoRowIsHiddenByAnotherExceptASharedName) {
    for (size_t row = 1; row <= canonModelRowCount(); ++row) {
        for (const std::string& name : canonModelRowNames(row)) {
            SCOPED_TRACE(name);
            int found = canonLookupModel(name).row;
            if (row == 43 && name == "Canon Kiss X7") {
                EXPECT_EQ(found, 30);
            } else {
                EXPECT_EQ(found, static_cast<int>(row));
            }
        }
    }
}

TEST(CanonModels, IdentificationSetsTheEngineModelIndexAndResets) {
    vendorStateReset();
    EXPECT_TRUE(canonIdentifyModelText("Canon EOS R5m2"));
    EXPECT_EQ(camModelIndex(), 251);
    EXPECT_EQ(canonRawObjectFormat(), 0xB108);
    EXPECT_FALSE(canonIdentifyModelText("Canon EOS 5D"));
    EXPECT_EQ(camModelIndex(), 0);
    EXPECT_EQ(canonModelFacts().sensorWidth, 5616);
    EXPECT_TRUE(canonIdentifyModelText("Canon EOS 90D"));
    EXPECT_EQ(canonRawObjectFormat(), 0xB108);  // model 227 writes CR3 without the new-raw flag
    EXPECT_TRUE(canonIdentifyModelText("Canon EOS 6D"));
    EXPECT_EQ(canonRawObjectFormat(), 0xB103);
    EXPECT_TRUE(canonIdentifyModelText("Canon EOS 40D"));
    EXPECT_FALSE(canonLiveViewAfSupported());
    canonResetModelFacts();
    vendorStateReset();
}

}  // namespace
