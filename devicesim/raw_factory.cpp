#include "devicesim/raw_factory.h"

#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

namespace devicesim {
namespace {

// Sensor-like filler bytes up to the total size.
void fillTo(std::vector<uint8_t>& out, size_t total, uint32_t seed) {
    uint32_t state = seed * 2654435761u | 1;
    out.reserve(total);
    while (out.size() < total) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        out.push_back(uint8_t(state));
    }
}

void append(std::vector<uint8_t>& out, const std::vector<uint8_t>& v) { out.insert(out.end(), v.begin(), v.end()); }

void pad(std::vector<uint8_t>& out, size_t to) {
    if (out.size() < to) out.resize(to, 0);
}

std::vector<TiffEntry> ifd0Entries(const TiffWriter& t, const JpegRecipe& r) {
    return {t.ascii(0x010F, r.make), t.ascii(0x0110, r.model), t.shortValue(0x0112, r.orientation),
            t.ascii(0x0132, r.dateTime)};
}

// The end of a one-directory TIFF raw file: IFD0 (whose last entry points at the EXIF directory), the EXIF
// directory, then the preview, aligned, with its offset stored in IFD0's entry `previewEntry`.
GeneratedRaw withExifAndPreview(TiffWriter& t, const std::vector<TiffEntry>& ifd0, size_t previewEntry,
                                const JpegRecipe& r, const GeneratedJpeg& preview) {
    std::vector<size_t> at, atExif;
    t.writeIfd(ifd0, &at);
    t.set32(at.back(), uint32_t(t.b.size()));
    t.writeIfd(exifEntries(t, r, r.width, r.height), &atExif);
    pad(t.b, (t.b.size() + 15) / 16 * 16);
    GeneratedRaw g;
    g.previewOffset = t.b.size();
    g.previewLength = preview.bytes.size();
    t.set32(at[previewEntry], uint32_t(g.previewOffset));
    g.bytes = std::move(t.b);
    append(g.bytes, preview.bytes);
    return g;
}

// CR2: IFD0 holds the preview as its strip and points at the EXIF directory.
GeneratedRaw cr2(const RawRecipe& recipe, const GeneratedJpeg& preview) {
    const JpegRecipe& r = recipe.preview;
    TiffWriter t(true);
    t.header();
    t.set32(4, 16);
    t.b.insert(t.b.end(), {'C', 'R', 2, 0, 0, 0, 0, 0});  // the signature and the raw directory's offset (none)
    std::vector<TiffEntry> ifd0 = {t.shortValue(0x0100, uint16_t(preview.width)), t.shortValue(0x0101, uint16_t(preview.height)),
                                   t.shortValue(0x0103, 6)};
    for (TiffEntry& e : ifd0Entries(t, r)) ifd0.push_back(std::move(e));
    // sorted by tag: 0x100 0x101 0x103 0x10F 0x110 0x112 0x132, then the strip and EXIF pointers
    ifd0.insert(ifd0.begin() + 5, t.longValue(0x0111, 0));
    ifd0.insert(ifd0.begin() + 7, t.longValue(0x0117, uint32_t(preview.bytes.size())));
    ifd0.push_back(t.longValue(0x8769, 0));
    return withExifAndPreview(t, ifd0, 5, r, preview);
}

// NEF: IFD0 with two sub-directories (a small JPEG thumbnail, then the preview), each with JPEG offset and length.
GeneratedRaw nef(const RawRecipe& recipe, const GeneratedJpeg& preview) {
    const JpegRecipe& r = recipe.preview;
    TiffWriter t(false);
    t.header();
    std::vector<TiffEntry> ifd0 = {t.longValue(0x0100, uint32_t(preview.width)), t.longValue(0x0101, uint32_t(preview.height))};
    for (TiffEntry& e : ifd0Entries(t, r)) ifd0.push_back(std::move(e));
    ifd0.push_back(t.longValues(0x014A, {0, 0}));
    ifd0.push_back(t.longValue(0x8769, 0));
    std::vector<size_t> at, atA, atB, atExif;
    t.writeIfd(ifd0, &at);
    const size_t subA = t.b.size();
    t.writeIfd({t.shortValue(0x0103, 6), t.longValue(0x0201, 0), t.longValue(0x0202, uint32_t(preview.thumbnail.size()))}, &atA);
    const size_t subB = t.b.size();
    t.writeIfd({t.shortValue(0x0103, 6), t.longValue(0x0201, 0), t.longValue(0x0202, uint32_t(preview.bytes.size()))}, &atB);
    const size_t exifAt = t.b.size();
    t.writeIfd(exifEntries(t, r, r.width, r.height), &atExif);
    // The sub-directory list is a value stored after IFD0's entries.
    const uint32_t listAt = (t.b[at[6]] << 24) | (t.b[at[6] + 1] << 16) | (t.b[at[6] + 2] << 8) | t.b[at[6] + 3];
    t.set32(listAt, uint32_t(subA));
    t.set32(listAt + 4, uint32_t(subB));
    t.set32(at[7], uint32_t(exifAt));
    GeneratedRaw g;
    t.set32(atA[1], uint32_t(t.b.size()));
    append(t.b, preview.thumbnail);
    pad(t.b, (t.b.size() + 15) / 16 * 16);
    g.previewOffset = t.b.size();
    g.previewLength = preview.bytes.size();
    t.set32(atB[1], uint32_t(g.previewOffset));
    g.bytes = std::move(t.b);
    append(g.bytes, preview.bytes);
    return g;
}

// ARW: IFD0 carries the preview's JPEG offset and length.
GeneratedRaw arw(const RawRecipe& recipe, const GeneratedJpeg& preview) {
    const JpegRecipe& r = recipe.preview;
    TiffWriter t(true);
    t.header();
    std::vector<TiffEntry> ifd0 = {t.longValue(0x0100, uint32_t(preview.width)), t.longValue(0x0101, uint32_t(preview.height)),
                                   t.shortValue(0x0103, 6)};
    for (TiffEntry& e : ifd0Entries(t, r)) ifd0.push_back(std::move(e));
    ifd0.push_back(t.longValue(0x0201, 0));
    ifd0.push_back(t.longValue(0x0202, uint32_t(preview.bytes.size())));
    ifd0.push_back(t.longValue(0x8769, 0));
    return withExifAndPreview(t, ifd0, 7, r, preview);
}

// --- CR3: ISO media boxes (big-endian sizes) ---
void be32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 3; i >= 0; --i) out.push_back(uint8_t(v >> (8 * i)));
}
std::vector<uint8_t> box(const char* type, const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> out(8 + payload.size());
    const uint32_t size = uint32_t(out.size());
    for (size_t i = 0; i < 4; ++i) out[i] = uint8_t(size >> (8 * (3 - i)));
    std::memcpy(out.data() + 4, type, 4);
    if (!payload.empty()) std::memcpy(out.data() + 8, payload.data(), payload.size());
    return out;
}
std::vector<uint8_t> concat(std::initializer_list<std::vector<uint8_t>> parts) {
    std::vector<uint8_t> out;
    for (const auto& p : parts) append(out, p);
    return out;
}
std::vector<uint8_t> uuidBox(const uint8_t (&uuid)[16], const std::vector<uint8_t>& payload) {
    std::vector<uint8_t> p(uuid, uuid + 16);
    append(p, payload);
    return box("uuid", p);
}

