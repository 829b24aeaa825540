#include "engine/vendors/canon/canon_bitmap.h"

#include <cstring>
#include <new>
#include <vector>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define CANON_YUV_X86 1
#endif

#include "engine/link/byte_order.h"
#include "engine/ptp/vendor_state.h"

struct BmpRecord {
    int32_t width = 0;
    int32_t height = 0;
    int bits = 32;
    std::vector<uint32_t> pixels;   // one column of `height` values per x, bottom row first
    std::vector<uint32_t> palette;  // 0x00RRGGBB, for 8 bits and fewer
};

namespace {
constexpr uint32_t kInfoHeaderSize = 40;
constexpr int32_t kPixelsPerMetre = 3780;  // 96 dpi
constexpr uint32_t kBlankPixel = 0x00FFFFFF;
constexpr size_t kYuvHeaderFields = 20;    // the picture header up to its height
constexpr size_t kYuvMinimumReply = 256;
constexpr uint32_t kOldBodyRows = 425;     // rows decoded on model 225, whatever its header says

uint64_t rowBytes(uint64_t width, int bits) { return (width * static_cast<uint64_t>(bits) + 31) / 32 * 4; }

std::vector<uint32_t> paletteFor(int bits) {
    std::vector<uint32_t> p;
    if (bits == 1) return {0x000000, 0xFFFFFF};
    static const uint32_t kSystem16[] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
                                         0x008080, 0xC0C0C0, 0x808080, 0xFF0000, 0x00FF00, 0xFFFF00,
                                         0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
    p.assign(std::begin(kSystem16), std::end(kSystem16));
    if (bits == 4) return p;
    // 256 colours: the 16 system colours, a 6 x 6 x 6 colour cube and 24 greys.
    for (uint32_t r = 0; r < 6; ++r)
        for (uint32_t g = 0; g < 6; ++g)
            for (uint32_t b = 0; b < 6; ++b) p.push_back((r * 51) << 16 | (g * 51) << 8 | (b * 51));
    for (uint32_t i = 0; i < 24; ++i) {
        uint32_t v = 8 + i * 10;
        p.push_back(v << 16 | v << 8 | v);
    }
    return p;
}

// Writes the two headers; `extra` bytes (colour table or masks) lie between them and the pixels.
void writeHeaders(uint8_t* f, int32_t width, int32_t height, int bits, uint32_t compression, uint32_t extra,
                  uint32_t imageSize) {
    uint32_t offset = static_cast<uint32_t>(kBmpHeaderSize) + extra;
    f[0] = 'B';
    f[1] = 'M';
    writeLe32(f + 2, offset + imageSize);
    writeLe32(f + 6, 0);
    writeLe32(f + 10, offset);
    uint8_t* i = f + 14;
    writeLe32(i, kInfoHeaderSize);
    writeLe32(i + 4, static_cast<uint32_t>(width));
    writeLe32(i + 8, static_cast<uint32_t>(height));
    writeLe16(i + 12, 1);
    writeLe16(i + 14, static_cast<uint16_t>(bits));
    writeLe32(i + 16, compression);
    writeLe32(i + 20, imageSize);
    writeLe32(i + 24, static_cast<uint32_t>(kPixelsPerMetre));
    writeLe32(i + 28, static_cast<uint32_t>(kPixelsPerMetre));
    writeLe32(i + 32, static_cast<uint32_t>(uint64_t{1} << bits));  // kept to 32 bits: 0 for 32-bit images
    writeLe32(i + 36, 0);
}

// Channel offsets of one pixel pair, exactly floor(1.403 V), floor(-0.344 U - 0.714 V) and floor(1.77 U).
int floorDiv1000(int n) { return n >= 0 ? n / 1000 : -((-n + 999) / 1000); }

uint8_t clampChannel(int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); }

void pixelOut(uint8_t* d, int y, int rOff, int gOff, int bOff) {
    d[0] = clampChannel(y + bOff);
    d[1] = clampChannel(y + gOff);
    d[2] = clampChannel(y + rOff);
    d[3] = 0xFF;
}

