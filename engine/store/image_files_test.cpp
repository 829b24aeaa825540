#include "engine/store/image_files.h"

#include "engine/store/store_test_fixture.h"

namespace {

struct Entry {
    uint16_t tag, type;
    uint32_t count, value;
};

// A TIFF structure `lead` bytes into the data: header, first IFD right after it, then `tail` (offsets in the
// entries are relative to the header, as in the file).
std::vector<uint8_t> tiff(size_t lead, bool little, const std::vector<Entry>& entries, const std::string& tail = "") {
    std::vector<uint8_t> d(lead, 0x55);
    auto put16 = [&](uint16_t v) {
        if (little) d.insert(d.end(), {uint8_t(v), uint8_t(v >> 8)});
        else d.insert(d.end(), {uint8_t(v >> 8), uint8_t(v)});
    };
    auto put32 = [&](uint32_t v) {
        if (little) d.insert(d.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), uint8_t(v >> 24)});
        else d.insert(d.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    };
    if (little) d.insert(d.end(), {'I', 'I', 0x2A, 0x00});
    else d.insert(d.end(), {'M', 'M', 0x00, 0x2A});
    put32(8);
    put16(static_cast<uint16_t>(entries.size()));
    for (const Entry& e : entries) {
        put16(e.tag);
        put16(e.type);
        put32(e.count);
        put32(e.value);
    }
    put32(0);
    d.insert(d.end(), tail.begin(), tail.end());
    d.resize(std::max<size_t>(d.size(), lead + 4000), 0);
    return d;
}

struct Found {
    bool ok;
    uint64_t offset, length;
};
Found find(const std::vector<uint8_t>& d, uint16_t format) {
    Found f{false, 7, 7};
    f.ok = rawFindPreview(d.data(), d.size(), &f.offset, &f.length, format);
    return f;
}

TEST(ImageFiles, NameTests) {
    struct Case {
        const char* name;
        bool raw, jpeg, movie;
        uint16_t format;
    } cases[] = {
        {"photo.JPEG", false, true, false, 0x3801}, {"IMG_1.jpg", false, true, false, 0x3801},
        {"clip.mov.jpg", false, true, true, 0x3801}, {"a.CR2.bak", false, false, false, 0xB103},
        {"a.cr2", true, false, false, 0xB103},      {"b.CR3", true, false, false, 0xB108},
        {"c.nef", true, false, false, 0x3000},      {"d.ARW", true, false, false, 0xB101},
        {"e.raf", true, false, false, 0xB111},      {"f.TIFF", false, false, false, 0x380D},
        {"g.MOV", false, false, true, 0x300D},      {"x.CR2.CR2", false, false, false, 0xB103},
        {"readme.txt", false, false, false, 0},     {"", false, false, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(fileIsRaw(c.name), c.raw);
        EXPECT_EQ(fileIsJpeg(c.name), c.jpeg);
        EXPECT_EQ(fileIsMovie(c.name), c.movie);
        EXPECT_EQ(fileFormatForName(c.name), c.format);
    }
    EXPECT_FALSE(fileIsRaw(nullptr));
    EXPECT_FALSE(fileIsJpeg(nullptr));
    EXPECT_EQ(fileFormatForName(nullptr), 0);
}

TEST(ImageFiles, FormatTests) {
    for (uint16_t f : {0xB101, 0xB103, 0xB108, 0x3000, 0x3800, 0xB111}) EXPECT_TRUE(formatIsRaw(f)) << f;
    EXPECT_FALSE(formatIsRaw(0x3801));
    EXPECT_TRUE(formatIsJpegOrTiff(0x3801));
    EXPECT_TRUE(formatIsJpegOrTiff(0x380D));
    EXPECT_FALSE(formatIsJpegOrTiff(0xB103));
    for (uint16_t f : {0xB104, 0xB105, 0x300D, 0xB982}) EXPECT_TRUE(formatIsMovie(f)) << f;
    EXPECT_FALSE(formatIsMovie(0x3801));
}

TEST(ImageFiles, ArwPairIsOffsetByTheHeaderPosition) {
    auto d = tiff(300, true, {{0x0100, 3, 1, 6000}, {0x0201, 4, 1, 1000}, {0x0202, 4, 1, 2000}});
    Found f = find(d, 0xB101);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.offset, 1300u);
    EXPECT_EQ(f.length, 2000u);
}

TEST(ImageFiles, NefTakesTheSecondPairOrTheThirdForTheNewBodies) {
    std::vector<Entry> pairs = {{0x0201, 4, 1, 100}, {0x0202, 4, 1, 10}, {0x0201, 4, 1, 200},
                                {0x0202, 4, 1, 20},  {0x0201, 4, 1, 300}, {0x0202, 4, 1, 30}};
    Found plain = find(tiff(0, true, pairs), 0x3000);
    ASSERT_TRUE(plain.ok);
    EXPECT_EQ(plain.offset, 200u);
    EXPECT_EQ(plain.length, 20u);

    // The model text lies after the IFD: header 8 + 2 + 7 entries x 12 + 4 = 98.
    std::vector<Entry> withModel = pairs;
    withModel.insert(withModel.begin(), {0x0110, 2, 10, 98});
    Found z8 = find(tiff(0, true, withModel, std::string("NIKON Z 8\0", 10)), 0x3000);
    ASSERT_TRUE(z8.ok);
    EXPECT_EQ(z8.offset, 300u);
    EXPECT_EQ(z8.length, 30u);

    // A model text outside the data is ignored.
    withModel[0].value = 0x7FFFFFF0;
    Found outside = find(tiff(0, true, withModel), 0x3000);
    ASSERT_TRUE(outside.ok);
    EXPECT_EQ(outside.offset, 200u);
}

