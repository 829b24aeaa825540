#include "devicesim/raw_factory.h"

#include <cstdio>

#include <algorithm>
#include <cstring>
#include <map>
#include <mutex>
#include <string>
#include <tuple>

#include "devicesim/generic_camera.h"

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

std::vector<TiffEntry> sortedByTag(std::vector<TiffEntry> entries) {
    std::stable_sort(entries.begin(), entries.end(), [](const TiffEntry& a, const TiffEntry& b) { return a.tag < b.tag; });
    return entries;
}

size_t indexOfTag(const std::vector<TiffEntry>& entries, uint16_t tag) {
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].tag == tag) return i;
    return entries.size();
}

std::vector<uint8_t> shortBytes(const TiffWriter& t, std::initializer_list<uint16_t> values) {
    std::vector<uint8_t> out;
    for (uint16_t v : values) {
        const std::vector<uint8_t> x = t.bytes16(v);
        out.insert(out.end(), x.begin(), x.end());
    }
    return out;
}

// What makes the file a DNG for a raw converter: the version, the camera's name, its colour matrix (the identity:
// the sensor's colours are taken as they are) and a neutral white balance.
std::vector<TiffEntry> dngEntries(const TiffWriter& t, const JpegRecipe& r) {
    TiffEntry matrix{0xC621, kTiffSRational, 9, {}};
    for (int i = 0; i < 9; ++i) {
        const std::vector<uint8_t> num = t.bytes32(i % 4 == 0 ? 1 : 0), den = t.bytes32(1);
        matrix.data.insert(matrix.data.end(), num.begin(), num.end());
        matrix.data.insert(matrix.data.end(), den.begin(), den.end());
    }
    TiffEntry neutral = t.longValues(0xC628, {1, 1, 1, 1, 1, 1});
    neutral.type = kTiffRational;
    neutral.count = 3;
    return {TiffEntry{0xC612, kTiffByte, 4, {1, 4, 0, 0}}, t.ascii(0xC614, r.model), std::move(matrix),
            std::move(neutral)};
}

// The entries of a directory that holds the preview JPEG: a reduced-resolution image of three 8-bit samples.
std::vector<TiffEntry> previewImageEntries(const TiffWriter& t) {
    return {t.longValue(0x00FE, 1), TiffEntry{0x0102, kTiffShort, 3, shortBytes(t, {8, 8, 8})}, t.shortValue(0x0103, 6),
            t.shortValue(0x0115, 3)};
}

// The sensor's picture: a Bayer mosaic (red, green / green, blue) of 12-bit samples, 16 bits each in the file's
// byte order. The upper half runs from dark to bright red across the width, the lower half likewise in blue, so a
// converter's output is told apart from the preview at a glance.
std::vector<uint8_t> sensorData(const TiffWriter& t, int width, int height) {
    std::vector<uint8_t> out(size_t(width) * size_t(height) * 2);
    size_t at = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x, at += 2) {
            const uint16_t ramp = uint16_t(200 + 3800 * int64_t(x) / std::max(1, width - 1));
            const bool red = y % 2 == 0 && x % 2 == 0, blue = y % 2 == 1 && x % 2 == 1;
            const bool upper = y < height / 2;
            const uint16_t v = red ? (upper ? ramp : 200) : blue ? (upper ? 200 : ramp) : 600;
            out[at] = uint8_t(t.little() ? v : v >> 8);
            out[at + 1] = uint8_t(t.little() ? v >> 8 : v);
        }
    }
    return out;
}

// Writes the sensor's directory (the full-resolution CFA image) at the end; returns its offset and, through
// `stripAt`, where its strip offset is to be stored.
size_t writeSensorIfd(TiffWriter& t, const RawRecipe& recipe, size_t* stripAt) {
    const uint32_t bytes = uint32_t(recipe.sensorWidth) * uint32_t(recipe.sensorHeight) * 2;
    std::vector<size_t> at;
    const size_t offset = t.b.size();
    const std::vector<TiffEntry> entries = {
        t.longValue(0x00FE, 0),
        t.longValue(0x0100, uint32_t(recipe.sensorWidth)),
        t.longValue(0x0101, uint32_t(recipe.sensorHeight)),
        t.shortValue(0x0102, 16),
        t.shortValue(0x0103, 1),
        t.shortValue(0x0106, 32803),  // colour filter array
        t.longValue(0x0111, 0),
        t.shortValue(0x0115, 1),
        t.longValue(0x0116, uint32_t(recipe.sensorHeight)),
        t.longValue(0x0117, bytes),
        TiffEntry{0x828D, kTiffShort, 2, shortBytes(t, {2, 2})},
        TiffEntry{0x828E, kTiffByte, 4, {0, 1, 1, 2}},
        t.longValue(0xC61A, 0),
        t.longValue(0xC61D, 4095),
    };
    t.writeIfd(entries, &at);
    *stripAt = at[indexOfTag(entries, 0x0111)];
    return offset;
}

