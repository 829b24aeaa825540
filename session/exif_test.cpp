// The EXIF reader on the simulated cameras' JPEG and raw files, on files written by Exiv2 in either byte order, on
// a JPEG followed by a raw head, on cut files and on garbage; the own TIFF reader; the panel's texts.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <exiv2/exiv2.hpp>

// This Exiv2 version hands images and streams over in std::auto_ptr, which clang reports as deprecated at every use.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

#include <cstring>
#include <random>

#include "devicesim/raw_factory.h"
#include "engine/ptp/vendor_state.h"
#include "engine/store/image_files.h"
#include "platform/imaging/image_property_keys.h"
#include "session/exif.h"
#include "session/exif_test_fixture.h"

namespace {

using devicesim::RawKind;
using devicesim::Vendor;
using exiftest::Shot;

constexpr uint32_t kHead = 256000;
constexpr uint32_t kNef = 0x3000, kJpeg = 0x3801, kArw = 0xB101, kCr2 = 0xB103, kCr3 = 0xB108, kRaf = 0xB111;

struct Texts {
    std::string shutter, aperture, iso, bias, focal, size;
    uint8_t make;
    uint16_t metering, whiteBalance;
    uint8_t orientation;
};

Texts textsOf(Exif& e) {
    return {e.shutterSpeedString(), e.apertureString(), e.isoString(), e.exposureCompensationString(),
            e.focalLengthString(), e.sizeString(), e.cameraMake(), e.meteringMode(), e.whiteBalance(), e.orientation()};
}

void expectTexts(const std::shared_ptr<Exif>& e, const Texts& want) {
    ASSERT_TRUE(e != nullptr);
    const Texts got = textsOf(*e);
    EXPECT_EQ(got.shutter, want.shutter);
    EXPECT_EQ(got.aperture, want.aperture);
    EXPECT_EQ(got.iso, want.iso);
    EXPECT_EQ(got.bias, want.bias);
    EXPECT_EQ(got.focal, want.focal);
    EXPECT_EQ(got.size, want.size);
    EXPECT_EQ(got.make, want.make);
    EXPECT_EQ(got.metering, want.metering);
    EXPECT_EQ(got.whiteBalance, want.whiteBalance);
    EXPECT_EQ(got.orientation, want.orientation);
}

std::shared_ptr<Exif> read(const std::vector<uint8_t>& bytes, uint32_t format) {
    return Exif::initWithData(bytes.data(), bytes.size(), format, kHead);
}

// A JPEG without any metadata, as Qt writes it.
std::vector<uint8_t> bareJpeg(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x * y) & 0xFF));
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return std::vector<uint8_t>(out.begin(), out.end());
}

class ExifReaderTest : public ::testing::Test {
protected:
    void SetUp() override { vendorStateReset(); }
    void TearDown() override { vendorStateReset(); }
};