void rowScalar(const uint8_t* s, uint32_t width, uint8_t* d) {
    uint32_t x = 0;
    for (; x + 1 < width; x += 2, s += 4, d += 8) {
        int u = static_cast<int8_t>(s[0]), v = static_cast<int8_t>(s[2]);
        int rOff = floorDiv1000(1403 * v), gOff = floorDiv1000(-344 * u - 714 * v), bOff = floorDiv1000(1770 * u);
        pixelOut(d, s[1], rOff, gOff, bOff);
        pixelOut(d + 4, s[3], rOff, gOff, bOff);
    }
    if (x < width) {  // an odd last pixel: its pair's V lies beyond the row
        int u = static_cast<int8_t>(s[0]);
        pixelOut(d, s[1], 0, floorDiv1000(-344 * u), floorDiv1000(1770 * u));
    }
}

#if defined(CANON_YUV_X86)
// Eight pixels (four pairs) at a time. The offsets are computed in floats with a bias of 256 (above the largest
// offset, 1.77 x 128) and a margin of 0.0005, so that truncation gives exactly the floors above (the values are
// multiples of 0.001; float error stays below 0.0001); channels are then clamped by the saturating pack.
uint32_t rowSse2(const uint8_t* s, uint32_t width, uint8_t* d) {
    const __m128 kR = _mm_set1_ps(1.403f), kGu = _mm_set1_ps(-0.344f), kGv = _mm_set1_ps(-0.714f);
    const __m128 kB = _mm_set1_ps(1.77f), kBias = _mm_set1_ps(256.0005f);
    const __m128i kBiasInt = _mm_set1_epi16(256), kOpaque = _mm_set1_epi16(255);
    uint32_t x = 0;
    for (; x + 8 <= width; x += 8, s += 16, d += 32) {
        __m128i in = _mm_loadu_si128(reinterpret_cast<const __m128i*>(s));
        __m128i y = _mm_sub_epi16(_mm_srli_epi16(in, 8), kBiasInt);
        __m128 uf = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_slli_epi32(in, 24), 24));
        __m128 vf = _mm_cvtepi32_ps(_mm_srai_epi32(_mm_slli_epi32(in, 8), 24));
        __m128i r = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(vf, kR), kBias));
        __m128i g = _mm_cvttps_epi32(_mm_add_ps(_mm_add_ps(_mm_mul_ps(uf, kGu), _mm_mul_ps(vf, kGv)), kBias));
        __m128i b = _mm_cvttps_epi32(_mm_add_ps(_mm_mul_ps(uf, kB), kBias));
        __m128i rg = _mm_packs_epi32(r, g);
        __m128i bb = _mm_packs_epi32(b, b);
        __m128i r16 = _mm_add_epi16(_mm_unpacklo_epi16(rg, rg), y);
        __m128i g16 = _mm_add_epi16(_mm_unpackhi_epi16(rg, rg), y);
        __m128i b16 = _mm_add_epi16(_mm_unpacklo_epi16(bb, bb), y);
        __m128i bg8 = _mm_packus_epi16(b16, g16);
        __m128i ra8 = _mm_packus_epi16(r16, kOpaque);
        __m128i bg = _mm_unpacklo_epi8(bg8, _mm_srli_si128(bg8, 8));
        __m128i ra = _mm_unpacklo_epi8(ra8, _mm_srli_si128(ra8, 8));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d), _mm_unpacklo_epi16(bg, ra));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(d + 16), _mm_unpackhi_epi16(bg, ra));
    }
    return x;
}

