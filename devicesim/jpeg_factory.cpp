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

// Big-endian TIFF writer for the EXIF block ("MM").
struct Tiff {
    std::vector<uint8_t> b;
    void u16(uint16_t v) {
        b.push_back(uint8_t(v >> 8));
        b.push_back(uint8_t(v));
    }
    void u32(uint32_t v) {
        for (int i = 3; i >= 0; --i) b.push_back(uint8_t(v >> (8 * i)));
    }
    void set32(size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * (3 - i)));
    }
};

struct Entry {
    uint16_t tag;
    uint16_t type;  // 2 ASCII, 3 SHORT, 4 LONG, 5 RATIONAL
    uint32_t count;
    std::vector<uint8_t> data;  // big-endian value bytes
};

Entry ascii(uint16_t tag, const std::string& s) {
    Entry e{tag, 2, uint32_t(s.size() + 1), std::vector<uint8_t>(s.begin(), s.end())};
    e.data.push_back(0);
    return e;
}
Entry shortValue(uint16_t tag, uint16_t v) { return Entry{tag, 3, 1, {uint8_t(v >> 8), uint8_t(v), 0, 0}}; }
Entry longValue(uint16_t tag, uint32_t v) {
    return Entry{tag, 4, 1, {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)}};
}
Entry rational(uint16_t tag, uint32_t num, uint32_t den) {
    Entry e{tag, 5, 1, {}};
    for (uint32_t v : {num, den})
        for (int i = 3; i >= 0; --i) e.data.push_back(uint8_t(v >> (8 * i)));
    return e;
}

// Writes one IFD at the end of t (entries sorted by tag); values over 4 bytes follow it. Returns the offset of its
// next-IFD field, and the offsets of each entry's value field in *valueAt.
size_t writeIfd(Tiff& t, std::vector<Entry> entries, std::vector<size_t>* valueAt) {
    const size_t start = t.b.size();
    t.u16(uint16_t(entries.size()));
    size_t extra = start + 2 + 12 * entries.size() + 4;
    std::vector<uint8_t> tail;
    valueAt->clear();
    for (const Entry& e : entries) {
        t.u16(e.tag);
        t.u16(e.type);
        t.u32(e.count);
        valueAt->push_back(t.b.size());
        if (e.data.size() <= 4) {
            std::vector<uint8_t> v = e.data;
            v.resize(4, 0);
            t.b.insert(t.b.end(), v.begin(), v.end());
        } else {
            t.u32(uint32_t(extra + tail.size()));
            tail.insert(tail.end(), e.data.begin(), e.data.end());
            if (tail.size() % 2) tail.push_back(0);
        }
    }
    const size_t next = t.b.size();
    t.u32(0);
    t.b.insert(t.b.end(), tail.begin(), tail.end());
    return next;
}

std::vector<uint8_t> exifSegment(const JpegRecipe& recipe, const std::vector<uint8_t>& thumbnail) {
    Tiff t;
    t.b = {'M', 'M', 0, 42, 0, 0, 0, 8};
    std::vector<size_t> at0, atExif, at1;
    std::vector<Entry> ifd0 = {ascii(0x010F, recipe.make), ascii(0x0110, recipe.model),
                               shortValue(0x0112, recipe.orientation), ascii(0x0132, recipe.dateTime),
                               longValue(0x8769, 0)};
    size_t next0 = writeIfd(t, ifd0, &at0);
    t.set32(at0[4], uint32_t(t.b.size()));  // Exif IFD pointer
    std::vector<Entry> exif = {ascii(0x9003, recipe.dateTime), ascii(0x9004, recipe.dateTime),
                               rational(0x920A, recipe.focalLengthMm, 1),
                               longValue(0xA002, uint32_t(recipe.width)), longValue(0xA003, uint32_t(recipe.height))};
    writeIfd(t, exif, &atExif);
    t.set32(next0, uint32_t(t.b.size()));  // IFD1: the thumbnail
    std::vector<Entry> ifd1 = {shortValue(0x0103, 6), longValue(0x0201, 0), longValue(0x0202, uint32_t(thumbnail.size()))};
    writeIfd(t, ifd1, &at1);
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

std::shared_ptr<const GeneratedJpeg> jpegImage(const JpegRecipe& recipe) {
    using Key = std::tuple<uint32_t, int, int, uint8_t, std::string, std::string, std::string, uint32_t, uint32_t>;
    static std::mutex mutex;
    static std::map<Key, std::shared_ptr<const GeneratedJpeg>> cache;
    Key key{recipe.size, recipe.width, recipe.height, recipe.orientation, recipe.make, recipe.model, recipe.dateTime,
            recipe.focalLengthMm, recipe.seed};
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    auto image = std::make_shared<const GeneratedJpeg>(generate(recipe));
    cache.emplace(key, image);
    return image;
}

}  // namespace devicesim