// The simulated cameras' files carry 1/250 s, f/5.6, ISO 400, -2/3 EV, pattern metering (EXIF 5), auto white
// balance with an unknown light source, 50 mm and 1200 x 800 pixels. The expected texts and vendor values follow
// from those by the rules of the panel, not from the reader.
TEST_F(ExifReaderTest, ReadsEachVendorsJpegAndRawFromTheSimulatedCameras) {
    struct Case {
        const char* name;
        Vendor vendor;
        RawKind rawKind;  // also checked: the same metadata in this vendor's raw layout
        uint32_t rawFormat;
        uint8_t make;
        uint16_t metering, whiteBalance;
    };
    const Case cases[] = {
        {"Canon CR2", Vendor::Canon, RawKind::Cr2, kCr2, 13, 3, 0},
        {"Canon CR3", Vendor::Canon, RawKind::Cr3, kCr3, 13, 3, 0},
        {"Nikon NEF", Vendor::Nikon, RawKind::Nef, kNef, 15, 3, 2},
        {"Sony ARW", Vendor::Sony, RawKind::Arw, kArw, 14, 0x8001, 2},
        {"Fujifilm RAF", Vendor::Fuji, RawKind::Raf, kRaf, 0, 5, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Texts want{"1/250", "f5.6", "ISO400", "- 2/3", "50mm", "1.0MP", c.make, c.metering, c.whiteBalance, 1};
        devicesim::RawRecipe recipe = devicesim::vendorRawRecipe(c.vendor);
        recipe.kind = c.rawKind;
        {
            SCOPED_TRACE("JPEG");
            expectTexts(read(devicesim::jpegImage(recipe.preview)->bytes, kJpeg), want);
        }
        {
            SCOPED_TRACE("raw");
            const auto raw = devicesim::rawImage(recipe);
            expectTexts(read(raw->bytes, c.rawFormat), want);
        }
    }
}

// The raw files' previews lie where each vendor's locator looks for them (the quick-raw path depends on it).
TEST_F(ExifReaderTest, RawFilesCarryTheirPreviewWhereTheLocatorFindsIt) {
    for (auto [kind, format] : {std::pair{RawKind::Cr2, kCr2}, std::pair{RawKind::Nef, kNef}, std::pair{RawKind::Arw, kArw}}) {
        SCOPED_TRACE(format);
        devicesim::RawRecipe recipe = devicesim::vendorRawRecipe(Vendor::Canon);
        recipe.kind = kind;
        const auto raw = devicesim::rawImage(recipe);
        uint64_t offset = 0, length = 0;
        ASSERT_TRUE(rawFindPreview(raw->bytes.data(), raw->bytes.size(), &offset, &length, uint16_t(format)));
        EXPECT_EQ(offset, raw->previewOffset);
        const auto& preview = devicesim::jpegImage(recipe.preview)->bytes;
        ASSERT_EQ(length, preview.size());
        EXPECT_EQ(0, std::memcmp(raw->bytes.data() + offset, preview.data(), preview.size()));
    }
}

// Files whose metadata Exiv2 itself wrote, in big-endian and in little-endian order.
TEST_F(ExifReaderTest, ReadsFilesWrittenByExiv2InEitherByteOrder) {
    const std::vector<uint8_t> plain = bareJpeg(1000, 800);
    for (Exiv2::ByteOrder order : {Exiv2::bigEndian, Exiv2::littleEndian}) {
        const bool big = order == Exiv2::bigEndian;
        SCOPED_TRACE(big ? "MM" : "II");
        Exiv2::Image::AutoPtr image = Exiv2::ImageFactory::open(plain.data(), long(plain.size()));
        image->readMetadata();
        Exiv2::ExifData& d = image->exifData();
        d["Exif.Image.Make"] = "NIKON CORPORATION";
        d["Exif.Image.Orientation"] = uint16_t(8);
        d["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 60);
        d["Exif.Photo.FNumber"] = Exiv2::URational(28, 10);
        d["Exif.Photo.ISOSpeedRatings"] = uint16_t(800);
        d["Exif.Photo.ExposureBiasValue"] = Exiv2::Rational(1, 3);
        d["Exif.Photo.MeteringMode"] = uint16_t(3);
        d["Exif.Photo.LightSource"] = uint16_t(9);
        d["Exif.Photo.WhiteBalance"] = uint16_t(1);
        d["Exif.Photo.FocalLength"] = Exiv2::URational(85, 1);
        image->setByteOrder(order);
        image->writeMetadata();
        Exiv2::BasicIo& io = image->io();
        ASSERT_EQ(io.open(), 0);
        std::vector<uint8_t> file(size_t(io.size()));
        ASSERT_EQ(io.read(file.data(), long(file.size())), long(file.size()));
        io.close();
        const uint8_t* exifHeader = static_cast<const uint8_t*>(memmem(file.data(), file.size(), "Exif\0\0", 6));
        ASSERT_NE(exifHeader, nullptr);
        EXPECT_EQ(exifHeader[6], big ? 'M' : 'I');

        // No pixel size in the EXIF directory: the picture's own 1000 x 800.
        expectTexts(read(file, kJpeg), {"1/60", "f2.8", "ISO800", "+ 1/3", "85mm", "0.8MP", 15, 4, 4, 8});
        // The own reader knows only little-endian TIFF.
        const auto own = Exif::getManualMetaDataDictionary(file.data(), file.size());
        if (big) {
            EXPECT_FALSE(own.has_value());
        } else {
            ASSERT_TRUE(own.has_value());
            const platform::Value dict(*own);
            EXPECT_EQ(dict["{TIFF}"]["Make"].toString(), "NIKON CORPORATION");
            EXPECT_DOUBLE_EQ(dict["{Exif}"]["ExposureTime"].toDouble(), 1.0 / 60);
            EXPECT_EQ(dict["{Exif}"]["ISOSpeedRatings"], platform::Value(platform::ValueArray{800}));
        }
    }
}

// What a quick-raw download delivers: a JPEG (here without any EXIF) followed by the first 256000 bytes of the raw
// file. The data is read from its trailing head.
TEST_F(ExifReaderTest, ReadsAJpegFollowedByARawHeadFromTheHead) {
    const std::vector<uint8_t> jpeg = bareJpeg(640, 480);
    struct Case {
        const char* name;
        Vendor vendor;
        uint32_t format;
        uint8_t make;
    };
    const Case cases[] = {
        {"CR2 head, raw format: own reader over the whole data", Vendor::Canon, kCr2, 13},
        {"CR2 head, JPEG format: the trailing head", Vendor::Canon, kJpeg, 13},
        {"big-endian NEF head: the trailing head", Vendor::Nikon, kNef, 15},
        {"ARW head", Vendor::Sony, kArw, 14},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto raw = devicesim::rawImage(devicesim::vendorRawRecipe(c.vendor));
        std::vector<uint8_t> data = jpeg;
        data.insert(data.end(), raw->bytes.begin(), raw->bytes.begin() + kHead);
        const auto e = read(data, c.format);
        ASSERT_TRUE(e != nullptr);
        EXPECT_EQ(e->shutterSpeedString(), "1/250");
        EXPECT_EQ(e->isoString(), "ISO400");
        EXPECT_EQ(e->focalLength(), 50);
        EXPECT_EQ(e->cameraMake(), c.make);
    }
    // Without a head of the full length the JPEG alone has nothing to give.
    std::vector<uint8_t> shortData = jpeg;
    const auto raw = devicesim::rawImage(devicesim::vendorRawRecipe(Vendor::Nikon));
    shortData.insert(shortData.end(), raw->bytes.begin(), raw->bytes.begin() + 1000);
    for (uint32_t format : {kJpeg, kNef}) EXPECT_EQ(read(shortData, format), nullptr);
}

// Cut files: what survives the cut is read, what does not gives no reader; nothing is read past the end (the
// sanitizer builds run this too).
TEST_F(ExifReaderTest, CutFilesGiveWhatSurvivesTheCut) {
    const auto raw = devicesim::rawImage(devicesim::vendorRawRecipe(Vendor::Canon));
    const size_t previewAt = size_t(raw->previewOffset);
    struct Case {
        const char* name;
        size_t length;
        bool readable;
    };
    const Case cases[] = {
        {"header only", 16, false},
        {"inside IFD0", 100, false},
        {"after the EXIF directory", previewAt, true},
        {"inside the preview", previewAt + 3000, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // An exact copy, so that a read past its end is caught.
        std::vector<uint8_t> cut(raw->bytes.begin(), raw->bytes.begin() + long(c.length));
        const auto e = read(cut, kCr2);
        EXPECT_EQ(e != nullptr, c.readable);
        if (e) {
            EXPECT_EQ(e->shutterSpeedString(), "1/250");
            EXPECT_EQ(e->apertureString(), "f5.6");
        }
    }
    const auto& jpeg = devicesim::jpegImage(devicesim::vendorJpegRecipe(Vendor::Sony))->bytes;
    for (size_t length : {size_t(3), size_t(40), size_t(300), jpeg.size() / 2}) {
        SCOPED_TRACE(length);
        std::vector<uint8_t> cut(jpeg.begin(), jpeg.begin() + long(length));
        const auto e = read(cut, kJpeg);
        if (e) {
            EXPECT_EQ(e->isoString(), "ISO400");  // a cut after the EXIF block keeps it
        }
        if (length < 300) {
            EXPECT_EQ(e, nullptr);
        }
    }
}

TEST_F(ExifReaderTest, GarbageGivesNoReader) {
    std::mt19937 random(7);
    std::vector<uint8_t> noise(300000);
    for (auto& b : noise) b = uint8_t(random());
    std::vector<uint8_t> farDirectory = {0x49, 0x49, 0x2A, 0x00, 0xF0, 0xFF, 0xFF, 0xFF};
    farDirectory.resize(64, 0);
    // A directory claiming 65535 entries, and every entry pointing far outside the data.
    std::vector<uint8_t> manyEntries = {0x49, 0x49, 0x2A, 0x00, 8, 0, 0, 0, 0xFF, 0xFF};
    for (int i = 0; i < 8; ++i) manyEntries.insert(manyEntries.end(), {0x9A, 0x82, 5, 0, 1, 0, 0, 0, 0xF0, 0xFF, 0xFF, 0x7F});
    std::vector<uint8_t> jpegNoise = {0xFF, 0xD8, 0xFF, 0xE1, 0xFF, 0xFF, 'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 0x2A, 0};
    jpegNoise.insert(jpegNoise.end(), noise.begin(), noise.begin() + 5000);
    const std::pair<const char*, std::vector<uint8_t>> inputs[] = {
        {"three bytes", {0xFF, 0xD8, 0xFF}},
        {"zeros longer than a head", std::vector<uint8_t>(kHead + 10, 0)},
        {"noise longer than a head", noise},
        {"directory past the end", farDirectory},
        {"entries pointing outside", manyEntries},
        {"JPEG start with noise", jpegNoise},
    };
    for (const auto& [name, bytes] : inputs) {
        for (uint32_t format : {kJpeg, kCr2, kCr3, kNef, kArw, kRaf, 0u}) {
            SCOPED_TRACE(std::string(name) + " as " + std::to_string(format));
            EXPECT_EQ(read(bytes, format), nullptr);
            EXPECT_EQ(Exif::getFocalLength(bytes.data(), bytes.size(), format), 0u);
        }
    }
    EXPECT_EQ(Exif::initWithData(nullptr, 0, kJpeg, kHead), nullptr);
    // A head length of 0 must not make the trailing-head rule loop or underflow.
    EXPECT_EQ(Exif::initWithData(noise.data(), noise.size(), kJpeg, 0), nullptr);
}

TEST_F(ExifReaderTest, FocalLengthOfAnObject) {
    devicesim::JpegRecipe recipe = devicesim::vendorJpegRecipe(Vendor::Canon);
    recipe.focalLengthMm = 135;
    const auto& bytes = devicesim::jpegImage(recipe)->bytes;
    EXPECT_EQ(Exif::getFocalLength(bytes.data(), bytes.size(), kJpeg), 135u);
}

// --- the own TIFF reader ---

TEST_F(ExifReaderTest, OwnReaderLeavesOutWhatItCannotReadSafely) {
    devicesim::TiffWriter t(true);
    devicesim::TiffEntry outside{0x829D, 5, 1, t.bytes32(0x7FFFFFF0)};  // FNumber whose value lies far outside
    devicesim::TiffEntry longText = t.ascii(0xA434, std::string(40, 'L'));
    std::vector<uint8_t> block = exiftest::tiffBlock({t.rational(0x829A, 1, 0), outside, t.signedRational(0x9204, 1, 0),
                                                      t.rational(0x920A, 0, 0), t.ascii(0x9003, "AB"), longText});
    // The long text is the last value (40 letters, its NUL and a pad byte): cut it to 21 letters, and the text
    // ends with the data.
    const size_t cut = block.size() - 21;
    const auto dict = Exif::exifDictionaryFromHeader(block.data(), cut, 0);
    ASSERT_TRUE(dict.has_value());
    EXPECT_EQ(dict->count("ExposureTime"), 0u) << "a zero denominator is no value";
    EXPECT_EQ(dict->count("ExposureBiasValue"), 0u);
    EXPECT_EQ(dict->count("FocalLength"), 0u);
    EXPECT_EQ(dict->count("FNumber"), 0u) << "a value outside the data is skipped";
    EXPECT_EQ(dict->at("DateTimeOriginal").toString(), "AB");
    ASSERT_EQ(dict->count("LensModel"), 1u);
    EXPECT_EQ(dict->at("LensModel").toString(), std::string(21, 'L'));

    // Windows and directories that cannot hold a directory.
    EXPECT_FALSE(Exif::tiffDictionaryFromHeader(block.data(), 19).has_value());
    EXPECT_FALSE(Exif::exifDictionaryFromHeader(block.data(), 19, 0).has_value());
    std::vector<uint8_t> far = block;
    far[4] = 0xF0, far[5] = 0xFF;
    EXPECT_FALSE(Exif::tiffDictionaryFromHeader(far.data(), far.size()).has_value());
    std::vector<uint8_t> notTiff = block;
    notTiff[0] = 'M';
    EXPECT_FALSE(Exif::tiffDictionaryFromHeader(notTiff.data(), notTiff.size()).has_value());
    std::vector<uint8_t> empty = exiftest::tiffBlock({});
    empty.resize(40, 0);
    const auto none = Exif::tiffDictionaryFromHeader(empty.data(), empty.size());
    ASSERT_TRUE(none.has_value());
    EXPECT_TRUE(none->empty());
}

// CR3 objects are read by the own reader at once; on some bodies the EXIF directory is behind the third header.
TEST_F(ExifReaderTest, CameraModelDecidesWhichHeaderHoldsTheExifDirectory) {
    Shot second, third;
    second.iso = 100;
    third.iso = 3200;
    std::vector<uint8_t> data = exiftest::twoHeaders(second);
    const std::vector<uint8_t> more = exiftest::twoHeaders(third);
    data.insert(data.end(), more.begin() + 40, more.end());  // a third header: the second fixture's EXIF block
    // The first header's IFD0 has no EXIF pointer, so the scan goes on.
    for (auto [model, iso] : {std::pair{uint8_t(245), "ISO3200"}, std::pair{uint8_t(251), "ISO3200"},
                              std::pair{uint8_t(244), "ISO100"}, std::pair{uint8_t(0), "ISO100"}}) {
        SCOPED_TRACE(int(model));
        camSetModelIndex(model);
        const auto e = read(data, kCr3);
        ASSERT_TRUE(e != nullptr);
        EXPECT_EQ(e->isoString(), iso);
    }
}

// --- texts and vendor values ---

std::shared_ptr<Exif> shot(const Shot& s) { return read(exiftest::twoHeaders(s), kCr3); }

TEST_F(ExifReaderTest, ShutterTexts) {
    struct Case {
        const char* make;
        uint32_t num, den;
        const char* text;
    };
    const Case cases[] = {
        {"Canon", 1, 250, "1/250"},  {"Canon", 5, 2, "2\"5"},     {"Canon", 2, 5, "0\"4"},
        {"Canon", 1, 4, "1/4"},      {"NIKON", 2, 5, "0\"4"},     {"NIKON", 1, 4, "1/4"},
        {"SONY", 1, 2, "1/2"},       {"SONY", 30, 1, "30\"0"},    {"FUJIFILM", 10, 30, "1/3"},
        {"Canon", 0, 1, ""},         {"Canon", 1, 0, ""},  // no time, or a zero denominator: no text
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.make) + " " + std::to_string(c.num) + "/" + std::to_string(c.den));
        Shot s;
        s.make = c.make;
        s.exposureNum = c.num;
        s.exposureDen = c.den;
        const auto e = shot(s);
        ASSERT_TRUE(e != nullptr);
        EXPECT_EQ(e->shutterSpeedString(), c.text);
    }
}

TEST_F(ExifReaderTest, CompensationIsoSizeApertureAndFocalTexts) {
    const std::pair<std::pair<int32_t, int32_t>, const char*> biases[] = {
        {{-4, 3}, "-1 1/3"}, {{7, 10}, "+ 2/3"}, {{2, 1}, "+2"}, {{0, 1}, ""}, {{-1, 2}, "- 1/2"}, {{5, 0}, ""}};
    for (const auto& [fraction, text] : biases) {
        SCOPED_TRACE(text);
        Shot s;
        s.biasNum = fraction.first;
        s.biasDen = fraction.second;
        EXPECT_EQ(shot(s)->exposureCompensationString(), text);
    }
    Shot s;
    s.iso = 0;
    s.fNumberNum = 71;
    s.fNumberDen = 10;
    s.focalNum = 701;
    s.focalDen = 10;
    auto e = shot(s);
    EXPECT_EQ(e->isoString(), "ISO *");
    EXPECT_EQ(e->apertureString(), "f7.1");
    EXPECT_EQ(e->focalLengthString(), "70mm");
    EXPECT_EQ(e->sizeString(), "24.0MP");
    // A new size drops the kept text; sizes that do not fit 16 bits are no size.
    e->setSize(3000, 2000);
    EXPECT_EQ(e->sizeString(), "6.0MP");
    e->setSize(70000, 2000);
    EXPECT_EQ(e->xDimension(), 0);
    EXPECT_EQ(e->sizeString(), "");
    // Focal lengths that are no number or do not fit are 0, never a wrapped value.
    for (auto [num, den] : {std::pair{1u, 0u}, std::pair{0xFFFFFFFFu, 1u}}) {
        Shot f;
        f.focalNum = num;
        f.focalDen = den;
        EXPECT_EQ(shot(f)->focalLength(), 0);
    }
}

TEST_F(ExifReaderTest, MeteringAndWhiteBalanceBecomeTheVendorsValues) {
    struct Case {
        const char* make;
        uint16_t metering, whiteBalance, lightSource;
        uint16_t wantMetering, wantWhiteBalance;
    };
    const Case cases[] = {
        {"Canon", 2, 1, 0, 5, 1},          {"Canon", 3, 0, 0, 1, 0},         {"Canon", 6, 0, 0, 4, 0},
        {"Canon", 4, 0, 0, 4, 0},          {"NIKON CORPORATION", 3, 0, 0, 4, 2},
        {"NIKON", 255, 1, 0, 0x8010, 0x8012}, {"Nikon", 5, 0, 9, 3, 4},    {"NIKON", 1, 0, 14, 1, 5},
        {"NIKON", 1, 0, 21, 1, 2},         {"SONY", 1, 0, 255, 0x8003, 0x8020}, {"Sony", 2, 1, 0, 0x8002, 0x8012},
        {"SONY", 255, 0, 12, 0x8006, 0x8004}, {"SONY", 6, 7, 0, 6, 7},     {"SONY", 3, 3, 2, 4, 3},
        {"Leica", 2, 1, 9, 2, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.make) + " metering " + std::to_string(c.metering) + " light " + std::to_string(c.lightSource));
        Shot s;
        s.make = c.make;
        s.metering = c.metering;
        s.whiteBalance = c.whiteBalance;
        s.lightSource = c.lightSource;
        const auto e = shot(s);
        ASSERT_TRUE(e != nullptr);
        EXPECT_EQ(e->meteringMode(), c.wantMetering);
        EXPECT_EQ(e->whiteBalance(), c.wantWhiteBalance);
        EXPECT_EQ(e->rawMeteringMode(), c.metering);
        EXPECT_EQ(e->rawWhiteBalance(), c.whiteBalance);
    }
}

// Canon keeps its own white-balance value 15 bytes after a marker found from byte 512 on.
TEST_F(ExifReaderTest, CanonWhiteBalanceComesFromTheMakersMarker) {
    const std::vector<uint8_t> base = exiftest::twoHeaders(Shot{});
    struct Case {
        const char* name;
        size_t at;       // where the marker goes (0: none)
        size_t length;   // total length of the data
        uint16_t want;
    };
    const Case cases[] = {
        {"marker found", 700, 1000, 9},
        {"marker before byte 512 is not looked at", 400, 1000, 0},
        {"marker past the searched range", 512 + 1536 + 10, 3000, 0},
        {"value byte past the end", 990, 1004, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> data = base;
        ASSERT_LT(data.size(), 400u);
        data.resize(c.length, 0x11);
        if (c.at + 5 <= data.size()) {
            const uint8_t marker[5] = {0x00, 0x44, 0x00, 0x00, 0x00};
            std::memcpy(&data[c.at], marker, 5);
            if (c.at + 15 < data.size()) data[c.at + 15] = 9;
        }
        const auto e = read(data, kCr3);
        ASSERT_TRUE(e != nullptr);
        EXPECT_EQ(e->whiteBalance(), c.want);
    }
}

}  // namespace