GeneratedRaw cr3(const RawRecipe& recipe, const GeneratedJpeg& preview) {
    const JpegRecipe& r = recipe.preview;
    static constexpr uint8_t kCanonUuid[16] = {0x85, 0xc0, 0xb6, 0x87, 0x82, 0x0f, 0x11, 0xe0,
                                               0x81, 0x11, 0xf4, 0xce, 0x46, 0x2b, 0x6a, 0x48};
    TiffWriter t1(true);
    t1.header();
    std::vector<size_t> at;
    t1.writeIfd(ifd0Entries(t1, r), &at);
    TiffWriter t2(true);
    t2.header();
    t2.writeIfd(exifEntries(t2, r, r.width, r.height), &at);
    const std::string version = "CanonCR3_001/00.09.00/00.00.00";
    const std::vector<uint8_t> canon =
        uuidBox(kCanonUuid, concat({box("CNCV", std::vector<uint8_t>(version.begin(), version.end())),
                                    box("CMT1", t1.b), box("CMT2", t2.b)}));
    auto full = [](std::vector<uint8_t> payload) {  // version and flags in front
        payload.insert(payload.begin(), 4, 0);
        return payload;
    };
    // The JPEG sample entry: six reserved bytes and the data-reference index.
    std::vector<uint8_t> stsdPayload;
    be32(stsdPayload, 1);
    append(stsdPayload, box("JPEG", {0, 0, 0, 0, 0, 0, 0, 1}));
    std::vector<uint8_t> stszPayload, co64Payload;
    be32(stszPayload, 0);  // sizes listed
    be32(stszPayload, 1);
    be32(stszPayload, uint32_t(preview.bytes.size()));
    be32(co64Payload, 1);
    be32(co64Payload, 0);  // high half of the offset
    be32(co64Payload, 0);  // low half, set below
    auto buildMoov = [&](const std::vector<uint8_t>& co64) {
        const std::vector<uint8_t> stbl = box("stbl", concat({box("stsd", full(stsdPayload)), box("stsz", full(stszPayload)),
                                                              box("free", {}), box("co64", full(co64))}));
        return box("moov", concat({canon, box("trak", box("mdia", box("minf", stbl)))}));
    };
    const std::vector<uint8_t> ftyp = box("ftyp", {'c', 'r', 'x', ' ', 0, 0, 0, 1, 'c', 'r', 'x', ' ', 'i', 's', 'o', 'm'});
    std::vector<uint8_t> moov = buildMoov(co64Payload);
    GeneratedRaw g;
    g.previewOffset = ftyp.size() + moov.size() + 8;  // inside mdat, after its header
    g.previewLength = preview.bytes.size();
    co64Payload.resize(8);
    be32(co64Payload, uint32_t(g.previewOffset));
    moov = buildMoov(co64Payload);
    const uint32_t total = std::max<uint32_t>(recipe.size, uint32_t(g.previewOffset + g.previewLength));
    g.bytes = concat({ftyp, moov});
    be32(g.bytes, uint32_t(total - g.bytes.size()));  // mdat runs to the end of the file
    g.bytes.insert(g.bytes.end(), {'m', 'd', 'a', 't'});
    append(g.bytes, preview.bytes);
    return g;
}

