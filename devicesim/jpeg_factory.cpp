#include "devicesim/jpeg_factory.h"

#include <QBuffer>
#include <QColor>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

#include "devicesim/wire.h"

namespace devicesim {
namespace {

std::vector<uint8_t> encode(const QImage& image, int quality) {
    QByteArray out;
    QBuffer buffer(&out);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", quality);
    return std::vector<uint8_t>(out.begin(), out.end());
}

QImage picture(const JpegRecipe& recipe) {
    QImage image(recipe.width, recipe.height, QImage::Format_RGB32);
    uint32_t state = recipe.seed * 2654435761u + 1;
    for (int y = 0; y < recipe.height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < recipe.width; ++x) {
            state = state * 1664525u + 1013904223u;
            int noise = static_cast<int>(state >> 28);  // some texture, so the picture does not compress to nothing
            line[x] = qRgb((x * 255 / recipe.width + noise) & 0xFF, (y * 255 / recipe.height + noise) & 0xFF,
                           (recipe.seed * 40 + noise * 3) & 0xFF);
        }
    }
    // A few shapes, so that each picture is recognisable (no text: fonts need a running application).
    QPainter painter(&image);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor::fromHsv(int(recipe.seed * 47 % 360), 200, 230));
    painter.drawEllipse(QRect(recipe.width / 4, recipe.height / 4, recipe.width / 2, recipe.height / 2));
    painter.setBrush(Qt::white);
    painter.drawRect(QRect(recipe.width / 10, recipe.height / 10, recipe.width / 8, recipe.height / 8));
    return image;
}

// A box-filtered reduction to fit in w x h (Qt's smooth scaling runs on a thread pool of its own, which the thread
// sanitizer cannot see into; this stays on the calling thread).
QImage reduced(const QImage& image, int w, int h) {
    const double factor = std::max(double(image.width()) / w, double(image.height()) / h);
    const int tw = std::max(1, int(image.width() / factor)), th = std::max(1, int(image.height() / factor));
    QImage out(tw, th, QImage::Format_RGB32);
    for (int y = 0; y < th; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        const int y0 = int(y * factor), y1 = std::max(y0 + 1, int((y + 1) * factor));
        for (int x = 0; x < tw; ++x) {
            const int x0 = int(x * factor), x1 = std::max(x0 + 1, int((x + 1) * factor));
            long r = 0, g = 0, b = 0, n = 0;
            for (int yy = y0; yy < y1 && yy < image.height(); ++yy) {
                const auto* src = reinterpret_cast<const QRgb*>(image.constScanLine(yy));
                for (int xx = x0; xx < x1 && xx < image.width(); ++xx, ++n) {
                    r += qRed(src[xx]);
                    g += qGreen(src[xx]);
                    b += qBlue(src[xx]);
                }
            }
            line[x] = n ? qRgb(int(r / n), int(g / n), int(b / n)) : 0;
        }
    }
    return out;
}

std::vector<uint8_t> exifSegment(const JpegRecipe& recipe, const std::vector<uint8_t>& thumbnail) {
    TiffWriter t(recipe.littleEndian);
    t.header();
    std::vector<size_t> at0, atExif, at1;
    std::vector<TiffEntry> ifd0 = {t.ascii(0x010F, recipe.make), t.ascii(0x0110, recipe.model),
                                   t.shortValue(0x0112, recipe.orientation), t.ascii(0x0132, recipe.dateTime),
                                   t.longValue(0x8769, 0)};
    size_t next0 = t.writeIfd(ifd0, &at0);
    t.set32(at0[4], uint32_t(t.b.size()));  // Exif IFD pointer
    t.writeIfd(exifEntries(t, recipe, recipe.width, recipe.height), &atExif);
    t.set32(next0, uint32_t(t.b.size()));  // IFD1: the thumbnail
    std::vector<TiffEntry> ifd1 = {t.shortValue(0x0103, 6), t.longValue(0x0201, 0),
                                   t.longValue(0x0202, uint32_t(thumbnail.size()))};
    t.writeIfd(ifd1, &at1);
    t.set32(at1[1], uint32_t(t.b.size()));
    t.b.insert(t.b.end(), thumbnail.begin(), thumbnail.end());

    std::vector<uint8_t> seg;
    seg.reserve(10 + t.b.size());
    seg = {0xFF, 0xE1, 0, 0, 'E', 'x', 'i', 'f', 0, 0};
    seg.insert(seg.end(), t.b.begin(), t.b.end());
    const size_t length = seg.size() - 2;
    seg[2] = uint8_t(length >> 8);
    seg[3] = uint8_t(length);
    return seg;
}

// Application segments (APP15) of filler that add exactly n bytes (n == 0 or n >= 4).
std::vector<uint8_t> filler(size_t n, uint32_t seed) {
    std::vector<uint8_t> out;
    out.reserve(n);
    uint32_t state = seed | 1;
    while (n > 0) {
        size_t seg = n > 65537 ? 65537 : n;  // marker (2) + length field covering up to 65535
        if (n - seg != 0 && n - seg < 4) seg -= 4;  // leave room for one more whole segment
        const size_t length = seg - 2;
        out.push_back(0xFF);
        out.push_back(0xEF);
        out.push_back(uint8_t(length >> 8));
        out.push_back(uint8_t(length));
        for (size_t i = 4; i < seg; ++i) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            out.push_back(uint8_t(state));
        }
        n -= seg;
    }
    return out;
}

