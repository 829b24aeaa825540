#include "engine/ptp/response_code.h"

#include <gtest/gtest.h>

TEST(ResponseCode, NoDataCountsAsSuccess) {
    EXPECT_TRUE(responseSucceeded(PTP_RC_OK));
    EXPECT_TRUE(responseSucceeded(RESPONSE_NO_DATA));
    EXPECT_FALSE(responseSucceeded(PTP_RC_DEVICE_BUSY));
}
