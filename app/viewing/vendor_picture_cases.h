#pragma once
// For the tests that show pictures from the stand-in body of every vendor (header only): the vendors, whether
// the converter replaces a RAW file's preview with its whole picture, and the check that no alert with a text
// went up on the way.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "devicesim/raw_factory.h"
#include "session/session_harness.h"

namespace picture_testing {

struct VendorCase {
  const char* name;
  devicesim::Vendor vendor;
  bool rawDecodesWhole;  // CR2, NEF, ARW: yes; RAF: its preview stays
};

inline constexpr std::array<VendorCase, 4> kVendorCases{{{"canon", devicesim::Vendor::Canon, true},
                                                         {"nikon", devicesim::Vendor::Nikon, true},
                                                         {"sony", devicesim::Vendor::Sony, true},
                                                         {"fuji", devicesim::Vendor::Fuji, false}}};

inline std::string vendorCaseName(const ::testing::TestParamInfo<VendorCase>& info) { return info.param.name; }

// Windows presented (a popover's) are noted too: only alerts with a title or a message count.
inline void expectNoAlerts(const session_testing::AnsweringPresenter& presenter) {
  for (const auto& shown : presenter.shown())
    if (!shown.title.empty() || !shown.message.empty()) ADD_FAILURE() << "alert: " << shown.title << ": " << shown.message;
}

}  // namespace picture_testing
