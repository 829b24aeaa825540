#include "engine/ptp/session_open.h"

#include <gtest/gtest.h>

#include "devicesim/camera_properties.h"
#include "engine/link/devicesim_link_fixture.h"
#include "engine/vendors/dispatch.h"
#include "engine/vendors/vendor_test_doubles.h"

namespace {

using devicesim::SimProperty;

TEST(VendorIdentification, ManufacturerTextsByPrefixAndCase) {
    const struct {
        const char* manufacturer;
        VendorType vendor;
    } cases[] = {
        {"Canon Inc.", VENDOR_CANON},      {"Canon", VENDOR_CANON},         {"CanonX", VENDOR_CANON},
        {"canon", VENDOR_NIKON},           {"Can", VENDOR_NIKON},           {"Nikon Corporation", VENDOR_NIKON},
        {"Sony Corporation", VENDOR_SONY}, {"Sony", VENDOR_SONY},           {"SONY", VENDOR_NIKON},
        {"FUJIFILM", VENDOR_FUJI},         {"FUJIFILM Corp", VENDOR_FUJI},  {"Fujifilm", VENDOR_NIKON},
        {"FUJI", VENDOR_NIKON},            {"Leica Camera AG", VENDOR_NIKON}, {"", VENDOR_NIKON},
    };
    for (const auto& c : cases) EXPECT_EQ(camVendorForManufacturer(c.manufacturer), c.vendor) << c.manufacturer;
}

// A camera with a few properties of each vendor's roles, and the Nikon host-mode operation answered as told.
class SessionCamera : public devicesim::PropertyCamera {
public:
    using PropertyCamera::PropertyCamera;
    std::atomic<uint16_t> hostModeAnswer{0x2001};

protected:
    std::optional<devicesim::PtpResult> handleVendorOperation(const devicesim::PtpOperation& op) override {
        if (op.code == 0x90C2) return devicesim::PtpResult::withCode(hostModeAnswer.load());
        return PropertyCamera::handleVendorOperation(op);
    }
};

class SessionOpenTest : public DevicesimLinkTest {
protected:
    std::shared_ptr<devicesim::GenericCamera> makeCamera() override {
        sessionCamera = std::make_shared<SessionCamera>();
        return sessionCamera;
    }

    void SetUp() override {
        DevicesimLinkTest::SetUp();
        test_vendor::resetCoreState();
        ptpInstallTransport(linkPtpSend, linkPtpReceive, linkLockHook, nullptr);
        vendorRegisterFuji(&fuji);
        vendorRegisterCanon(&canon);
        vendorRegisterSony(&sony);
        vendorRegisterNikon(&nikon);
    }

    void TearDown() override {
        test_vendor::resetCoreState();
        DevicesimLinkTest::TearDown();
    }

    // The camera as a given maker's model, with properties and operations added to the generic ones.
    void becomes(const std::string& manufacturer, const std::string& model, std::vector<uint16_t> moreOps = {}) {
        auto config = sessionCamera->config();
        config.manufacturer = manufacturer;
        config.model = model;
        config.operations.insert(config.operations.end(), moreOps.begin(), moreOps.end());
        sessionCamera->setConfig(config);
    }

    std::vector<uint16_t> operationsSent() const {
        std::vector<uint16_t> ops;
        for (auto& p : device.log())
            if (p.ptpOperation) ops.push_back(*p.ptpOperation);
        return ops;
    }

