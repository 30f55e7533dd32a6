#include "imaging/resample.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <new>
#include <numbers>
#include <utility>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// A separable Lanczos-3 filter. Each output pixel is a weighted sum of the source pixels
// around its centre; the weights of one axis are computed once (they depend only on the
// output position) and kept as 16-bit fixed point, so the passes are integer
// multiply-adds, two taps per SSE2 instruction in both passes. For a reduction the kernel
// is stretched by the reduction factor, so that it also low-passes away what the smaller
// picture cannot hold (no aliasing, no moire), or by a little less where the caller asks for
// a sharper result (see Resize's kernelWidth); for
// an enlargement it is plain 3-lobe interpolation. Source pixels beyond an edge repeat the
// edge pixel. The two axes run one after the other through an 8-bit intermediate picture,
// in whichever order costs fewer multiply-adds.

namespace {

constexpr double kLobes = 3.0;
// Fixed-point weights are int16 with as many fraction bits as the largest weight of the
// axis leaves room for: 14 for an enlargement (a weight of one), 16 for the usual halving,
// more for a strong reduction, so its many tiny weights stay nonzero. At most 22: a row's
// absolute weights add up to about 1.3, so 255 * weights then stays inside int32.
constexpr int kMaxWeightBits = 22;
// The largest weight gets at most half the int16 range; the other half is room for the
// rounding remainder that it takes on.
constexpr double kWeightRoom = 16383;

double Sinc(double x)
{
    if (x == 0.0)
        return 1.0;
    const double px = std::numbers::pi * x;
    return std::sin(px) / px;
}

double Lanczos3(double x)
{
    return std::fabs(x) < kLobes ? Sinc(x) * Sinc(x / kLobes) : 0.0;
}

// Weights of one axis: output i reads count[i] source pixels from first[i] on, with the
// weights at weights[i * stride ...].
struct AxisTaps {
    std::vector<int> first, count;
    std::vector<int16_t> weights;
    int stride = 0;
    int bits = 14;  // fraction bits of the weights
    int64_t total = 0;  // multiply-adds per output row or column, for choosing the pass order
};

// Quantises the weights with taps.bits fraction bits, the rounding remainder given to the
// largest weight of each output so the weights add up to exactly one and a flat area stays
// exactly flat; zero weights at both ends are dropped (an unchanged axis keeps one tap per
// pixel). False when a weight would not fit in int16.
bool QuantiseTaps(const std::vector<double>& normalised, const std::vector<int>& first, const std::vector<int>& count, AxisTaps& taps)
{
    const double one = static_cast<double>(1 << taps.bits);
    taps.total = 0;
    std::vector<int32_t> quantised(taps.stride);
    for (size_t i = 0; i < first.size(); ++i) {
        const double* raw = &normalised[i * taps.stride];
        int16_t* weights = &taps.weights[i * taps.stride];
        int32_t quantisedSum = 0;
        int largest = 0;
        for (int k = 0; k < count[i]; ++k) {
            quantised[k] = static_cast<int32_t>(std::lround(raw[k] * one));
            quantisedSum += quantised[k];
            if (quantised[k] > quantised[largest])
                largest = k;
        }
        quantised[largest] += (1 << taps.bits) - quantisedSum;
        int lo = 0, hi = count[i] - 1;
        while (lo < hi && quantised[lo] == 0)
            ++lo;
        while (hi > lo && quantised[hi] == 0)
            --hi;
        std::fill(weights, weights + taps.stride, int16_t{0});
        for (int k = lo; k <= hi; ++k) {
            if (quantised[k] < -32768 || quantised[k] > 32767)
                return false;
            weights[k - lo] = static_cast<int16_t>(quantised[k]);
        }
        taps.first[i] = first[i] + lo;
        taps.count[i] = hi - lo + 1;
        taps.total += hi - lo + 1;
    }
    return true;
}

void BuildTaps(int srcSize, int dstSize, double kernelWidth, AxisTaps& taps)
{
    const double scale = static_cast<double>(srcSize) / dstSize;
    const double filterScale = std::max(scale * kernelWidth, 1.0);
    const double support = kLobes * filterScale;
    taps.stride = static_cast<int>(std::min<double>(srcSize, std::ceil(2 * support) + 2));
    taps.first.assign(dstSize, 0);
    taps.count.assign(dstSize, 0);
    taps.weights.assign(static_cast<size_t>(dstSize) * taps.stride, 0);
    taps.total = 0;
    // The weights of every output as fractions of one, before they are quantised with the
    // precision that the largest of them allows.
    std::vector<double> normalised(taps.weights.size(), 0.0);
    double largestWeight = 0.0;
    for (int i = 0; i < dstSize; ++i) {
        // Pixel j covers [j, j + 1) in source coordinates; output i is centred at (i + 0.5) * scale.
        const double centre = (i + 0.5) * scale;
        const int64_t jStart = static_cast<int64_t>(std::ceil(centre - support - 0.5));
        const int64_t jEnd = static_cast<int64_t>(std::floor(centre + support - 0.5));
        const int first = static_cast<int>(std::clamp<int64_t>(jStart, 0, srcSize - 1));
        const int last = static_cast<int>(std::clamp<int64_t>(jEnd, 0, srcSize - 1));
        const int count = std::min(last - first + 1, taps.stride);
        double* raw = &normalised[static_cast<size_t>(i) * taps.stride];
        double sum = 0.0;
        for (int64_t j = jStart; j <= jEnd; ++j) {
            const double w = Lanczos3((j + 0.5 - centre) / filterScale);
            const int at = static_cast<int>(std::clamp<int64_t>(j, first, first + count - 1)) - first;
            raw[at] += w;
            sum += w;
        }
        taps.first[i] = first;
        taps.count[i] = count;
        if (std::fabs(sum) < 1e-9) {  // cannot happen for Lanczos-3; never divide by it
            std::fill(raw, raw + count, 0.0);
            raw[0] = 1.0;
            taps.count[i] = 1;
        } else {
            for (int k = 0; k < count; ++k)
                raw[k] /= sum;
        }
        for (int k = 0; k < taps.count[i]; ++k)
            largestWeight = std::max(largestWeight, std::fabs(raw[k]));
    }
    taps.bits = 14;
    while (taps.bits < kMaxWeightBits && largestWeight * (1 << (taps.bits + 1)) <= kWeightRoom)
        ++taps.bits;
    const std::vector<int> first = taps.first, count = taps.count;
    while (!QuantiseTaps(normalised, first, count, taps) && taps.bits > 1)
        --taps.bits;
}

uint8_t ToByte(int32_t accumulated, int bits)
{
    const int32_t v = accumulated >> bits;
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// A view of BGR rows: an Image, or the intermediate picture between the two passes.
struct Plane {
    uint8_t* data;
    ptrdiff_t stride;
    int width, height;
    uint8_t* Row(int y) const { return data + y * stride; }
};

#if defined(__SSE2__)
// One source row as neighbour pairs for the row pass: entry j holds pixel j and pixel j + 1
// channel by channel, B B G G R R and two lanes that only ever meet zero weights (pixel j + 1
// of the last entry is zero).
void PairNeighbours(const uint8_t* in, int width, int16_t* paired)
{
    const __m128i zero = _mm_setzero_si128();
    int j = 0;
    for (; j + 3 <= width; ++j) {  // reads 8 bytes: pixels j, j + 1 and two bytes of j + 2
        const __m128i bytes = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(in + 3 * j)), zero);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(paired + 8 * j), _mm_unpacklo_epi16(bytes, _mm_srli_si128(bytes, 6)));
    }
    for (; j < width; ++j) {
        int16_t* e = paired + 8 * j;
        const bool next = j + 1 < width;
        for (int c = 0; c < 3; ++c) {
            e[2 * c] = in[3 * j + c];
            e[2 * c + 1] = next ? in[3 * j + 3 + c] : 0;
        }
        e[6] = e[7] = 0;
    }
}

