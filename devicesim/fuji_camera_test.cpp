// The simulated Fujifilm camera on its own: the shutter steps of the capture-mode property, pictures that stay
// listed until the device takes them, and the RAF layout its raw files have.
#include "devicesim/fuji_camera.h"

#include <gtest/gtest.h>

#include "devicesim/wire.h"

namespace devicesim {
namespace {

PtpResult run(FujiCamera& c, uint16_t code, std::vector<uint32_t> params,
              std::optional<std::vector<uint8_t>> data = {}) {
    PtpOperation op;
    op.code = code;
    op.params = std::move(params);
    op.dataOut = std::move(data);
    return c.handleOperation(op);
}

PtpResult setU16(FujiCamera& c, uint32_t code, uint16_t value) {
    std::vector<uint8_t> d;
    wire::put16(d, value);
    return run(c, 0x1016, {code}, d);
}

size_t listed(FujiCamera& c) {
    PtpResult r = run(c, 0x1007, {0xFFFFFFFF, 0, 0});
    return r.dataIn && r.dataIn->size() >= 4 ? wire::get32(r.dataIn->data()) : 0;
}

TEST(FujiCamera, ShutterStepsAndHandOver) {
    FujiCamera camera;
    ASSERT_EQ(run(camera, 0x1002, {1}).code, 0x2001);
    ASSERT_EQ(setU16(camera, 0xD208, 0x200).code, 0x2001);
    ASSERT_EQ(run(camera, 0x100E, {0, 0}).code, 0x2001);
    EXPECT_TRUE(camera.halfPressed());
    // The autofocus answers "Unknown" for its reads, then "Focused".
    for (int64_t expected : {1, 2}) {
        PtpResult v = run(camera, 0x1015, {0xD209});
        ASSERT_TRUE(v.dataIn);
        EXPECT_EQ(wire::get16(v.dataIn->data()), expected);
    }
    EXPECT_EQ(setU16(camera, 0xD208, 0x1234).code, 0x201C);  // not a capture mode the body lists
    ASSERT_EQ(setU16(camera, 0xD208, 0x304).code, 0x2001);
    ASSERT_EQ(run(camera, 0x100E, {0, 0}).code, 0x2001);
    EXPECT_EQ(camera.shots(), 1);
    EXPECT_EQ(listed(camera), 1u);
    EXPECT_EQ(listed(camera), 0u);  // listed once, then the device's
    EXPECT_EQ(camera.filesTaken(), (std::vector<std::string>{"DSCF0001.JPG"}));
    std::vector<uint8_t> records = camera.pollEvents(0);
    bool announced = false;
    for (size_t at = 0; at + kEventRecordSize <= records.size(); at += kEventRecordSize)
        announced = announced || wire::get16(records.data() + at) == kRecordObjectAdded;
    EXPECT_TRUE(announced);
}

TEST(FujiCamera, LiveViewRefusesShotsOnBodiesThatCannotShootThrough) {
    FujiCamera xt3;
    ASSERT_EQ(run(xt3, 0x101C, {0, 0}).code, 0x2001);
    EXPECT_EQ(setU16(xt3, 0xD208, 0x304).code, 0x2019);
    FujiCameraOptions options;
    options.body = FujiBody::XH2;
    FujiCamera xh2(options);
    ASSERT_EQ(run(xh2, 0x101C, {0, 0}).code, 0x2001);
    ASSERT_EQ(setU16(xh2, 0xD208, 0x304).code, 0x2001);
    EXPECT_EQ(run(xh2, 0x100E, {0, 0}).code, 0x2001);
    EXPECT_EQ(xh2.shots(), 1);
}

TEST(FujiCamera, RafHeaderPointsAtThePreview) {
    const std::vector<uint8_t> jpeg = {0xFF, 0xD8, 0xFF, 0xE1, 0x00, 0x02, 0xFF, 0xD9};
    std::vector<uint8_t> raf = makeRafFile(jpeg, "X-T3");
    ASSERT_GT(raf.size(), kRafPreviewOffset + jpeg.size());
    EXPECT_EQ(std::string(raf.begin(), raf.begin() + 16), "FUJIFILMCCD-RAW ");
    auto be32 = [&raf](size_t at) {
        return uint32_t(raf[at]) << 24 | uint32_t(raf[at + 1]) << 16 | uint32_t(raf[at + 2]) << 8 | raf[at + 3];
    };
    EXPECT_EQ(be32(84), kRafPreviewOffset);
    EXPECT_EQ(be32(88), jpeg.size());
    EXPECT_TRUE(std::equal(jpeg.begin(), jpeg.end(), raf.begin() + kRafPreviewOffset));
}

}  // namespace
}  // namespace devicesim
