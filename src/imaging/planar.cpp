#include "imaging/planar.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <type_traits>
#include <vector>

#include <emmintrin.h>

namespace {

// A row's sample x: a byte, or a 16-bit little-endian word (read bytewise: a plane's rows
// need not be aligned).
struct Bytes8 {
    const uint8_t* row;
    uint32_t operator[](int x) const { return row[x]; }
};
struct Words16 {
    const uint8_t* row;
    uint32_t operator[](int x) const { return uint32_t{row[2 * x]} | uint32_t{row[2 * x + 1]} << 8; }
};

// Adds the samples of one row to the sums of their boxes, `factor` samples to a box. Halving
// (the usual reduction of a 12 MP photo for the default size) has a loop of its own.
template <class Row, class Sum>
void AddSamples(Row row, int width, int factor, Sum* sums)
{
    int x0 = 0, box = 0;
    if constexpr (std::is_same_v<Row, Bytes8> && std::is_same_v<Sum, uint32_t>) {
        // Bytes in pairs, 16 at a time: widened to 16 bits, each pair summed by one multiply-add.
        if (factor == 2) {
            const __m128i zero = _mm_setzero_si128(), ones = _mm_set1_epi16(1);
            for (; x0 + 16 <= width; x0 += 16, box += 8) {
                const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row.row + x0));
                __m128i* out = reinterpret_cast<__m128i*>(sums + box);
                const __m128i low = _mm_madd_epi16(_mm_unpacklo_epi8(bytes, zero), ones);
                const __m128i high = _mm_madd_epi16(_mm_unpackhi_epi8(bytes, zero), ones);
                _mm_storeu_si128(out, _mm_add_epi32(_mm_loadu_si128(out), low));
                _mm_storeu_si128(out + 1, _mm_add_epi32(_mm_loadu_si128(out + 1), high));
            }
        }
    }
    if (factor == 2)
        for (; x0 + 2 <= width; x0 += 2, ++box) sums[box] += Sum{row[x0]} + row[x0 + 1];
    for (; x0 < width; x0 += factor, ++box) {
        const int x1 = std::min(width, x0 + factor);
        Sum sum = 0;
        for (int x = x0; x < x1; ++x) sum += row[x];
        sums[box] += sum;
    }
}

template <class Sum>
void AddRow(const SamplePlane& plane, int y, int width, int factor, Sum* sums)
{
    const uint8_t* row = plane.data + static_cast<ptrdiff_t>(y) * plane.stride;
    if (plane.bits <= 8)
        AddSamples(Bytes8{row}, width, factor, sums);
    else
        AddSamples(Words16{row}, width, factor, sums);
}

inline double Sample(const SamplePlane& plane, int x, int y)
{
    const uint8_t* row = plane.data + static_cast<ptrdiff_t>(y) * plane.stride;
    return plane.bits <= 8 ? Bytes8{row}[x] : Words16{row}[x];
}

inline uint8_t To8Bits(double value)
{
    return static_cast<uint8_t>(std::clamp(value, 0.0, 1.0) * 255 + 0.5);
}

double MaxOf(const SamplePlane& plane)
{
    return std::ldexp(1.0, plane.bits) - 1;
}

bool Covers(const SamplePlane& plane, int width, int height)
{
    return plane.data && plane.bits >= 1 && plane.bits <= 16 && plane.width >= width && plane.height >= height &&
           plane.stride >= static_cast<ptrdiff_t>(width) * (plane.bits > 8 ? 2 : 1);
}