// After the directories: the preview, aligned, then the sensor data. The preview's offset goes into the field at
// `previewAt`, the sensor data's into `stripAt`.
GeneratedRaw withPreviewAndSensor(TiffWriter& t, size_t previewAt, size_t stripAt, const RawRecipe& recipe,
                                  const GeneratedJpeg& preview) {
    pad(t.b, (t.b.size() + 15) / 16 * 16);
    GeneratedRaw g;
    g.previewOffset = t.b.size();
    g.previewLength = preview.bytes.size();
    const size_t sensorAt = (g.previewOffset + g.previewLength + 15) / 16 * 16;
    t.set32(previewAt, uint32_t(g.previewOffset));
    t.set32(stripAt, uint32_t(sensorAt));
    const std::vector<uint8_t> sensor = sensorData(t, recipe.sensorWidth, recipe.sensorHeight);
    g.bytes = std::move(t.b);
    append(g.bytes, preview.bytes);
    pad(g.bytes, sensorAt);
    append(g.bytes, sensor);
    return g;
}

// The end of a one-directory TIFF raw file: IFD0 (pointing at the EXIF directory and, as its sub-directory, at the
// sensor's), the EXIF directory, the sensor's directory, then the preview and the sensor data. The preview's
// offset is stored in IFD0's entry of `previewTag`.
GeneratedRaw withExifPreviewAndSensor(TiffWriter& t, const std::vector<TiffEntry>& ifd0, uint16_t previewTag,
                                      const RawRecipe& recipe, const GeneratedJpeg& preview) {
    const JpegRecipe& r = recipe.preview;
    std::vector<size_t> at, atExif;
    t.writeIfd(ifd0, &at);
    t.set32(at[indexOfTag(ifd0, 0x8769)], uint32_t(t.b.size()));
    t.writeIfd(exifEntries(t, r, r.width, r.height), &atExif);
    size_t stripAt = 0;
    t.set32(at[indexOfTag(ifd0, 0x014A)], uint32_t(writeSensorIfd(t, recipe, &stripAt)));
    return withPreviewAndSensor(t, at[indexOfTag(ifd0, previewTag)], stripAt, recipe, preview);
}

// IFD0 of a one-directory raw file: the preview's size, its offset (under `offsetTag`, stored later) and length
// (under the next tag), the pointers to the sensor's and the EXIF directories, the metadata and the DNG entries.
std::vector<TiffEntry> previewIfd0(const TiffWriter& t, const JpegRecipe& r, const GeneratedJpeg& preview,
                                   uint16_t offsetTag, uint16_t lengthTag, bool shortSize) {
    std::vector<TiffEntry> ifd0 = {
        shortSize ? t.shortValue(0x0100, uint16_t(preview.width)) : t.longValue(0x0100, uint32_t(preview.width)),
        shortSize ? t.shortValue(0x0101, uint16_t(preview.height)) : t.longValue(0x0101, uint32_t(preview.height)),
        t.longValue(offsetTag, 0),
        t.longValue(lengthTag, uint32_t(preview.bytes.size())),
        t.longValue(0x014A, 0),
        t.longValue(0x8769, 0)};
    for (std::vector<TiffEntry> part : {previewImageEntries(t), ifd0Entries(t, r), dngEntries(t, r)})
        for (TiffEntry& e : part) ifd0.push_back(std::move(e));
    return sortedByTag(std::move(ifd0));
}

// CR2: IFD0 holds the preview as its strip and points at the EXIF directory.
GeneratedRaw cr2(const RawRecipe& recipe, const GeneratedJpeg& preview) {
    TiffWriter t(true);
    t.header();
    t.set32(4, 16);
    t.b.insert(t.b.end(), {'C', 'R', 2, 0, 0, 0, 0, 0});  // the signature and the raw directory's offset (none)
    return withExifPreviewAndSensor(t, previewIfd0(t, recipe.preview, preview, 0x0111, 0x0117, true), 0x0111,
                                    recipe, preview);
}