// Sixteen pixels (eight pairs) at a time with AVX2 and FMA, the same arithmetic as above. Lanes hold pairs 0-3 and
// 4-7; the two halves are put back in order before the stores.
__attribute__((target("avx2,fma"))) uint32_t rowAvx2(const uint8_t* s, uint32_t width, uint8_t* d) {
    const __m256 kR = _mm256_set1_ps(1.403f), kGu = _mm256_set1_ps(-0.344f), kGv = _mm256_set1_ps(-0.714f);
    const __m256 kB = _mm256_set1_ps(1.77f), kBias = _mm256_set1_ps(256.0005f);
    const __m256i kBiasInt = _mm256_set1_epi16(256), kOpaque = _mm256_set1_epi16(255);
    uint32_t x = 0;
    for (; x + 16 <= width; x += 16, s += 32, d += 64) {
        __m256i in = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(s));
        __m256i y = _mm256_sub_epi16(_mm256_srli_epi16(in, 8), kBiasInt);
        __m256 uf = _mm256_cvtepi32_ps(_mm256_srai_epi32(_mm256_slli_epi32(in, 24), 24));
        __m256 vf = _mm256_cvtepi32_ps(_mm256_srai_epi32(_mm256_slli_epi32(in, 8), 24));
        __m256i r = _mm256_cvttps_epi32(_mm256_fmadd_ps(vf, kR, kBias));
        __m256i g = _mm256_cvttps_epi32(_mm256_fmadd_ps(uf, kGu, _mm256_fmadd_ps(vf, kGv, kBias)));
        __m256i b = _mm256_cvttps_epi32(_mm256_fmadd_ps(uf, kB, kBias));
        __m256i rg = _mm256_packs_epi32(r, g);
        __m256i bb = _mm256_packs_epi32(b, b);
        __m256i r16 = _mm256_add_epi16(_mm256_unpacklo_epi16(rg, rg), y);
        __m256i g16 = _mm256_add_epi16(_mm256_unpackhi_epi16(rg, rg), y);
        __m256i b16 = _mm256_add_epi16(_mm256_unpacklo_epi16(bb, bb), y);
        __m256i br8 = _mm256_packus_epi16(b16, r16);       // B0-7 R0-7 per lane
        __m256i ga8 = _mm256_packus_epi16(g16, kOpaque);   // G0-7 A per lane
        __m256i bg = _mm256_unpacklo_epi8(br8, ga8);       // B G pairs
        __m256i ra = _mm256_unpackhi_epi8(br8, ga8);       // R A pairs
        __m256i lo = _mm256_unpacklo_epi16(bg, ra);        // pixels 0-3 | 8-11
        __m256i hi = _mm256_unpackhi_epi16(bg, ra);        // pixels 4-7 | 12-15
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d), _mm256_permute2x128_si256(lo, hi, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(d + 32), _mm256_permute2x128_si256(lo, hi, 0x31));
    }
    return x;
}

