#pragma once
// For tests of image transfer (header only): the stand-in device with a generic camera on the link (see
// DevicesimLinkTest), a fresh cache and save folder opened in the object cache, the PTP session open, and a
// presenter that notes alerts and answers them as the test says.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/link/devicesim_link_fixture.h"
#include "engine/store/object_cache.h"
#include "engine/store/store_test_fixture.h"
#include "platform/foundation/dispatch.h"
#include "platform/foundation/test_application.h"
#include "platform/ui/presenter.h"
#include "session/utilities_alert_recorder.h"

class ImageTransferTest : public DevicesimLinkTest {
 protected:
  void SetUp() override {
    platform::ensureTestApplication();
    DevicesimLinkTest::SetUp();
    folders_.SetUp();
    root = folders_.root;
    cache = folders_.cache;
    save = folders_.save;
    objCacheOpen(cache, save);
    openSession();
  }
  void TearDown() override {
    DevicesimLinkTest::TearDown();
    folders_.TearDown();
  }

  // The record the camera gives for a handle.
  static PtpObjectInfoStruct cameraRecord(uint32_t handle) {
    PtpObjectInfoStruct r{};
    EXPECT_EQ(camGetObjectInfo(handle, &r), PTP_RC_OK);
    return r;
  }
  static PtpObjectInfoStruct cardRecord(const std::string& name, uint32_t size = 0) {
    PtpObjectInfoStruct r{};
    r.objectId = kObjectIdByName;
    std::snprintf(r.fileName, sizeof r.fileName, "%s", name.c_str());
    r.fileNameLength = static_cast<uint16_t>(name.size() + 1);
    r.objectCompressedSize = size;
    return r;
  }
  static std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
  }
  static void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
  }
  static bool exists(const std::string& path) { return std::filesystem::exists(path); }

  std::string root, cache, save;
  session_testing::AlertRecorder presenter;
  platform::ScopedPresenter scopedPresenter{presenter};

 private:
  // The store tests' fresh cache and save folder, and the cache reset around the test.
  struct Folders : StoreTest {
    void TestBody() override {}
  } folders_;
};
