// The bodies' log of property sets: refusals armed per property or for any, used up in turn; values read from a
// set's data phase at the property's width and sign.
#include "devicesim/property_set_log.h"

#include <gtest/gtest.h>

namespace devicesim {
namespace {

TEST(PropertySetLog, RefusalsAnswerTheArmedRequestsOnlyAndEveryRequestIsNoted) {
    PropertySetLog log;
    log.refuseNext(0x500F, 0x2005, 2);
    log.refuseNext(0, 0x2019);
    EXPECT_EQ(log.note(0x500F, 100), std::optional<uint16_t>(0x2005));
    EXPECT_EQ(log.note(0x5007, 560), std::optional<uint16_t>(0x2019)) << "the refusal of any property";
    EXPECT_EQ(log.note(0x500F, 200), std::optional<uint16_t>(0x2005));
    EXPECT_EQ(log.note(0x500F, 400), std::nullopt) << "two refusals, both used";
    log.answered(0x2002);
    EXPECT_EQ(log.requests(), (std::vector<PropertySetRequest>{
                                  {0x500F, 100, 0x2005}, {0x5007, 560, 0x2019}, {0x500F, 200, 0x2005}, {0x500F, 400, 0x2002}}));
    EXPECT_EQ(log.requests(0x5007).size(), 1u);
    log.clear();
    EXPECT_TRUE(log.requests().empty());
}

TEST(PropertySetLog, ValuesAreReadAtTheirWidthAndSign) {
    struct Case {
        std::vector<uint8_t> data;
        size_t size;
        bool isSigned;
        int64_t value;
    } cases[] = {
        {{0xFA}, 1, true, -6},
        {{0xFA}, 1, false, 250},
        {{0x33, 0xFF}, 2, true, -205},
        {{0x90, 0x01, 0x00, 0x00}, 4, false, 400},
        {{0xFF, 0xFF, 0xFF, 0xFF}, 4, true, -1},
        {{0x01}, 2, false, 0},  // shorter than its width
        {{0x01}, 0, false, 0},  // a text
    };
    for (const Case& c : cases) EXPECT_EQ(setValueFromData(c.data, c.size, c.isSigned), c.value) << c.value;
}

}  // namespace
}  // namespace devicesim