// Opaque: the sums of each box in the stored samples, then one multiplication a component.
// Sums are 32-bit wherever a whole box of the largest samples fits in 32 bits.
template <class Sum>
void ReduceOpaque(const PlanarPicture& p, int factor, Image& out)
{
    const SamplePlane* planes[3] = {&p.blue, &p.green, &p.red};  // in BGR's order
    double unit[3];  // a sum's step in 8-bit units, for a whole box
    for (int c = 0; c < 3; ++c) unit[c] = 255 / (MaxOf(*planes[c]) * factor * factor);
    std::vector<Sum> sums(size_t{3} * out.width);
    for (int oy = 0; oy < out.height; ++oy) {
        std::fill(sums.begin(), sums.end(), 0);
        const int y0 = oy * factor, y1 = std::min(p.height, y0 + factor);
        for (int c = 0; c < 3; ++c)
            for (int y = y0; y < y1; ++y) AddRow(*planes[c], y, p.width, factor, sums.data() + static_cast<size_t>(c) * out.width);
        uint8_t* row = out.Row(oy);
        for (int ox = 0; ox < out.width; ++ox) {
            // A box cut short by the last row or column holds fewer samples.
            const int covered = (std::min(p.width, ox * factor + factor) - ox * factor) * (y1 - y0);
            const double scale = double(factor) * factor / covered;
            for (int c = 0; c < 3; ++c) {
                const double value = static_cast<double>(sums[static_cast<size_t>(c) * out.width + ox]) * unit[c] * scale;
                row[3 * ox + c] = static_cast<uint8_t>(std::min(value, 255.0) + 0.5);
            }
        }
    }
}

// With alpha every pixel is laid over white first, then the boxes are averaged, so no colour
// of a transparent pixel bleeds into its neighbours.
void ReduceOverWhite(const PlanarPicture& p, int factor, Image& out)
{
    const SamplePlane* planes[3] = {&p.blue, &p.green, &p.red};
    const double alphaMax = MaxOf(p.alpha);
    const double max[3] = {MaxOf(*planes[0]), MaxOf(*planes[1]), MaxOf(*planes[2])};
    std::vector<double> sums(size_t{3} * out.width);
    for (int oy = 0; oy < out.height; ++oy) {
        std::fill(sums.begin(), sums.end(), 0.0);
        const int y0 = oy * factor, y1 = std::min(p.height, y0 + factor);
        for (int y = y0; y < y1; ++y)
            for (int x = 0; x < p.width; ++x) {
                const double a = Sample(p.alpha, x, y) / alphaMax;
                double* sum = &sums[size_t{3} * (x / factor)];
                for (int c = 0; c < 3; ++c) {
                    const double v = Sample(*planes[c], x, y) / max[c];
                    sum[c] += p.premultiplied ? std::min(1.0, v + 1 - a) : v * a + 1 - a;
                }
            }
        uint8_t* row = out.Row(oy);
        for (int ox = 0; ox < out.width; ++ox) {
            const double count = double(std::min(p.width, ox * factor + factor) - ox * factor) * (y1 - y0);
            for (int c = 0; c < 3; ++c) row[3 * ox + c] = To8Bits(sums[size_t{3} * ox + c] / count);
        }
    }
}

}  // namespace

int ChoosePlanarReduction(int width, int height, int minWidth, int minHeight)
{
    if (width <= 0 || height <= 0 || (minWidth <= 0 && minHeight <= 0)) return 1;
    int factor = 1;
    while ((width + factor) / (factor + 1) >= minWidth && (height + factor) / (factor + 1) >= minHeight &&
           factor < std::min(width, height))
        ++factor;
    return factor;
}

bool PlanarToBgr(const PlanarPicture& picture, int factor, Image& out)
{
    out.Clear();
    const int w = picture.width, h = picture.height;
    if (factor < 1 || w <= 0 || h <= 0 || !Covers(picture.red, w, h) || !Covers(picture.green, w, h) ||
        !Covers(picture.blue, w, h) || (picture.alpha.data && !Covers(picture.alpha, w, h)))
        return false;
    try {
        Image image;
        if (!image.Allocate((w + factor - 1) / factor, (h + factor - 1) / factor)) return false;
        const int bits = std::max({picture.red.bits, picture.green.bits, picture.blue.bits});
        if (picture.alpha.data)
            ReduceOverWhite(picture, factor, image);
        else if (std::ldexp(1.0, bits) * factor * factor < 4294967296.0)
            ReduceOpaque<uint32_t>(picture, factor, image);
        else
            ReduceOpaque<uint64_t>(picture, factor, image);
        out = std::move(image);
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}
