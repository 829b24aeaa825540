#pragma once
// A small TIFF writer in either byte order, for the EXIF blocks of generated JPEGs and the structures of generated
// raw files. Offsets are counted from the start of `b` (the TIFF header's first byte).
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace devicesim {

enum : uint16_t { kTiffByte = 1, kTiffAscii = 2, kTiffShort = 3, kTiffLong = 4, kTiffRational = 5, kTiffUndefined = 7,
                  kTiffSRational = 10 };

struct TiffEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    std::vector<uint8_t> data;  // value bytes in the writer's byte order
};

class TiffWriter {
public:
    explicit TiffWriter(bool littleEndian) : little_(littleEndian) {}

    std::vector<uint8_t> b;

    bool little() const { return little_; }
    // "II*\0" or "MM\0*" and the offset 8 of the first directory.
    void header() {
        const uint8_t order = little_ ? 'I' : 'M';
        b.push_back(order);
        b.push_back(order);
        u16(42);
        u32(8);
    }
    void u16(uint16_t v) { append(bytes16(v)); }
    void u32(uint32_t v) { append(bytes32(v)); }
    void set32(size_t at, uint32_t v) {
        const std::vector<uint8_t> x = bytes32(v);
        for (size_t i = 0; i < 4; ++i) b[at + i] = x[i];
    }
    void append(const std::vector<uint8_t>& v) { b.insert(b.end(), v.begin(), v.end()); }

    std::vector<uint8_t> bytes16(uint16_t v) const {
        return little_ ? std::vector<uint8_t>{uint8_t(v), uint8_t(v >> 8)} : std::vector<uint8_t>{uint8_t(v >> 8), uint8_t(v)};
    }
    std::vector<uint8_t> bytes32(uint32_t v) const {
        std::vector<uint8_t> out(4);
        for (int i = 0; i < 4; ++i) out[size_t(i)] = uint8_t(v >> (8 * (little_ ? i : 3 - i)));
        return out;
    }

    TiffEntry ascii(uint16_t tag, const std::string& s) const {
        TiffEntry e{tag, kTiffAscii, uint32_t(s.size() + 1), std::vector<uint8_t>(s.begin(), s.end())};
        e.data.push_back(0);
        return e;
    }
    TiffEntry shortValue(uint16_t tag, uint16_t v) const {
        std::vector<uint8_t> field(4, 0);  // the value, left-justified in the 4-byte field
        field[0] = uint8_t(little_ ? v : v >> 8);
        field[1] = uint8_t(little_ ? v >> 8 : v);
        return TiffEntry{tag, kTiffShort, 1, std::move(field)};
    }
    TiffEntry longValue(uint16_t tag, uint32_t v) const { return TiffEntry{tag, kTiffLong, 1, bytes32(v)}; }
    TiffEntry longValues(uint16_t tag, const std::vector<uint32_t>& vs) const {
        TiffEntry e{tag, kTiffLong, uint32_t(vs.size()), {}};
        for (uint32_t v : vs) {
            const std::vector<uint8_t> x = bytes32(v);
            e.data.insert(e.data.end(), x.begin(), x.end());
        }
        return e;
    }
    TiffEntry rational(uint16_t tag, uint32_t num, uint32_t den) const {
        TiffEntry e = longValues(tag, {num, den});
        e.type = kTiffRational;
        e.count = 1;
        return e;
    }
    TiffEntry signedRational(uint16_t tag, int32_t num, int32_t den) const {
        TiffEntry e = rational(tag, uint32_t(num), uint32_t(den));
        e.type = kTiffSRational;
        return e;
    }
    // A four-character undefined value (a version such as "0231").
    TiffEntry version(uint16_t tag, const char (&four)[5]) const {
        return TiffEntry{tag, kTiffUndefined, 4,
                         std::vector<uint8_t>{uint8_t(four[0]), uint8_t(four[1]), uint8_t(four[2]), uint8_t(four[3])}};
    }

    // Writes one directory at the end (entries as given, which should be sorted by tag); values over 4 bytes
    // follow it. Returns the offset of its next-directory field; *valueAt gets each entry's value field offset.
    size_t writeIfd(const std::vector<TiffEntry>& entries, std::vector<size_t>* valueAt) {
        const size_t start = b.size();
        u16(uint16_t(entries.size()));
        const size_t extra = start + 2 + 12 * entries.size() + 4;
        std::vector<uint8_t> tail;
        valueAt->clear();
        for (const TiffEntry& e : entries) {
            u16(e.tag);
            u16(e.type);
            u32(e.count);
            valueAt->push_back(b.size());
            if (e.data.size() <= 4) {
                std::vector<uint8_t> v = e.data;
                v.resize(4, 0);
                append(v);
            } else {
                u32(uint32_t(extra + tail.size()));
                tail.insert(tail.end(), e.data.begin(), e.data.end());
                if (tail.size() % 2) tail.push_back(0);
            }
        }
        const size_t next = b.size();
        u32(0);
        b.insert(b.end(), tail.begin(), tail.end());
        return next;
    }

private:
    bool little_;
};

}  // namespace devicesim