// Thirty-two pixels (sixteen pairs) at a time with AVX-512: the same arithmetic, with each pair's offsets spread
// over its two pixels by word permutes (which keep the pixels in order) and the B, G, R, A bytes put together by
// two byte permutes.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"  // GCC's own AVX-512 headers
#endif
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) uint32_t rowAvx512(const uint8_t* s, uint32_t width,
                                                                             uint8_t* d) {
    const __m512 kR = _mm512_set1_ps(1.403f), kGu = _mm512_set1_ps(-0.344f), kGv = _mm512_set1_ps(-0.714f);
    const __m512 kB = _mm512_set1_ps(1.77f), kBias = _mm512_set1_ps(256.0005f);
    const __m512i kBiasInt = _mm512_set1_epi16(256), kOpaque = _mm512_set1_epi16(255);
    alignas(64) static const uint16_t kSpread[32] = {0,  0,  2,  2,  4,  4,  6,  6,  8,  8,  10, 10, 12, 12, 14, 14,
                                                     16, 16, 18, 18, 20, 20, 22, 22, 24, 24, 26, 26, 28, 28, 30, 30};
    // Byte 4p+c of the output: B and R of pixel p from the first source (lane p/8: B at p%8, R at 8 + p%8), G and
    // the opaque alpha from the second (index + 64).
    alignas(64) static const uint8_t kBgra[2][64] = {
#define CANON_PIXEL(p) uint8_t(16 * ((p) / 8) + (p) % 8), uint8_t(64 + 16 * ((p) / 8) + (p) % 8), \
                       uint8_t(16 * ((p) / 8) + 8 + (p) % 8), uint8_t(64 + 16 * ((p) / 8) + 8)
        {CANON_PIXEL(0), CANON_PIXEL(1), CANON_PIXEL(2), CANON_PIXEL(3), CANON_PIXEL(4), CANON_PIXEL(5),
         CANON_PIXEL(6), CANON_PIXEL(7), CANON_PIXEL(8), CANON_PIXEL(9), CANON_PIXEL(10), CANON_PIXEL(11),
         CANON_PIXEL(12), CANON_PIXEL(13), CANON_PIXEL(14), CANON_PIXEL(15)},
        {CANON_PIXEL(16), CANON_PIXEL(17), CANON_PIXEL(18), CANON_PIXEL(19), CANON_PIXEL(20), CANON_PIXEL(21),
         CANON_PIXEL(22), CANON_PIXEL(23), CANON_PIXEL(24), CANON_PIXEL(25), CANON_PIXEL(26), CANON_PIXEL(27),
         CANON_PIXEL(28), CANON_PIXEL(29), CANON_PIXEL(30), CANON_PIXEL(31)},
#undef CANON_PIXEL
    };
    const __m512i spread = _mm512_load_si512(kSpread);
    const __m512i first = _mm512_load_si512(kBgra[0]), second = _mm512_load_si512(kBgra[1]);
    uint32_t x = 0;
    for (; x + 32 <= width; x += 32, s += 64, d += 128) {
        __m512i in = _mm512_loadu_si512(s);
        __m512i y = _mm512_sub_epi16(_mm512_srli_epi16(in, 8), kBiasInt);
        __m512 uf = _mm512_cvtepi32_ps(_mm512_srai_epi32(_mm512_slli_epi32(in, 24), 24));
        __m512 vf = _mm512_cvtepi32_ps(_mm512_srai_epi32(_mm512_slli_epi32(in, 8), 24));
        __m512i r = _mm512_cvttps_epi32(_mm512_fmadd_ps(vf, kR, kBias));
        __m512i g = _mm512_cvttps_epi32(_mm512_fmadd_ps(uf, kGu, _mm512_fmadd_ps(vf, kGv, kBias)));
        __m512i b = _mm512_cvttps_epi32(_mm512_fmadd_ps(uf, kB, kBias));
        __m512i r16 = _mm512_add_epi16(_mm512_permutexvar_epi16(spread, r), y);
        __m512i g16 = _mm512_add_epi16(_mm512_permutexvar_epi16(spread, g), y);
        __m512i b16 = _mm512_add_epi16(_mm512_permutexvar_epi16(spread, b), y);
        __m512i br8 = _mm512_packus_epi16(b16, r16);      // lane k: B, then R of pixels 8k..8k+7
        __m512i ga8 = _mm512_packus_epi16(g16, kOpaque);  // lane k: G of those pixels, then 255
        _mm512_storeu_si512(d, _mm512_permutex2var_epi8(br8, first, ga8));
        _mm512_storeu_si512(d + 64, _mm512_permutex2var_epi8(br8, second, ga8));
    }
    return x;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

bool hasAvx512() {
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vbmi");
    return has;
}

bool hasAvx2() {
    static const bool has = __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
    return has;
}
#endif
}  // namespace