// Each output pixel takes two taps per multiply-add, all three channels at once: the
// neighbour pairs against [w(k) w(k + 1)] for each channel. Integer throughout, so the result
// equals the plain sum of weighted bytes.
void ResizeRows(const Plane& src, const AxisTaps& taps, const Plane& dst)
{
    const int pairsPerPixel = (taps.stride + 1) / 2;
    std::vector<int16_t> pairWeights(static_cast<size_t>(dst.width) * pairsPerPixel * 8, 0);
    for (int x = 0; x < dst.width; ++x) {
        const int16_t* w = &taps.weights[static_cast<size_t>(x) * taps.stride];
        int16_t* pw = &pairWeights[static_cast<size_t>(x) * pairsPerPixel * 8];
        for (int k = 0, n = taps.count[x]; k < n; k += 2, pw += 8) {
            for (int c = 0; c < 3; ++c) {
                pw[2 * c] = w[k];
                pw[2 * c + 1] = k + 1 < n ? w[k + 1] : int16_t{0};
            }
        }
    }
    std::vector<int16_t> paired(static_cast<size_t>(src.width) * 8);
    const __m128i rounding = _mm_set1_epi32(1 << (taps.bits - 1));
    const __m128i shift = _mm_cvtsi32_si128(taps.bits);
    for (int y = 0; y < dst.height; ++y) {
        PairNeighbours(src.Row(y), src.width, paired.data());
        uint8_t* out = dst.Row(y);
        for (int x = 0; x < dst.width; ++x, out += 3) {
            const int16_t* pw = &pairWeights[static_cast<size_t>(x) * pairsPerPixel * 8];
            const int16_t* p = &paired[static_cast<size_t>(taps.first[x]) * 8];
            __m128i sum = rounding;
            for (int k = 0, n = taps.count[x]; k < n; k += 2, pw += 8, p += 16) {
                const __m128i pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
                sum = _mm_add_epi32(sum, _mm_madd_epi16(pixels, _mm_loadu_si128(reinterpret_cast<const __m128i*>(pw))));
            }
            const __m128i words = _mm_packs_epi32(_mm_sra_epi32(sum, shift), _mm_setzero_si128());
            const uint32_t bgr = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, words)));
            out[0] = static_cast<uint8_t>(bgr);
            out[1] = static_cast<uint8_t>(bgr >> 8);
            out[2] = static_cast<uint8_t>(bgr >> 16);
        }
    }
}
#else
void ResizeRows(const Plane& src, const AxisTaps& taps, const Plane& dst)
{
    const int32_t rounding = 1 << (taps.bits - 1);
    for (int y = 0; y < dst.height; ++y) {
        const uint8_t* in = src.Row(y);
        uint8_t* out = dst.Row(y);
        for (int x = 0; x < dst.width; ++x, out += 3) {
            const int16_t* w = &taps.weights[static_cast<size_t>(x) * taps.stride];
            const uint8_t* p = in + taps.first[x] * 3;
            int32_t b = rounding, g = rounding, r = rounding;
            for (int k = 0, n = taps.count[x]; k < n; ++k, p += 3) {
                b += w[k] * p[0];
                g += w[k] * p[1];
                r += w[k] * p[2];
            }
            out[0] = ToByte(b, taps.bits);
            out[1] = ToByte(g, taps.bits);
            out[2] = ToByte(r, taps.bits);
        }
    }
}
#endif