// RAF: the header, the preview JPEG at the offset given at byte 84, and a small TIFF for the sensor header.
GeneratedRaw raf(const RawRecipe& recipe, const GeneratedJpeg& preview) {
    std::vector<uint8_t> out;
    const std::string magic = "FUJIFILMCCD-RAW 0201FF383501";
    out.insert(out.end(), magic.begin(), magic.end());
    std::string model = recipe.preview.model;
    model.resize(32, '\0');
    out.insert(out.end(), model.begin(), model.end());
    out.insert(out.end(), {'0', '1', '0', '0'});
    pad(out, 148);
    GeneratedRaw g;
    g.previewOffset = out.size();
    g.previewLength = preview.bytes.size();
    append(out, preview.bytes);
    pad(out, (out.size() + 15) / 16 * 16);
    const size_t sensorHeader = out.size();
    TiffWriter t(true);
    t.header();
    std::vector<size_t> at;
    t.writeIfd({t.shortValue(0x0100, uint16_t(recipe.preview.width)), t.shortValue(0x0101, uint16_t(recipe.preview.height))}, &at);
    append(out, t.b);
    auto put = [&out](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) out[at + size_t(i)] = uint8_t(v >> (8 * (3 - i)));
    };
    put(84, uint32_t(g.previewOffset));
    put(88, uint32_t(g.previewLength));
    put(100, uint32_t(sensorHeader));
    put(104, uint32_t(t.b.size()));
    g.bytes = std::move(out);
    return g;
}

GeneratedRaw generate(const RawRecipe& recipe) {
    const auto preview = jpegImage(recipe.preview);
    GeneratedRaw g;
    switch (recipe.kind) {
    case RawKind::Cr2: g = cr2(recipe, *preview); break;
    case RawKind::Nef: g = nef(recipe, *preview); break;
    case RawKind::Arw: g = arw(recipe, *preview); break;
    case RawKind::Cr3: g = cr3(recipe, *preview); break;
    case RawKind::Raf: g = raf(recipe, *preview); break;
    }
    fillTo(g.bytes, recipe.size, recipe.preview.seed);
    return g;
}

}  // namespace

RawRecipe vendorRawRecipe(Vendor vendor) {
    RawRecipe r;
    r.preview = vendorJpegRecipe(vendor);
    r.preview.size = 400 * 1024;
    r.size = 2 * 1024 * 1024;
    switch (vendor) {
    case Vendor::Canon: r.kind = RawKind::Cr2; break;
    case Vendor::Nikon: r.kind = RawKind::Nef; break;
    case Vendor::Sony: r.kind = RawKind::Arw; break;
    case Vendor::Fuji: r.kind = RawKind::Raf; break;
    }
    return r;
}

std::shared_ptr<const GeneratedRaw> rawImage(const RawRecipe& recipe) {
    static std::mutex mutex;
    static std::map<std::tuple<int, uint32_t, std::vector<uint8_t>>, std::shared_ptr<const GeneratedRaw>> cache;
    // The preview's own cache keys the JPEG; here the image's identity is its bytes' address plus kind and size.
    const auto preview = jpegImage(recipe.preview);
    std::vector<uint8_t> id(sizeof(void*) + recipe.preview.model.size());
    const void* p = preview.get();
    std::memcpy(id.data(), &p, sizeof p);
    std::memcpy(id.data() + sizeof p, recipe.preview.model.data(), recipe.preview.model.size());
    const auto key = std::make_tuple(int(recipe.kind), recipe.size, id);
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    auto raw = std::make_shared<const GeneratedRaw>(generate(recipe));
    cache.emplace(key, raw);
    return raw;
}

}  // namespace devicesim