BmpRecord* bmpCreate(int32_t width, int32_t height, int bits) {
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return nullptr;
    if (width <= 0 || height <= 0) return nullptr;
    uint64_t image = rowBytes(static_cast<uint64_t>(width), bits) * static_cast<uint64_t>(height);
    if (image + kBmpHeaderSize + 1024 > 0xFFFFFFFFu) return nullptr;
    BmpRecord* r = new (std::nothrow) BmpRecord;
    if (!r) return nullptr;
    try {
        r->pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), kBlankPixel);
        if (bits <= 8) r->palette = paletteFor(bits);
    } catch (const std::bad_alloc&) {
        delete r;
        return nullptr;
    }
    r->width = width;
    r->height = height;
    r->bits = bits;
    return r;
}

bool bmpSetPixel(BmpRecord* r, int32_t x, int32_t y, uint32_t colour) {
    if (!r || x < 0 || y < 0 || x >= r->width || y >= r->height) return false;
    r->pixels[static_cast<size_t>(x) * static_cast<size_t>(r->height) + static_cast<size_t>(y)] = colour;
    return true;
}

size_t bmpSave(const BmpRecord* r, HeapBlock* out) {
    if (!r || !out) return 0;
    const uint64_t stride = rowBytes(static_cast<uint64_t>(r->width), r->bits);
    const uint32_t image = static_cast<uint32_t>(stride * static_cast<uint64_t>(r->height));
    const uint32_t extra = r->bits == 16 ? 12 : static_cast<uint32_t>(r->palette.size() * 4);
    const size_t total = kBmpHeaderSize + extra + image;
    HeapBlock f = HeapBlock::allocate(total);
    if (!f) return 0;
    std::memset(f.data(), 0, total);
    writeHeaders(f.data(), r->width, r->height, r->bits, r->bits == 16 ? 3 : 0, extra, image);
    uint8_t* p = f.data() + kBmpHeaderSize;
    if (r->bits == 16) {
        writeLe32(p, 0xF800);
        writeLe32(p + 4, 0x07E0);
        writeLe32(p + 8, 0x001F);
    }
    for (size_t i = 0; i < r->palette.size(); ++i) writeLe32(p + 4 * i, r->palette[i]);  // B, G, R, 0
    p += extra;
    const size_t h = static_cast<size_t>(r->height);
    for (size_t y = 0; y < h; ++y) {
        uint8_t* row = p + y * stride;
        for (size_t x = 0; x < static_cast<size_t>(r->width); ++x) {
            uint32_t c = r->pixels[x * h + y];
            switch (r->bits) {
                case 32: writeLe32(row + 4 * x, c); break;
                case 24:
                    row[3 * x] = static_cast<uint8_t>(c);
                    row[3 * x + 1] = static_cast<uint8_t>(c >> 8);
                    row[3 * x + 2] = static_cast<uint8_t>(c >> 16);
                    break;
                case 16: writeLe16(row + 2 * x, static_cast<uint16_t>(c)); break;
                default: {  // 1, 4 or 8 bits: indexes packed from the high bits of each byte
                    const size_t bit = x * static_cast<size_t>(r->bits);
                    const uint32_t mask = (1u << r->bits) - 1;
                    const int shift = 8 - r->bits - static_cast<int>(bit % 8);
                    row[bit / 8] = static_cast<uint8_t>(row[bit / 8] | ((c & mask) << shift));
                    break;
                }
            }
        }
    }
    *out = std::move(f);
    return total;
}

void bmpFree(BmpRecord* r) { delete r; }

bool canonYuvKernelAvailable(CanonYuvKernel kernel) {
    switch (kernel) {
        case CanonYuvKernel::Plain:
        case CanonYuvKernel::Best: return true;
#if defined(CANON_YUV_X86)
        case CanonYuvKernel::Sse2: return true;
        case CanonYuvKernel::Avx2: return hasAvx2();
        case CanonYuvKernel::Avx512: return hasAvx512();
#endif
        default: return false;
    }
}