// One output row of the column pass over bytes [from, to): every byte a weighted sum of the
// bytes below one another in the source rows.
void ColumnBytes(const Plane& src, const int16_t* w, int first, int n, int bits, int from, int to, uint8_t* out)
{
    for (int i = from; i < to; ++i) {
        int32_t sum = 1 << (bits - 1);
        for (int k = 0; k < n; ++k)
            sum += w[k] * src.Row(first + k)[i];
        out[i] = ToByte(sum, bits);
    }
}

// Each output row, 16 bytes at a time: the sums stay in registers over all taps, and two
// source rows go into one multiply-add (bytes of row k and k + 1 interleaved as 16-bit pairs
// against the pair of weights). Integer throughout, so the result equals ColumnBytes.
void ResizeColumns(const Plane& src, const AxisTaps& taps, const Plane& dst)
{
    const int rowBytes = dst.width * 3;
    std::vector<int32_t> pairs;
    for (int y = 0; y < dst.height; ++y) {
        const int16_t* w = &taps.weights[static_cast<size_t>(y) * taps.stride];
        const int first = taps.first[y], n = taps.count[y];
        uint8_t* out = dst.Row(y);
        int done = 0;
#if defined(__SSE2__)
        // The weights of taps k and k + 1 side by side in each 32-bit lane (a last odd tap
        // is paired with a zero weight).
        pairs.clear();
        for (int k = 0; k < n; k += 2) {
            const uint32_t second = k + 1 < n ? static_cast<uint16_t>(w[k + 1]) : 0;
            pairs.push_back(static_cast<int32_t>(static_cast<uint16_t>(w[k]) | (second << 16)));
        }
        const __m128i zero = _mm_setzero_si128();
        const __m128i rounding = _mm_set1_epi32(1 << (taps.bits - 1));
        const __m128i shift = _mm_cvtsi32_si128(taps.bits);
        for (; done + 16 <= rowBytes; done += 16) {
            __m128i s0 = rounding, s1 = rounding, s2 = rounding, s3 = rounding;
            for (int k = 0; k < n; k += 2) {
                const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.Row(first + k) + done));
                const __m128i b = k + 1 < n ? _mm_loadu_si128(reinterpret_cast<const __m128i*>(src.Row(first + k + 1) + done)) : zero;
                const __m128i weights = _mm_set1_epi32(pairs[k / 2]);
                // a0 b0 a1 b1 ... as bytes, then widened: the 16-bit pairs for the multiply-add.
                const __m128i low = _mm_unpacklo_epi8(a, b), high = _mm_unpackhi_epi8(a, b);
                s0 = _mm_add_epi32(s0, _mm_madd_epi16(_mm_unpacklo_epi8(low, zero), weights));
                s1 = _mm_add_epi32(s1, _mm_madd_epi16(_mm_unpackhi_epi8(low, zero), weights));
                s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_unpacklo_epi8(high, zero), weights));
                s3 = _mm_add_epi32(s3, _mm_madd_epi16(_mm_unpackhi_epi8(high, zero), weights));
            }
            const __m128i low = _mm_packs_epi32(_mm_sra_epi32(s0, shift), _mm_sra_epi32(s1, shift));
            const __m128i high = _mm_packs_epi32(_mm_sra_epi32(s2, shift), _mm_sra_epi32(s3, shift));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(out + done), _mm_packus_epi16(low, high));
        }
