// Record, image and thumbnail fetches against the stand-in device, byte for byte, and what they leave in the cache.
#include <gtest/gtest.h>

#include <algorithm>

#include "devicesim/raw_factory.h"
#include "devicesim/sd_card.h"
#include "engine/link/link.h"
#include "session/image_transfer.h"
#include "session/image_transfer_test_fixture.h"

namespace {

std::vector<uint8_t> bytesOf(const HeapBlock& b) { return std::vector<uint8_t>(b.begin(), b.end()); }

TEST_F(ImageTransferTest, CameraImageAndThumbnailArriveWholeAndAreThenServedFromTheCache) {
  // Below and above the size from which the engine reads an object in ranges.
  for (uint32_t size : {300u * 1024, 6u * 1024 * 1024 + 77}) {
    SCOPED_TRACE(size);
    const uint32_t handle = camera->addJpegObject(size, 6);
    const devicesim::SimObject sim = *camera->object(handle);
    PtpObjectInfoStruct record = cameraRecord(handle);

    HeapBlock image;
    bool downloaded = false;
    ASSERT_EQ(downloadObjectImage(&record, &image, 0, &downloaded, false), PTP_RC_OK);
    EXPECT_TRUE(downloaded);
    EXPECT_EQ(bytesOf(image), *sim.bytes);
    EXPECT_EQ(readFile(objCacheGetImagePath(&record)), *sim.bytes);

    HeapBlock thumbnail;
    ASSERT_EQ(downloadObjectThumbnail(&record, &thumbnail, 0), PTP_RC_OK);
    ASSERT_FALSE(sim.thumbnail.empty());
    EXPECT_EQ(bytesOf(thumbnail), sim.thumbnail);

    // Again: nothing reaches the device, the same bytes come back.
    device.clearLog();
    HeapBlock again, againThumb;
    ASSERT_EQ(downloadObjectImage(&record, &again, 0, &downloaded, false), PTP_RC_OK);
    EXPECT_FALSE(downloaded);
    EXPECT_EQ(bytesOf(again), *sim.bytes);
    ASSERT_EQ(downloadObjectThumbnail(&record, &againThumb, 0), PTP_RC_OK);
    EXPECT_EQ(bytesOf(againThumb), sim.thumbnail);
    EXPECT_EQ(device.logSize(), 0u);
  }
}

TEST_F(ImageTransferTest, QuickRawFetchesTheExtractedJpegOnceAndAModifiedJpegAlwaysWins) {
  devicesim::RawRecipe recipe = devicesim::vendorRawRecipe(devicesim::Vendor::Canon);
  auto raw = devicesim::rawImage(recipe);
  devicesim::SimObject object;
  object.format = 0xB101;
  object.name = "IMG_0007.CR2";
  object.bytes = std::make_shared<const std::vector<uint8_t>>(raw->bytes);
  const uint32_t handle = camera->addObject(object);
  PtpObjectInfoStruct record = cameraRecord(handle);
  // What the device extracts from the raw file, as it sends it.
  const std::vector<uint8_t> preview = devicesim::embeddedJpeg(raw->bytes);
  ASSERT_FALSE(preview.empty());
  ASSERT_LE(preview.size(), raw->previewLength);
  ASSERT_TRUE(std::equal(preview.begin(), preview.end(), raw->bytes.begin() + static_cast<long>(raw->previewOffset)));

  HeapBlock image;
  bool downloaded = false;
  ASSERT_EQ(downloadObjectImage(&record, &image, 0, &downloaded, true), PTP_RC_OK);
  EXPECT_TRUE(downloaded);
  EXPECT_EQ(bytesOf(image), preview);
  EXPECT_EQ(commandPackets(0xB1).size(), 1u);
  EXPECT_TRUE(ptpPackets(PTP_OC_GetObject).empty());
  ASSERT_EQ(downloadObjectImage(&record, &image, 0, &downloaded, true), PTP_RC_OK);
  EXPECT_FALSE(downloaded);
  EXPECT_EQ(commandPackets(0xB1).size(), 1u);

  // A modified JPEG beside the download is what the user sees, with quick-raw on or off.
  const std::vector<uint8_t> edited = {0xFF, 0xD8, 'e', 'd', 'i', 't', 0xFF, 0xD9};
  writeFile(save + "/IMG_0007.CR2.mod.jpg", edited);
  device.clearLog();
  for (bool quickRaw : {true, false}) {
    ASSERT_EQ(downloadObjectImage(&record, &image, 0, &downloaded, quickRaw), PTP_RC_OK);
    EXPECT_EQ(bytesOf(image), edited);
    EXPECT_FALSE(downloaded);
  }
  EXPECT_EQ(device.logSize(), 0u);
}

TEST_F(ImageTransferTest, CardFilesByNameAndTheirThumbnailState) {
  ASSERT_TRUE(commands.card().addJpeg("DSC_0100.JPG", 400 * 1024, 8));
  const auto file = commands.card().file("DSC_0100.JPG");
  ASSERT_TRUE(file);
  PtpObjectInfoStruct record = cardRecord("DSC_0100.JPG", static_cast<uint32_t>(file->bytes->size()));

  HeapBlock image;
  bool downloaded = false;
  ASSERT_EQ(downloadObjectImage(&record, &image, 0, &downloaded, false), PTP_RC_OK);
  EXPECT_TRUE(downloaded);
  EXPECT_EQ(bytesOf(image), *file->bytes);

  HeapBlock thumbnail;
  record.orientation = 0;
  ASSERT_EQ(downloadObjectThumbnail(&record, &thumbnail, 0), PTP_RC_OK);
  EXPECT_EQ(bytesOf(thumbnail), file->thumbnail);
  EXPECT_EQ(record.orientation, 8);  // the state the device sent with it
  PtpObjectInfoStruct cached{};
  ASSERT_TRUE(objCacheCopyObjectInfo(&record, &cached));
  EXPECT_EQ(cached.orientation, 8);
}

TEST_F(ImageTransferTest, QuickRawCardFileComesAsTheJpegTheDeviceExtracts) {
  auto raw = devicesim::rawImage(devicesim::vendorRawRecipe(devicesim::Vendor::Sony));
  auto bytes = std::make_shared<const std::vector<uint8_t>>(raw->bytes);
  ASSERT_TRUE(commands.card().addFile("DSC_0200.ARW", bytes));
  PtpObjectInfoStruct record = cardRecord("DSC_0200.ARW", static_cast<uint32_t>(bytes->size()));
  HeapBlock image;
  bool downloaded = false;
  ASSERT_EQ(downloadObjectImage(&record, &image, 0, &downloaded, true), PTP_RC_OK);
  EXPECT_TRUE(downloaded);
  EXPECT_EQ(bytesOf(image), devicesim::embeddedJpeg(*bytes));
  EXPECT_EQ(commandPackets(0xF9).size(), 1u);
  EXPECT_TRUE(commandPackets(0xF8).empty());
  EXPECT_EQ(readFile(objCacheGetExtractedJpegPath(&record)), devicesim::embeddedJpeg(*bytes));
}

TEST_F(ImageTransferTest, MissingInputIsRefusedBeforeTheLinkIsUsed) {
  device.clearLog();
  HeapBlock out;
  bool downloaded = true;
  PtpObjectInfoStruct unnamed = cardRecord("");
  PtpObjectInfoStruct card = cardRecord("DSC_0001.JPG");
  EXPECT_EQ(downloadObjectImage(&unnamed, &out, 0, &downloaded, false), ERROR_INVALID_INPUT);
  EXPECT_FALSE(downloaded);
  EXPECT_EQ(downloadObjectImage(nullptr, &out, 0, &downloaded, false), ERROR_INVALID_INPUT);
  EXPECT_EQ(downloadObjectImage(&card, nullptr, 0, &downloaded, false), ERROR_INVALID_INPUT);
  EXPECT_EQ(downloadObjectThumbnail(nullptr, &out, 0), ERROR_INVALID_INPUT);
  EXPECT_EQ(refreshObjectInfo(&card, true), ERROR_INVALID_INPUT);
  EXPECT_EQ(refreshObjectInfo(nullptr, false), ERROR_INVALID_INPUT);
  EXPECT_EQ(device.logSize(), 0u);
}

TEST_F(ImageTransferTest, FailuresComeBackUnchangedAndLeaveTheCacheAlone) {
  PtpObjectInfoStruct gone = cameraRecord(camera->addJpegObject(100 * 1024));
  camera->removeObject(gone.objectId);
  HeapBlock out;
  bool downloaded = true;
  EXPECT_EQ(downloadObjectImage(&gone, &out, 0, &downloaded, false), 0x2009);  // invalid object handle
  EXPECT_FALSE(downloaded);
  EXPECT_TRUE(objCacheGetImagePath(&gone).empty());
  PtpObjectInfoStruct missingCard = cardRecord("NOPE.JPG", 10);
  EXPECT_NE(downloadObjectThumbnail(&missingCard, &out, 0), PTP_RC_OK);
  EXPECT_FALSE(objCacheLookup(&missingCard, false));
}

TEST_F(ImageTransferTest, NikonOrientationIsAskedOnlyForObjectsOver2048Bytes) {
  camSetVendor(VENDOR_NIKON);
  struct Case {
    uint32_t size;
    bool asked;
  };
  for (const Case& c : {Case{2048, false}, Case{2049, true}}) {
    SCOPED_TRACE(c.size);
    const uint32_t handle = camera->addJpegObject(c.size < 4096 ? 4096 : c.size, 6);
    PtpObjectInfoStruct record = cameraRecord(handle);
    record.objectCompressedSize = c.size;  // the size the record claims decides
    record.orientation = 0;
    objCacheStoreObjectInfo(&record);
    device.clearLog();
    ASSERT_EQ(refreshObjectInfo(&record, false), PTP_RC_OK);
    EXPECT_EQ(commandPackets(0xE3).size(), c.asked ? 1u : 0u);
    EXPECT_EQ(record.orientation, c.asked ? 6 : 0);
    PtpObjectInfoStruct cached{};
    ASSERT_TRUE(objCacheCopyObjectInfo(&record, &cached));
    EXPECT_EQ(cached.orientation, record.orientation);
  }
}

TEST_F(ImageTransferTest, ForcedRefreshAsksTheCameraAndStoresTheRecord) {
  const uint32_t handle = camera->addJpegObject(64 * 1024, 3, "IMG_0042.JPG");
  PtpObjectInfoStruct record{};
  record.objectId = handle;
  record.imagePixWidth = 1;
  device.clearLog();
  ASSERT_EQ(refreshObjectInfo(&record, true), PTP_RC_OK);
  EXPECT_EQ(ptpPackets(PTP_OC_GetObjectInfo).size(), 1u);
  EXPECT_STREQ(record.fileName, "IMG_0042.JPG");
  EXPECT_EQ(record.objectCompressedSize, 64u * 1024);
  EXPECT_TRUE(objCacheLookup(&record, false));
}

TEST_F(ImageTransferTest, RelayedThumbnailCarriesTheRecordToTheSharingClients) {
  camSetVendor(VENDOR_NIKON);  // GetThumb goes out under its standard code, the key of the pending data
  PtpObjectInfoStruct record = cameraRecord(camera->addJpegObject(120 * 1024));
  HeapBlock thumbnail;
  device.clearLog();
  ASSERT_EQ(downloadObjectThumbnail(&record, &thumbnail, kShareRelay), PTP_RC_OK);
  EXPECT_EQ(bytesOf(thumbnail), camera->object(record.objectId)->thumbnail);
  EXPECT_EQ(linkPendingObjectCount(), 0u);
  const auto packets = ptpPackets(0x100A);
  ASSERT_FALSE(packets.empty());
  ASSERT_TRUE(packets.front().wrapper);
  EXPECT_EQ(packets.front().wrapper->subCodeA, kShareRelay);
  EXPECT_EQ(packets.front().wrapper->subCodeB, kWrapObjectRecord);
}

}  // namespace