// NEF: IFD0 with three sub-directories (a small JPEG thumbnail, the preview, each with JPEG offset and length, and
// the sensor's image).
GeneratedRaw nef(const RawRecipe& recipe, const GeneratedJpeg& preview) {
    const JpegRecipe& r = recipe.preview;
    TiffWriter t(false);
    t.header();
    std::vector<TiffEntry> ifd0 = {t.longValue(0x0100, uint32_t(preview.width)), t.longValue(0x0101, uint32_t(preview.height)),
                                   t.longValues(0x014A, {0, 0, 0}), t.longValue(0x8769, 0)};
    for (std::vector<TiffEntry> part : {ifd0Entries(t, r), dngEntries(t, r)})
        for (TiffEntry& e : part) ifd0.push_back(std::move(e));
    ifd0 = sortedByTag(std::move(ifd0));
    std::vector<size_t> at, atA, atB, atExif;
    t.writeIfd(ifd0, &at);
    auto jpegIfd = [&t](uint32_t length, std::vector<size_t>* valueAt) {
        std::vector<TiffEntry> entries = previewImageEntries(t);
        entries.push_back(t.longValue(0x0201, 0));
        entries.push_back(t.longValue(0x0202, length));
        entries = sortedByTag(std::move(entries));
        const size_t offset = t.b.size();
        t.writeIfd(entries, valueAt);
        *valueAt = {(*valueAt)[indexOfTag(entries, 0x0201)]};
        return offset;
    };
    const size_t subA = jpegIfd(uint32_t(preview.thumbnail.size()), &atA);
    const size_t subB = jpegIfd(uint32_t(preview.bytes.size()), &atB);
    size_t stripAt = 0;
    const size_t subC = writeSensorIfd(t, recipe, &stripAt);
    const size_t exifAt = t.b.size();
    t.writeIfd(exifEntries(t, r, r.width, r.height), &atExif);
    // The sub-directory list is a value stored after IFD0's entries.
    const size_t listField = at[indexOfTag(ifd0, 0x014A)];
    const uint32_t listAt = (t.b[listField] << 24) | (t.b[listField + 1] << 16) | (t.b[listField + 2] << 8) | t.b[listField + 3];
    t.set32(listAt, uint32_t(subA));
    t.set32(listAt + 4, uint32_t(subB));
    t.set32(listAt + 8, uint32_t(subC));
    t.set32(at[indexOfTag(ifd0, 0x8769)], uint32_t(exifAt));
    t.set32(atA[0], uint32_t(t.b.size()));
    append(t.b, preview.thumbnail);
    return withPreviewAndSensor(t, atB[0], stripAt, recipe, preview);
}

// ARW: IFD0 carries the preview's JPEG offset and length.
GeneratedRaw arw(const RawRecipe& recipe, const GeneratedJpeg& preview) {
    TiffWriter t(true);
    t.header();
    return withExifPreviewAndSensor(t, previewIfd0(t, recipe.preview, preview, 0x0201, 0x0202, false), 0x0201,
                                    recipe, preview);
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
    static std::map<std::tuple<int, uint32_t, int, int, std::vector<uint8_t>>, std::shared_ptr<const GeneratedRaw>> cache;
    // The preview's own cache keys the JPEG; here the image's identity is its bytes' address plus kind and sizes.
    const auto preview = jpegImage(recipe.preview);
    std::vector<uint8_t> id(sizeof(void*) + recipe.preview.model.size());
    const void* p = preview.get();
    std::memcpy(id.data(), &p, sizeof p);
    std::memcpy(id.data() + sizeof p, recipe.preview.model.data(), recipe.preview.model.size());
    const auto key = std::make_tuple(int(recipe.kind), recipe.size, recipe.sensorWidth, recipe.sensorHeight, id);
    std::lock_guard<std::mutex> lock(mutex);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    auto raw = std::make_shared<const GeneratedRaw>(generate(recipe));
    cache.emplace(key, raw);
    return raw;
}

uint16_t rawObjectFormat(RawKind kind) {
    switch (kind) {
    case RawKind::Cr2: return 0xB103;
    case RawKind::Cr3: return 0xB108;
    case RawKind::Nef: return 0x3000;
    case RawKind::Arw: return 0xB101;
    case RawKind::Raf: return 0xB111;
    }
    return 0;
}

std::string rawFileName(RawKind kind, uint32_t number) {
    const char* pattern = "IMG_%04u.CR2";
    switch (kind) {
    case RawKind::Cr2: break;
    case RawKind::Cr3: pattern = "IMG_%04u.CR3"; break;
    case RawKind::Nef: pattern = "DSC_%04u.NEF"; break;
    case RawKind::Arw: pattern = "DSC%05u.ARW"; break;
    case RawKind::Raf: pattern = "DSCF%04u.RAF"; break;
    }
    char name[32];
    std::snprintf(name, sizeof name, pattern, unsigned(number % 10000));
    return name;
}

uint32_t addRawObject(GenericCamera& camera, const RawRecipe& recipe, uint32_t number) {
    const auto raw = rawImage(recipe);
    const auto preview = jpegImage(recipe.preview);
    SimObject o;
    o.format = rawObjectFormat(recipe.kind);
    o.name = rawFileName(recipe.kind, number);
    o.bytes = std::shared_ptr<const std::vector<uint8_t>>(raw, &raw->bytes);
    o.thumbnail = preview->thumbnail;
    o.thumbWidth = preview->thumbWidth;
    o.thumbHeight = preview->thumbHeight;
    o.width = preview->width;
    o.height = preview->height;
    o.orientation = recipe.preview.orientation;
    return camera.addObject(std::move(o));
}

}  // namespace devicesim