#endif
        ColumnBytes(src, w, first, n, taps.bits, done, rowBytes, out);
    }
}

Plane PlaneOf(const Image& image)
{
    return Plane{const_cast<uint8_t*>(image.pixels.data()), image.stride, image.width, image.height};
}

bool ResizeInto(const Image& src, double kernelWidth, Image& result)
{
    const int w = result.width, h = result.height;
    const bool doRows = w != src.width, doColumns = h != src.height;
    if (!doRows && !doColumns) {
        for (int y = 0; y < h; ++y)
            std::copy_n(src.Row(y), w * 3, result.Row(y));
        return true;
    }
    AxisTaps rowTaps, columnTaps;
    if (doRows)
        BuildTaps(src.width, w, kernelWidth, rowTaps);
    if (doColumns)
        BuildTaps(src.height, h, kernelWidth, columnTaps);
    if (!doRows) {
        ResizeColumns(PlaneOf(src), columnTaps, PlaneOf(result));
        return true;
    }
    if (!doColumns) {
        ResizeRows(PlaneOf(src), rowTaps, PlaneOf(result));
        return true;
    }
    // Rows first: every source row is filtered to the new width, then the columns. Columns
    // first: the new number of rows at the old width, then the rows. The smaller amount of work wins,
    // unless its intermediate picture would be too big (a long thin picture turned into a
    // tall thin one); one of the two always fits, since their sizes multiply to the
    // source's times the result's pixel count.
    const int64_t rowsFirst = int64_t{src.height} * rowTaps.total + int64_t{w} * columnTaps.total;
    const int64_t columnsFirst = int64_t{src.width} * columnTaps.total + int64_t{h} * rowTaps.total;
    bool byRowsFirst = rowsFirst <= columnsFirst;
    if (int64_t{byRowsFirst ? w : src.width} * (byRowsFirst ? src.height : h) > kMaxPixels)
        byRowsFirst = !byRowsFirst;
    const int midWidth = byRowsFirst ? w : src.width;
    const int midHeight = byRowsFirst ? src.height : h;
    std::vector<uint8_t, PooledAllocator<uint8_t>> mid(static_cast<size_t>(midWidth) * 3 * static_cast<size_t>(midHeight));
    const Plane midPlane{mid.data(), ptrdiff_t{midWidth} * 3, midWidth, midHeight};
    if (byRowsFirst) {
        ResizeRows(PlaneOf(src), rowTaps, midPlane);
        ResizeColumns(midPlane, columnTaps, PlaneOf(result));
    } else {
        ResizeColumns(PlaneOf(src), columnTaps, midPlane);
        ResizeRows(midPlane, rowTaps, PlaneOf(result));
    }
    return true;
}

}  // namespace

bool Resize(const Image& src, int w, int h, Image& out, double kernelWidth)
{
    Image result;
    bool ok = kernelWidth > 0 && !src.Empty() && src.pixels.size() >= static_cast<size_t>(src.stride) * static_cast<size_t>(src.height)
        && src.stride >= src.width * 3 && result.Allocate(w, h);
    if (ok) {
        try {
            ok = ResizeInto(src, kernelWidth, result);
        } catch (const std::bad_alloc&) {
            ok = false;
        }
    }
    if (!ok) {
        out.Clear();
        return false;
    }
    out = std::move(result);
    return true;
}