    test_vendor::FakeFuji fuji;
    test_vendor::FakeCanon canon;
    test_vendor::FakeSony sony;
    test_vendor::FakeNikon nikon;
    std::shared_ptr<SessionCamera> sessionCamera;
};

TEST_F(SessionOpenTest, NikonSessionOpensInOrderAndFillsTheRoleCodes) {
    static const PropertyNameStruct names[] = {{0x5001, "Battery Level", PTP_DTC_UINT8, nullptr},
                                               {0xD407, "End", PTP_DTC_UINT8, nullptr}};
    struct NamedNikon : test_vendor::FakeNikon {
        const PropertyNameStruct* propertyNames() override { return names; }
    } named;
    vendorRegisterNikon(&named);
    becomes("Nikon Corporation", "D850", {0x90C2});
    sessionCamera->addProperty(SimProperty::range(0x5001, devicesim::kSimUint8, 0, 100, 1, 80));
    sessionCamera->addProperty(SimProperty::enumeration(0xD0B4, devicesim::kSimUint16, {100, 200}, 100));
    sessionCamera->addProperty(SimProperty::enumeration(0xD161, devicesim::kSimUint8, {0, 1, 4}, 0));
    camPauseEvents();  // a pause left behind by the last session

    ASSERT_EQ(camStartSession(1), PTP_RC_OK);
    EXPECT_EQ(camVendor(), VENDOR_NIKON);
    EXPECT_EQ(camModelIndex(), 205);
    EXPECT_FALSE(camEventsPaused());
    EXPECT_EQ(named.log.all(), (std::vector<std::string>{"hostMode on", "openSession"}));
    // GetDeviceInfo, the host mode, the vendor's open (session, then a description of every property).
    auto ops = operationsSent();
    ASSERT_GE(ops.size(), 6u);
    EXPECT_EQ(std::vector<uint16_t>(ops.begin(), ops.begin() + 3), (std::vector<uint16_t>{0x1001, 0x90C2, 0x1002}));
    EXPECT_EQ(ops[3], 0x1014);

    VendorPropertyCodes c = camVendorPropertyCodes();
    EXPECT_EQ(c.aperture, 0x5007u);
    EXPECT_EQ(c.iso, 0xD0B4u);  // the store has it
    EXPECT_EQ(c.focusMode, 0xD161u);
    EXPECT_EQ(c.batteryLevel, 0x5001u);
    EXPECT_EQ(c.bracketing, 0xD0C1u);
    EXPECT_STREQ(propNameTableEntry(0x5001), "Battery Level");
    PropertyStruct* battery = propFind(0x5001);
    ASSERT_NE(battery, nullptr);
    EXPECT_STREQ(battery->name, "Battery Level");
    EXPECT_STREQ(battery->valueText, "80");
}

TEST_F(SessionOpenTest, NikonHostModeAnswersDecideWhetherTheSessionOpens) {
    becomes("Nikon Corporation", "D810", {0x90C2});
    sessionCamera->hostModeAnswer = 0xA003;
    EXPECT_EQ(camStartSession(0), PTP_RC_OK);
    EXPECT_EQ(nikon.log.all().back(), "openSession");

    sessionCamera->hostModeAnswer = 0x2002;
    nikon.log.calls.clear();
    EXPECT_EQ(camStartSession(0), 0x2002);
    EXPECT_EQ(nikon.log.all(), std::vector<std::string>{"hostMode off"});
    EXPECT_EQ(camVendorPropertyCodes().batteryLevel, 0x5001u);  // the role codes are filled anyway
}

TEST_F(SessionOpenTest, EachVendorGetsItsOwnOpenAndRoleCodes) {
    const struct {
        const char* manufacturer;
        const char* model;
        VendorType vendor;
        uint32_t shutter, imageFormat, exposureMode;
    } cases[] = {
        {"FUJIFILM", "X-T4", VENDOR_FUJI, 0x500D, 0xD018, 0x500E},
        {"Canon Inc.", "Canon EOS R5", VENDOR_CANON, 0xD102, 0xD120, 0xD105},
        {"Sony Corporation", "ILCE-7M4", VENDOR_SONY, 0xD20D, 0xD253, 0x500E},
    };
    sessionCamera->addProperty(SimProperty::enumeration(0xD253, devicesim::kSimUint8, {1, 2, 3}, 2));
    for (const auto& c : cases) {
        SCOPED_TRACE(c.manufacturer);
        becomes(c.manufacturer, c.model);
        ptpInstallTransport(linkPtpSend, linkPtpReceive, linkLockHook, nullptr);  // a new session starts
        ASSERT_EQ(camStartSession(0), PTP_RC_OK);
        EXPECT_EQ(camVendor(), c.vendor);
        VendorPropertyCodes codes = camVendorPropertyCodes();
        EXPECT_EQ(codes.shutterSpeed, c.shutter);
        EXPECT_EQ(codes.imageFormat, c.imageFormat);
        EXPECT_EQ(codes.exposureMode, c.exposureMode);
        EXPECT_TRUE(propExists(0xD253));
    }
    EXPECT_EQ(fuji.log.all(), std::vector<std::string>{"openSession"});
    EXPECT_EQ(canon.log.all(), std::vector<std::string>{"openSession"});
    EXPECT_EQ(sony.log.all(), std::vector<std::string>{"openSession"});
    EXPECT_TRUE(nikon.log.all().empty());
}

TEST_F(SessionOpenTest, UnknownModelIsNotSupportedAndNothingIsOpened) {
    becomes("Canon Inc.", "PowerShot G7");  // the test module knows only "EOS" models
    EXPECT_EQ(camStartSession(0), ERROR_CAMERA_NOT_SUPPORTED);
    EXPECT_TRUE(canon.log.all().empty());
    EXPECT_EQ(operationsSent(), std::vector<uint16_t>{0x1001});
}

TEST_F(SessionOpenTest, FailedDeviceInfoLeavesTheFailingCodeAsVendor) {
    sessionCamera->answerBusy(2);  // the DeviceInfo read and its one retry
    EXPECT_EQ(camStartSession(0), ERROR_DEVICE_INFO);
    EXPECT_EQ(camVendor(), ERROR_DEVICE_INFO);
    EXPECT_FALSE(camIsNikon());
    EXPECT_EQ(camModelIndex(), 0);
    // Every action now answers as without a vendor.
    EXPECT_EQ(camBulbStart(), ERROR_CAMERA_NOT_SUPPORTED);
    EXPECT_EQ(propSet(0x5001, 1, false), PTP_RC_PARAMETER_NOT_SUPPORTED);
    // Without a camera at all the same.
    device.setCamera(nullptr);
    EXPECT_EQ(camDetectVendor(), ERROR_DEVICE_INFO);
}

TEST_F(SessionOpenTest, ModelCheckWithAnyTableTriesCanonNikonSonyFujiInOrder) {
    becomes("Acme", "X-T3");  // only the Fujifilm double's table knows it
    ASSERT_EQ(camDetectVendor(), VENDOR_NIKON);
    camSetVendor(VENDOR_ANY_TABLE);
    EXPECT_TRUE(camCheckModel());
    EXPECT_EQ(camModelIndex(), 20);
    becomes("Acme", "Unknown 1");
    camDetectVendor();
    camSetVendor(VENDOR_ANY_TABLE);
    EXPECT_FALSE(camCheckModel());
    camSetVendor(11);
    EXPECT_FALSE(camCheckModel());
}

TEST_F(SessionOpenTest, HostModeShotsAndSettableTests) {
    camSetVendor(VENDOR_FUJI);
    EXPECT_EQ(camSetHostMode(0x101, 0), PTP_RC_OK);
    EXPECT_EQ(camSetHostMode(0x100, 0), PTP_RC_OK);  // only the low byte counts
    EXPECT_EQ(fuji.log.all(), (std::vector<std::string>{"priority on", "priority off"}));
    camSetVendor(VENDOR_CANON);
    EXPECT_EQ(camSetHostMode(1, 0), ERROR_CAMERA_NOT_SUPPORTED);

    camFillVendorPropertyCodes();
    EXPECT_EQ(camParseShotsAvailable(), 0);
    PropertyStruct* shots = propCreate(0xD11B);
    shots->value = 345;
    EXPECT_EQ(camParseShotsAvailable(), 345);
    camSetVendor(VENDOR_SONY);
    EXPECT_EQ(camParseShotsAvailable(), 0);

    // Settable tests: the table of programs 1-4 per vendor (aperture, shutter, exposure compensation).
    const struct {
        VendorType vendor;
        bool clientMode;
        const char* aperture;  // settable for programs 1, 2, 3, 4
        const char* shutter;
        const char* comp;
    } table[] = {
        {VENDOR_CANON, false, "0111", "1010", "1110"}, {VENDOR_SONY, false, "1010", "1001", "0000"},
        {VENDOR_NIKON, false, "1010", "1001", "1011"}, {VENDOR_FUJI, true, "1010", "1001", "0111"},
        {VENDOR_FUJI, false, "0000", "0000", "0000"},  {VENDOR_NONE, false, "0000", "0000", "0000"},
    };
    for (const auto& row : table) {
        camSetVendor(row.vendor);
        fuji.clientModeOn = row.clientMode;
        for (uint32_t p = 1; p <= 4; ++p) {
            SCOPED_TRACE(testing::Message() << row.vendor << " program " << p);
            EXPECT_EQ(camApertureSettable(p), row.aperture[p - 1] == '1');
            EXPECT_EQ(camShutterSettable(p), row.shutter[p - 1] == '1');
            EXPECT_EQ(camExposureCompSettable(p), row.comp[p - 1] == '1');
        }
    }
}

}  // namespace