TEST(ImageFiles, Cr2BigEndianAndFailures) {
    // Big-endian: the count's high half is the one compared.
    Found cr2 = find(tiff(16, false, {{0x0111, 4, 0x10000, 500}, {0x0117, 4, 0x10000, 700}}), 0xB103);
    ASSERT_TRUE(cr2.ok);
    EXPECT_EQ(cr2.offset, 516u);
    EXPECT_EQ(cr2.length, 700u);

    struct Case {
        const char* what;
        std::vector<uint8_t> data;
        uint16_t format;
    } cases[] = {
        {"4 bytes", {'I', 'I', 0x2A, 0}, 0xB103},
        {"no header", std::vector<uint8_t>(4000, 0), 0xB103},
        {"header past 499", tiff(500, true, {{0x0201, 4, 1, 10}, {0x0202, 4, 1, 10}}), 0xB101},
        {"preview past the end", tiff(0, true, {{0x0201, 4, 1, 3990}, {0x0202, 4, 1, 100}}), 0xB101},
        {"zero length", tiff(0, true, {{0x0201, 4, 1, 10}, {0x0202, 4, 1, 0}}), 0xB101},
        {"wrong type", tiff(0, true, {{0x0201, 3, 1, 10}, {0x0202, 3, 1, 10}}), 0xB101},
        {"not a TIFF raw", tiff(0, true, {{0x0201, 4, 1, 10}, {0x0202, 4, 1, 10}}), 0x3801},
        {"RAF without its module", tiff(0, true, {{0x0201, 4, 1, 10}, {0x0202, 4, 1, 10}}), 0xB111},
        {"header at the very end", {0, 0, 0, 'I', 'I', 0x2A, 0, 1}, 0xB101},
        {"IFD offset past the end", {'I', 'I', 0x2A, 0, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0}, 0xB101},
        {"entry count larger than the data", {'I', 'I', 0x2A, 0, 8, 0, 0, 0, 0xFF, 0xFF, 0, 0, 0, 0}, 0xB101},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Found f = find(c.data, c.format);
        EXPECT_FALSE(f.ok);
        EXPECT_EQ(f.offset, 0u);
        EXPECT_EQ(f.length, 0u);
    }
    uint64_t o = 0, n = 0;
    EXPECT_FALSE(rawFindPreview(nullptr, 10, &o, &n, 0xB103));
    EXPECT_FALSE(rawFindPreview(cases[0].data.data(), 4, nullptr, &n, 0xB103));
}

TEST(ImageFiles, RafGoesThroughTheInstalledLocator) {
    auto d = tiff(0, true, {});
    rawSetRafPreviewLocator([](const uint8_t*, size_t length, uint64_t* o, uint64_t* n) {
        *o = length - 10;
        *n = 20;  // runs past the end: refused whatever the locator says
        return true;
    });
    EXPECT_FALSE(find(d, 0xB111).ok);
    rawSetRafPreviewLocator([](const uint8_t*, size_t, uint64_t* o, uint64_t* n) {
        *o = 12;
        *n = 34;
        return true;
    });
    Found f = find(d, 0xB111);
    rawSetRafPreviewLocator(nullptr);
    ASSERT_TRUE(f.ok);
    EXPECT_EQ(f.offset, 12u);
    EXPECT_EQ(f.length, 34u);
}

TEST_F(StoreTest, ReadPreviewStoresTheExtractedJpeg) {
    objCacheOpen(cache, save);
    auto d = tiff(0, true, {{0x0201, 4, 1, 200}, {0x0202, 4, 1, 4}});
    std::memcpy(d.data() + 200, "\xFF\xD8\xFF\xD9", 4);
    std::string raw = save + "/DSC_0001.ARW";
    writeFile(raw, std::string(d.begin(), d.end()));
    PtpObjectInfoStruct r = record(1, "DSC_0001.ARW");  // format 0: taken from the name
    EXPECT_EQ(fileReadPreview(&r, raw), save + "//DSC_0001.ARW.ext.jpg");
    EXPECT_EQ(readFile(save + "/DSC_0001.ARW.ext.jpg"), "\xFF\xD8\xFF\xD9");
    HeapBlock data;
    EXPECT_TRUE(objCacheReadExtractedJpeg(&r, &data));

    PtpObjectInfoStruct jpeg = record(2, "IMG.JPG");
    EXPECT_EQ(fileReadPreview(&jpeg, raw), "");
    EXPECT_EQ(fileReadPreview(&r, save + "/missing.ARW"), "");
}

}  // namespace