void canonYuvRowToBgra(const uint8_t* row, uint32_t width, uint8_t* dest, CanonYuvKernel kernel) {
    uint32_t done = 0;
    auto rest = [&](uint32_t (*form)(const uint8_t*, uint32_t, uint8_t*)) {
        done += form(row + 2 * static_cast<size_t>(done), width - done, dest + 4 * static_cast<size_t>(done));
    };
#if defined(CANON_YUV_X86)
    if (kernel == CanonYuvKernel::Best)
        kernel = hasAvx512() ? CanonYuvKernel::Avx512 : hasAvx2() ? CanonYuvKernel::Avx2 : CanonYuvKernel::Sse2;
    if (kernel == CanonYuvKernel::Avx512 && hasAvx512()) rest(rowAvx512);
    if ((kernel == CanonYuvKernel::Avx512 || kernel == CanonYuvKernel::Avx2) && hasAvx2()) rest(rowAvx2);
    if (kernel != CanonYuvKernel::Plain) rest(rowSse2);
#else
    (void)kernel;
    (void)rest;
#endif
    rowScalar(row + 2 * static_cast<size_t>(done), width - done, dest + 4 * static_cast<size_t>(done));
}

bool canonFindYuvPicture(const uint8_t* reply, size_t length, CanonYuvPicture* picture) {
    if (!reply || !picture || length < kYuvMinimumReply) return false;
    const uint8_t model = camModelIndex();
    const bool offsetStart = model == 235 || model == 237 || (model >= 239 && model <= 244);
    const size_t start = offsetStart ? reply[0] : 0;
    if (start + kYuvHeaderFields > length) return false;
    const size_t headerLength = reply[start];
    const uint32_t width = readLe32(reply + start + 12);
    const uint32_t height = readLe32(reply + start + 16);
    const uint32_t rows = model == 225 ? kOldBodyRows : height;
    if (width == 0 || height == 0 || start + headerLength > length) return false;
    const uint64_t pixelBytes = length - start - headerLength;
    if (static_cast<uint64_t>(width) * 2 * rows > pixelBytes) return false;
    // The bitmap is never more than 16 bytes for each byte received (a header's height cannot make it huge), and
    // its size fits the file's 32-bit fields.
    const uint64_t image = static_cast<uint64_t>(width) * height * 4;
    if (image > 16 * static_cast<uint64_t>(length) || image + kBmpHeaderSize > 0xFFFFFFFFu) return false;
    picture->pixels = reply + start + headerLength;
    picture->width = width;
    picture->height = height;
    picture->rows = rows;
    return true;
}

size_t canonYuvBitmapSize(const CanonYuvPicture& p) {
    return kBmpHeaderSize + static_cast<size_t>(p.width) * p.height * 4;
}

void canonWriteYuvBitmap(const CanonYuvPicture& p, uint8_t* file) {
    const uint32_t image = static_cast<uint32_t>(static_cast<uint64_t>(p.width) * p.height * 4);
    writeHeaders(file, static_cast<int32_t>(p.width), static_cast<int32_t>(p.height), 32, 0, 0, image);
    uint8_t* pixels = file + kBmpHeaderSize;
    const size_t rowIn = static_cast<size_t>(p.width) * 2, rowOut = static_cast<size_t>(p.width) * 4;
    for (uint32_t i = 0; i < p.height; ++i) {
        uint8_t* d = pixels + static_cast<size_t>(p.height - 1 - i) * rowOut;  // row i from the top
        if (i < p.rows) {
            canonYuvRowToBgra(p.pixels + i * rowIn, p.width, d);
        } else {
            for (uint32_t x = 0; x < p.width; ++x) writeLe32(d + 4 * static_cast<size_t>(x), kBlankPixel);
        }
    }
}

size_t canonDecodeYuvFrame(const uint8_t* reply, size_t length, HeapBlock* out) {
    CanonYuvPicture picture;
    if (!out || !canonFindYuvPicture(reply, length, &picture)) return 0;
    HeapBlock file = HeapBlock::allocate(canonYuvBitmapSize(picture));
    if (!file) return 0;
    canonWriteYuvBitmap(picture, file.data());
    size_t total = file.size();
    *out = std::move(file);
    return total;
}