GeneratedJpeg generate(JpegRecipe recipe) {
    for (;;) {
        GeneratedJpeg g;
        QImage image = picture(recipe);
        QImage thumb = reduced(image, 160, 120);
        g.thumbnail = encode(thumb, 80);
        g.thumbWidth = thumb.width();
        g.thumbHeight = thumb.height();
        g.width = recipe.width;
        g.height = recipe.height;
        std::vector<uint8_t> main = encode(image, 90);  // FF D8, then Qt's segments
        std::vector<uint8_t> app1 = exifSegment(recipe, g.thumbnail);
        // SOI, EXIF, the rest of the encoded file after its SOI (and its JFIF APP0, which EXIF files go without).
        size_t rest = 2;
        if (main.size() > 6 && main[2] == 0xFF && main[3] == 0xE0) rest = 4 + ((size_t(main[4]) << 8) | main[5]);
        const size_t natural = 2 + app1.size() + (main.size() - rest);
        if (natural + 4 > recipe.size && recipe.width > 64) {  // too big for the size asked: a smaller picture
            recipe.width = recipe.width * 7 / 10;
            recipe.height = recipe.height * 7 / 10;
            continue;
        }
        size_t pad = recipe.size > natural ? recipe.size - natural : 0;
        if (pad > 0 && pad < 4) pad = 0;  // only a tiny size asked for cannot be met exactly
        std::vector<uint8_t> fill = filler(pad, recipe.seed);
        g.bytes.reserve(natural + fill.size());
        g.bytes.insert(g.bytes.end(), main.begin(), main.begin() + 2);
        g.bytes.insert(g.bytes.end(), app1.begin(), app1.end());
        g.bytes.insert(g.bytes.end(), fill.begin(), fill.end());
        g.bytes.insert(g.bytes.end(), main.begin() + long(rest), main.end());
        return g;
    }
}

}  // namespace

std::vector<TiffEntry> exifEntries(const TiffWriter& t, const JpegRecipe& recipe, int width, int height) {
    std::vector<TiffEntry> exif;
    const JpegRecipe::Shooting* s = recipe.shooting ? &*recipe.shooting : nullptr;
    if (s) {
        exif.push_back(t.rational(0x829A, s->exposureNum, s->exposureDen));
        exif.push_back(t.rational(0x829D, s->fNumberNum, s->fNumberDen));
        exif.push_back(t.shortValue(0x8827, s->iso));
        exif.push_back(t.version(0x9000, "0231"));
    }
    exif.push_back(t.ascii(0x9003, recipe.dateTime));
    exif.push_back(t.ascii(0x9004, recipe.dateTime));
    if (s) {
        exif.push_back(t.signedRational(0x9204, s->biasNum, s->biasDen));
        exif.push_back(t.shortValue(0x9207, s->meteringMode));
        exif.push_back(t.shortValue(0x9208, s->lightSource));
    }
    exif.push_back(t.rational(0x920A, recipe.focalLengthMm, 1));
    exif.push_back(t.longValue(0xA002, uint32_t(width)));
    exif.push_back(t.longValue(0xA003, uint32_t(height)));
    if (s) exif.push_back(t.shortValue(0xA403, s->whiteBalance));
    return exif;
}

JpegRecipe vendorJpegRecipe(Vendor vendor) {
    JpegRecipe r;
    r.shooting = JpegRecipe::Shooting{};
    switch (vendor) {
    case Vendor::Canon:
        r.make = "Canon";
        r.model = "Canon EOS Sim";
        r.littleEndian = true;
        break;
    case Vendor::Nikon:
        r.make = "NIKON CORPORATION";
        r.model = "NIKON Z Sim";
        break;
    case Vendor::Sony:
        r.make = "SONY";
        r.model = "ILCE-Sim";
        r.littleEndian = true;
        break;
    case Vendor::Fuji:
        r.make = "FUJIFILM";
        r.model = "X-Sim";
        break;
    }
    return r;
}

std::shared_ptr<const GeneratedJpeg> jpegImage(const JpegRecipe& recipe) {
    using Key = std::tuple<uint32_t, int, int, uint8_t, std::string, std::string, std::string, uint32_t, uint32_t,
                           bool, std::vector<int64_t>>;
    static std::mutex mutex;
    static std::map<Key, std::shared_ptr<const GeneratedJpeg>> cache;
    Key key{recipe.size, recipe.width, recipe.height, recipe.orientation, recipe.make, recipe.model, recipe.dateTime,
            recipe.focalLengthMm, recipe.seed, recipe.littleEndian, {}};
    if (const auto& s = recipe.shooting)
        std::get<10>(key) = {s->exposureNum, s->exposureDen, s->fNumberNum, s->fNumberDen, s->iso, s->biasNum,
                             s->biasDen, s->meteringMode, s->whiteBalance, s->lightSource};
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    auto image = std::make_shared<const GeneratedJpeg>(generate(recipe));
    cache.emplace(key, image);
    return image;
}

}  // namespace devicesim
