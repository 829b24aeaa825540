#include "engine/ptp/datasets.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "engine/ptp/vendor_state.h"

namespace {

// Writes PTP datasets the way a camera does, for the parsers to read back.
struct Bytes {
    std::vector<uint8_t> b;
    Bytes& u8(uint8_t v) { b.push_back(v); return *this; }
    Bytes& u16(uint16_t v) { b.push_back(v & 0xFF); b.push_back(v >> 8); return *this; }
    Bytes& u32(uint32_t v) { for (int i = 0; i < 4; ++i) b.push_back((v >> (8 * i)) & 0xFF); return *this; }
    Bytes& str(const std::string& s) {
        if (s.empty()) return u8(0);
        u8(static_cast<uint8_t>(s.size() + 1));
        for (char c : s) u16(static_cast<uint8_t>(c));
        return u16(0);
    }
    Bytes& codes(const std::vector<uint16_t>& c) {
        u32(static_cast<uint32_t>(c.size()));
        for (uint16_t v : c) u16(v);
        return *this;
    }
};

Bytes deviceInfo(uint32_t operationCount = 3, const std::string& serial = "SN-0042") {
    Bytes d;
    d.u16(100).u32(6).u16(110).str("microsoft.com: 1.0").u16(0);
    std::vector<uint16_t> ops;
    for (uint32_t i = 0; i < operationCount; ++i) ops.push_back(static_cast<uint16_t>(0x1001 + i));
    d.codes(ops).codes({0x4002, 0x4006}).codes({0x5001}).codes({0x3801}).codes({0x3801, 0x3000});
    d.str("Acme").str("Model X").str("1.02").str(serial);
    return d;
}

TEST(PtpReadString, CountsTerminatorAndStaysInsideData) {
    char out[8];
    std::memset(out, 'x', sizeof out);
    Bytes s;
    s.str("abc");
    EXPECT_EQ(ptpReadString(s.b.data(), s.b.size(), out, sizeof out), 9u);
    EXPECT_STREQ(out, "abc");

    // Empty: one byte consumed, empty text.
    uint8_t empty[] = {0};
    EXPECT_EQ(ptpReadString(empty, 1, out, sizeof out), 1u);
    EXPECT_STREQ(out, "");

    // Does not fit: nothing consumed, target untouched.
    std::strcpy(out, "keep");
    EXPECT_EQ(ptpReadString(s.b.data(), s.b.size() - 1, out, sizeof out), 0u);
    EXPECT_STREQ(out, "keep");
    EXPECT_EQ(ptpReadString(s.b.data(), 0, out, sizeof out), 0u);

    // Longer than the target: cut and terminated.
    Bytes longer;
    longer.str("abcdefghijkl");
    EXPECT_EQ(ptpReadString(longer.b.data(), longer.b.size(), out, sizeof out), 27u);
    EXPECT_STREQ(out, "abcdefg");

    // A string without its terminator unit ends where its units end, not at an earlier text's end.
    std::strcpy(out, "zzzzzzz");
    uint8_t unterminated[] = {2, 'h', 0, 'i', 0};
    EXPECT_EQ(ptpReadString(unterminated, sizeof unterminated, out, sizeof out), 5u);
    EXPECT_STREQ(out, "hi");
}

TEST(PtpParseDateTime, Forms) {
    std::tm tm{};
    tm.tm_year = 2021 - 1900;
    tm.tm_mon = 2;
    tm.tm_mday = 14;
    tm.tm_hour = 15;
    tm.tm_min = 9;
    tm.tm_sec = 26;
    tm.tm_isdst = -1;
    const uint64_t expected = static_cast<uint64_t>(std::mktime(&tm));
    struct Case { const char* text; uint64_t want; } cases[] = {
        {"20210314T150926", expected},
        {"20210314T150926.0", expected},
        {"20210314T150926.0+0100", expected},
        {"2021031", 0},
        {"20210314T15092", 0},
        {"2021-3-14T150926", 0},
        {"20210314T150926.0000000000000000000000000", 0},  // 40 characters
        {"", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ptpParseDateTime(c.text), c.want) << c.text;
}

TEST(PtpParseDeviceInfo, ReadsEveryField) {
    DeviceInfoRecord r;
    Bytes d = deviceInfo();
    ASSERT_EQ(ptpParseDeviceInfo(&r, d.b.data(), d.b.size()), PTP_RC_OK);
    EXPECT_EQ(r.standardVersion, 100);
    EXPECT_EQ(r.vendorExtensionId, 6u);
    EXPECT_EQ(r.vendorExtensionVersion, 110);
    EXPECT_STREQ(r.vendorExtensionDesc, "microsoft.com: 1.0");
    EXPECT_EQ(r.operationsSupported.count, 3u);
    EXPECT_TRUE(r.operationsSupported.contains(0x1003));
    EXPECT_FALSE(r.operationsSupported.contains(0x1004));
    EXPECT_EQ(r.eventsSupported.count, 2u);
    EXPECT_EQ(r.imageFormats.codes[1], 0x3000);
    EXPECT_STREQ(r.manufacturer, "Acme");
    EXPECT_STREQ(r.model, "Model X");
    EXPECT_STREQ(r.deviceVersion, "1.02");
    EXPECT_STREQ(r.serialNumber, "SN-0042");
}

TEST(PtpParseDeviceInfo, BoundsAndFailures) {
    DeviceInfoRecord r;
    Bytes ok = deviceInfo(320);
    EXPECT_EQ(ptpParseDeviceInfo(&r, ok.b.data(), ok.b.size()), PTP_RC_OK);
    Bytes tooMany = deviceInfo(321);
    EXPECT_EQ(ptpParseDeviceInfo(&r, tooMany.b.data(), tooMany.b.size()), ERROR_PARSE);
    EXPECT_EQ(ptpParseDeviceInfo(nullptr, ok.b.data(), ok.b.size()), ERROR_INVALID_INPUT);
    EXPECT_EQ(ptpParseDeviceInfo(&r, nullptr, 10), ERROR_INVALID_INPUT);

    // Every cut inside the fixed part and the lists fails; every cut in the trailing strings still parses.
    Bytes d = deviceInfo();
    size_t stringsStart = d.b.size() - (1 + 2 * 5) - (1 + 2 * 8) - (1 + 2 * 5) - (1 + 2 * 8);
    for (size_t len = 1; len < d.b.size(); ++len) {
        std::vector<uint8_t> cut(d.b.begin(), d.b.begin() + static_cast<long>(len));  // exact-size heap block
        ResponseCode rc = ptpParseDeviceInfo(&r, cut.data(), cut.size());
        EXPECT_EQ(rc, len < stringsStart ? ERROR_PARSE : PTP_RC_OK) << len;
    }
    // A serial number cut short leaves the field empty; nothing of the previous camera survives.
    ASSERT_EQ(ptpParseDeviceInfo(&r, d.b.data(), d.b.size()), PTP_RC_OK);
    ASSERT_EQ(ptpParseDeviceInfo(&r, d.b.data(), d.b.size() - 3), PTP_RC_OK);
    EXPECT_STREQ(r.deviceVersion, "1.02");
    EXPECT_STREQ(r.serialNumber, "");
    // An operation count that runs past the data fails.
    Bytes lying;
    lying.u16(100).u32(6).u16(110).str("").u16(0).u32(200).u16(0x1001);
    EXPECT_EQ(ptpParseDeviceInfo(&r, lying.b.data(), lying.b.size()), ERROR_PARSE);
    EXPECT_EQ(r.operationsSupported.count, 0u);
}

Bytes objectInfo(bool canonForm, const std::string& name = "IMG_0001.JPG",
                 const std::string& captured = "20230102T030405", const std::string& modified = "20230102T030406",
                 const std::string& keywords = "trip") {
    Bytes d;
    d.u32(0x00010001).u16(0x3801).u16(0).u32(123456).u16(0x3808).u32(4321);
    if (canonForm) d.u32(0xDEADBEEF);
    d.u32(160).u32(120).u32(6000).u32(4000).u32(24).u32(0).u16(0x0601).u32(0).u32(7);
    d.str(name).str(captured).str(modified).str(keywords);
    return d;
}

TEST(PtpParseObjectInfo, StandardAndCanonFormsAgree) {
    for (bool canon : {false, true}) {
        PtpObjectInfoStruct r;
        std::memset(&r, 0xAB, sizeof r);
        Bytes d = objectInfo(canon);
        ASSERT_TRUE(ptpParseObjectInfo(&r, d.b.data(), d.b.size(), canon ? 0x9170 : 0x1008, VENDOR_NIKON));
        EXPECT_EQ(r.objectId, 0x00010001u);
        EXPECT_EQ(r.objectFormat, 0x3801);
        EXPECT_EQ(r.objectCompressedSize, 123456u);
        EXPECT_EQ(r.thumbFormat, 0x3808);
        EXPECT_EQ(r.thumbCompressedSize, 4321u);
        EXPECT_EQ(r.thumbPixWidth, 160u);
        EXPECT_EQ(r.thumbPixHeight, 120u);
        EXPECT_EQ(r.imagePixWidth, 6000u);
        EXPECT_EQ(r.imagePixHeight, 4000u);
        EXPECT_EQ(r.imageBitDepth, 24u);
        EXPECT_EQ(r.associationType, 0x0601);
        EXPECT_EQ(r.sequenceNumber, 7u);
        EXPECT_STREQ(r.fileName, "IMG_0001.JPG");
        EXPECT_EQ(r.fileNameLength, 13);
        EXPECT_EQ(r.captureDate, ptpParseDateTime("20230102T030405"));
        EXPECT_EQ(r.modificationDate, ptpParseDateTime("20230102T030406"));
        EXPECT_STREQ(r.keywords, "trip");
        EXPECT_EQ(r.orientation, 0);
        EXPECT_EQ(r.rating, 0u);
        EXPECT_EQ(r.fieldPad1, 0xABABABABu);  // not written
    }
}

TEST(PtpParseObjectInfo, VendorsStopEarly) {
    Bytes d = objectInfo(false);
    PtpObjectInfoStruct r;
    std::memset(&r, 0, sizeof r);
    r.rating = 9;
    std::strcpy(r.keywords, "old");
    ASSERT_TRUE(ptpParseObjectInfo(&r, d.b.data(), d.b.size(), 0x1008, VENDOR_SONY));
    EXPECT_EQ(r.captureDate, 0u);
    EXPECT_STREQ(r.keywords, "");
    EXPECT_EQ(r.rating, 9u);
    ASSERT_TRUE(ptpParseObjectInfo(&r, d.b.data(), d.b.size(), 0x1008, VENDOR_FUJI));
    EXPECT_EQ(r.captureDate, ptpParseDateTime("20230102T030405"));
    EXPECT_EQ(r.modificationDate, 0u);
    EXPECT_EQ(r.rating, 9u);
}

TEST(PtpParseObjectInfo, ShortDataNeverOverreads) {
    Bytes d = objectInfo(false, "", "", "", "");
    PtpObjectInfoStruct r{};
    EXPECT_TRUE(ptpParseObjectInfo(&r, d.b.data(), d.b.size(), 0x1008, VENDOR_NONE));
    EXPECT_STREQ(r.fileName, "");
    EXPECT_EQ(r.fileNameLength, 1);
    Bytes full = objectInfo(true);
    for (size_t len = 1; len <= full.b.size(); ++len) {
        std::vector<uint8_t> cut(full.b.begin(), full.b.begin() + static_cast<long>(len));
        bool ok = ptpParseObjectInfo(&r, cut.data(), cut.size(), 0x9170, VENDOR_NONE);
        EXPECT_EQ(ok, len >= 56) << len;
    }
    EXPECT_FALSE(ptpParseObjectInfo(nullptr, d.b.data(), d.b.size(), 0x1008, VENDOR_NONE));
    EXPECT_FALSE(ptpParseObjectInfo(&r, nullptr, 100, 0x1008, VENDOR_NONE));
    // A file name that does not fit is skipped: the field keeps its old content.
    std::strcpy(r.fileName, "before.jpg");
    Bytes cutName = objectInfo(false);
    cutName.b.resize(52 + 5);
    EXPECT_TRUE(ptpParseObjectInfo(&r, cutName.b.data(), cutName.b.size(), 0x1008, VENDOR_NONE));
    EXPECT_STREQ(r.fileName, "before.jpg");
    EXPECT_EQ(r.fileNameLength, 11);
}

TEST(PtpArrays, CountsBoundedByData) {
    struct Case { Bytes data; ResponseCode rc; size_t n; } cases[] = {
        {Bytes().u32(2).u32(10).u32(20), PTP_RC_OK, 2},
        {Bytes().u32(0), PTP_RC_OK, 0},
        {Bytes().u32(3).u32(10).u32(20), ERROR_PARSE, 0},
        {Bytes().u32(0xFFFFFFFF).u32(1), ERROR_PARSE, 0},
        {Bytes().u16(1), ERROR_PARSE, 0},
        {Bytes(), ERROR_PARSE, 0},
    };
    for (auto& c : cases) {
        std::vector<uint32_t> v{99};
        EXPECT_EQ(ptpParseUint32Array(c.data.b.data(), c.data.b.size(), 0, &v), c.rc);
        EXPECT_EQ(v.size(), c.n);
    }
    std::vector<uint32_t> ids;
    Bytes std1004 = Bytes().u32(2).u32(0x00010001).u32(0x00020001);
    ASSERT_EQ(ptpParseStorageIds(std1004.b.data(), std1004.b.size(), 0x1004, &ids), PTP_RC_OK);
    EXPECT_EQ(ids, (std::vector<uint32_t>{0x00010001, 0x00020001}));
    Bytes canon = Bytes().u32(3).u32(0).u32(0).u32(0).u32(0x11).u32(0x22);  // a third id is missing
    ASSERT_EQ(ptpParseStorageIds(canon.b.data(), canon.b.size(), 0x9101, &ids), PTP_RC_OK);
    EXPECT_EQ(ids, (std::vector<uint32_t>{0x11, 0x22}));
}

TEST(DeviceEventRecords, DecodesKindsAndIgnoresPartialTail) {
    std::vector<uint8_t> block(38 * 3 + 20, 0);
    uint8_t* a = block.data();
    writeLe16(a, 0x4FF1);
    writeLe32(a + 2, 0x5007);
    writeLe32(a + 6, 280);
    a[10] = 1;
    uint8_t* b = a + 38;
    writeLe16(b, 0x4FF0);
    writeLe32(b + 2, 5000000);
    std::memset(b + 6, 'A', 32);  // a 32-character name without terminator
    uint8_t* c = b + 38;
    writeLe16(c, 0x1234);
    auto records = ptpParseDeviceEventRecords(block.data(), block.size());
    ASSERT_EQ(records.size(), 3u);
    EXPECT_EQ(records[0].kind, kDeviceEventPropertyChanged);
    EXPECT_EQ(records[0].propertyCode, 0x5007u);
    EXPECT_EQ(records[0].value, 280u);
    EXPECT_EQ(records[0].enabled, 1);
    EXPECT_EQ(records[1].kind, kDeviceEventObjectAdded);
    EXPECT_EQ(records[1].objectSize, 5000000u);
    EXPECT_EQ(std::string(records[1].fileName), std::string(32, 'A'));
    EXPECT_EQ(records[2].kind, 0x1234);
    EXPECT_TRUE(ptpParseDeviceEventRecords(block.data(), 37).empty());
}

TEST(PtpObjectInfoForName, DescribesAFileByName) {
    PtpObjectInfoStruct r = ptpObjectInfoForName("DSC_0001.NEF", 13);
    EXPECT_EQ(r.objectId, kObjectIdByName);
    EXPECT_STREQ(r.fileName, "DSC_0001.NEF");
    EXPECT_EQ(r.fileNameLength, 13);
    EXPECT_EQ(r.objectCompressedSize, 0u);
    PtpObjectInfoStruct cut = ptpObjectInfoForName(std::string(300, 'x'), 256);
    EXPECT_EQ(std::strlen(cut.fileName), 255u);
}

}  // namespace
