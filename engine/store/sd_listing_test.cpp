#include "engine/store/sd_listing.h"

#include <gtest/gtest.h>

#include "engine/link/device_commands.h"

namespace {

TEST(SdListing, NamesAreCheckedBeforeTheyCanBecomePaths) {
    struct Case {
        std::string name;
        ResponseCode expected;
    } cases[] = {
        {"IMG_0001.JPG", PTP_RC_OK},
        {"a", PTP_RC_OK},
        {"..hidden", PTP_RC_OK},
        {std::string(243, 'n') + ".JPG", PTP_RC_OK},
        {std::string(244, 'n') + ".JPG", ERROR_TOO_LARGE},
        {std::string(256, 'n'), ERROR_TOO_LARGE},
        {"", ERROR_INVALID_INPUT},
        {".", ERROR_INVALID_INPUT},
        {"..", ERROR_INVALID_INPUT},
        {"DCIM/IMG_0001.JPG", ERROR_INVALID_INPUT},
        {"../../etc/passwd", ERROR_INVALID_INPUT},
        {"/etc/passwd", ERROR_INVALID_INPUT},
        {std::string("IMG\0.JPG", 8), ERROR_INVALID_INPUT},
        {std::string(300, '/'), ERROR_INVALID_INPUT},
    };
    std::vector<std::string> names;
    for (const Case& c : cases) {
        EXPECT_EQ(sdCardNameCheck(c.name), c.expected) << c.name;
        names.push_back(c.name);
    }
    SdCardListing listing = sdCardListingCheck(names);
    size_t usable = 0, refused = 0;
    for (const Case& c : cases) {
        if (c.expected == PTP_RC_OK) {
            ASSERT_LT(usable, listing.names.size());
            EXPECT_EQ(listing.names[usable++], c.name);
        } else {
            ASSERT_LT(refused, listing.refused.size());
            EXPECT_EQ(listing.refused[refused].name, c.name);
            EXPECT_EQ(listing.refused[refused++].reason, c.expected);
        }
    }
    EXPECT_EQ(usable, listing.names.size());
    EXPECT_EQ(refused, listing.refused.size());
}

TEST(SdListing, AReplyWithTwoNamesGivesTwoUsableNames) {
    const std::string reply = "IMG_0001.JPG:IMG_0002.CR2";
    SdCardListing listing = sdCardListingCheck(
        linkParseSdCardImageList(reinterpret_cast<const uint8_t*>(reply.data()), reply.size()));
    EXPECT_EQ(listing.names, (std::vector<std::string>{"IMG_0001.JPG", "IMG_0002.CR2"}));
    EXPECT_TRUE(listing.refused.empty());
}

}  // namespace
