#include "imaging/resample.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <numbers>
#include <utility>
#include <vector>

// A separable Lanczos-3 filter. Each output pixel is a weighted sum of the source pixels
// around its centre; the weights of one axis are computed once (they depend only on the
// output position) and kept as 20-bit fixed point, so the passes are integer
// multiply-adds. For a reduction the kernel is stretched by the reduction factor, so that
// it also low-passes away what the smaller picture cannot hold (no aliasing, no moire); for
// an enlargement it is plain 3-lobe interpolation. Source pixels beyond an edge repeat the
// edge pixel. The two axes run one after the other through an 8-bit intermediate picture,
// in whichever order costs fewer multiply-adds.

namespace {

constexpr double kLobes = 3.0;
// Fixed-point weights: with 20 fraction bits a sum of 255 * weights stays inside int32
// even for the negative lobes (the absolute weights of a row add up to about 1.3, the
// headroom is 8), and the tiny weights of an extreme reduction (65500 taps) stay nonzero.
constexpr int kWeightBits = 20;
constexpr int32_t kWeightOne = 1 << kWeightBits;
constexpr int32_t kRounding = 1 << (kWeightBits - 1);

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
    std::vector<int32_t> weights;
    int stride = 0;
    int64_t total = 0;  // multiply-adds per output row or column, for choosing the pass order
};

void BuildTaps(int srcSize, int dstSize, AxisTaps& taps)
{
    const double scale = static_cast<double>(srcSize) / dstSize;
    const double filterScale = std::max(scale, 1.0);
    const double support = kLobes * filterScale;
    taps.stride = static_cast<int>(std::min<double>(srcSize, std::ceil(2 * support) + 2));
    taps.first.assign(dstSize, 0);
    taps.count.assign(dstSize, 0);
    taps.weights.assign(static_cast<size_t>(dstSize) * taps.stride, 0);
    taps.total = 0;
    std::vector<double> raw(taps.stride);
    for (int i = 0; i < dstSize; ++i) {
        // Pixel j covers [j, j + 1) in source coordinates; output i is centred at (i + 0.5) * scale.
        const double centre = (i + 0.5) * scale;
        const int64_t jStart = static_cast<int64_t>(std::ceil(centre - support - 0.5));
        const int64_t jEnd = static_cast<int64_t>(std::floor(centre + support - 0.5));
        const int first = static_cast<int>(std::clamp<int64_t>(jStart, 0, srcSize - 1));
        const int last = static_cast<int>(std::clamp<int64_t>(jEnd, 0, srcSize - 1));
        const int count = std::min(last - first + 1, taps.stride);
        std::fill(raw.begin(), raw.begin() + count, 0.0);
        double sum = 0.0;
        for (int64_t j = jStart; j <= jEnd; ++j) {
            const double w = Lanczos3((j + 0.5 - centre) / filterScale);
            const int at = static_cast<int>(std::clamp<int64_t>(j, first, first + count - 1)) - first;
            raw[at] += w;
            sum += w;
        }
        int32_t* weights = &taps.weights[static_cast<size_t>(i) * taps.stride];
        if (std::fabs(sum) < 1e-9) {  // cannot happen for Lanczos-3; never divide by it
            weights[0] = kWeightOne;
            taps.first[i] = first;
            taps.count[i] = 1;
            taps.total += 1;
            continue;
        }
        // Quantise, then give the rounding remainder to the largest weight, so the weights
        // add up to exactly one and a flat area stays exactly flat.
        int32_t quantisedSum = 0;
        int largest = 0;
        for (int k = 0; k < count; ++k) {
            weights[k] = static_cast<int32_t>(std::lround(raw[k] / sum * kWeightOne));
            quantisedSum += weights[k];
            if (weights[k] > weights[largest])
                largest = k;
        }
        weights[largest] += kWeightOne - quantisedSum;
        // Drop zero weights at both ends (an unchanged axis keeps one tap per pixel).
        int lo = 0, hi = count - 1;
        while (lo < hi && weights[lo] == 0)
            ++lo;
        while (hi > lo && weights[hi] == 0)
            --hi;
        if (lo > 0)
            std::copy(weights + lo, weights + hi + 1, weights);
        taps.first[i] = first + lo;
        taps.count[i] = hi - lo + 1;
        taps.total += hi - lo + 1;
    }
}

uint8_t ToByte(int32_t accumulated)
{
    const int32_t v = accumulated >> kWeightBits;
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// A view of BGR rows: an Image, or the intermediate picture between the two passes.
struct Plane {
    uint8_t* data;
    ptrdiff_t stride;
    int width, height;
    uint8_t* Row(int y) const { return data + y * stride; }
};

void ResizeRows(const Plane& src, const AxisTaps& taps, const Plane& dst)
{
    for (int y = 0; y < dst.height; ++y) {
        const uint8_t* in = src.Row(y);
        uint8_t* out = dst.Row(y);
        for (int x = 0; x < dst.width; ++x, out += 3) {
            const int32_t* w = &taps.weights[static_cast<size_t>(x) * taps.stride];
            const uint8_t* p = in + taps.first[x] * 3;
            int32_t b = kRounding, g = kRounding, r = kRounding;
            for (int k = 0, n = taps.count[x]; k < n; ++k, p += 3) {
                b += w[k] * p[0];
                g += w[k] * p[1];
                r += w[k] * p[2];
            }
            out[0] = ToByte(b);
            out[1] = ToByte(g);
            out[2] = ToByte(r);
        }
    }
}

// sums[i] += the weighted bytes of four rows (or one), over n bytes. The body works in
// blocks of 16 so that GCC vectorises it even at -O2, whose cost model takes only loops
// that need no scalar remainder; the remainder follows on its own.
constexpr int kBlock = 16;

void AddFourRows(int32_t* __restrict sums, const uint8_t* const rows[4], const int32_t* w, int n)
{
    const uint8_t* __restrict a = rows[0];
    const uint8_t* __restrict b = rows[1];
    const uint8_t* __restrict c = rows[2];
    const uint8_t* __restrict d = rows[3];
    const int32_t w0 = w[0], w1 = w[1], w2 = w[2], w3 = w[3];
    const int blocks = n / kBlock;
    for (int block = 0; block < blocks; ++block) {
        const int at = block * kBlock;
        int32_t* s = sums + at;
        const uint8_t *a1 = a + at, *b1 = b + at, *c1 = c + at, *d1 = d + at;
        for (int l = 0; l < kBlock; ++l)
            s[l] += w0 * a1[l] + w1 * b1[l] + w2 * c1[l] + w3 * d1[l];
    }
    for (int i = blocks * kBlock; i < n; ++i)
        sums[i] += w0 * a[i] + w1 * b[i] + w2 * c[i] + w3 * d[i];
}

void AddRow(int32_t* __restrict sums, const uint8_t* __restrict a, int32_t w, int n)
{
    const int blocks = n / kBlock;
    for (int block = 0; block < blocks; ++block) {
        const int at = block * kBlock;
        int32_t* s = sums + at;
        const uint8_t* a1 = a + at;
        for (int l = 0; l < kBlock; ++l)
            s[l] += w * a1[l];
    }
    for (int i = blocks * kBlock; i < n; ++i)
        sums[i] += w * a[i];
}

// Row by row over whole rows, four source rows per sweep, so the sums are loaded and
// stored a quarter as often and every loop runs along memory.
void ResizeColumns(const Plane& src, const AxisTaps& taps, const Plane& dst, std::vector<int32_t>& sums)
{
    const int rowBytes = dst.width * 3;
    sums.resize(rowBytes);
    for (int y = 0; y < dst.height; ++y) {
        std::fill(sums.begin(), sums.end(), kRounding);
        const int32_t* w = &taps.weights[static_cast<size_t>(y) * taps.stride];
        const int first = taps.first[y], n = taps.count[y];
        int k = 0;
        for (; k + 4 <= n; k += 4) {
            const uint8_t* const rows[4] = {src.Row(first + k), src.Row(first + k + 1), src.Row(first + k + 2), src.Row(first + k + 3)};
            AddFourRows(sums.data(), rows, w + k, rowBytes);
        }
        for (; k < n; ++k)
            AddRow(sums.data(), src.Row(first + k), w[k], rowBytes);
        uint8_t* out = dst.Row(y);
        for (int i = 0; i < rowBytes; ++i)
            out[i] = ToByte(sums[i]);
    }
}

Plane PlaneOf(const Image& image)
{
    return Plane{const_cast<uint8_t*>(image.pixels.data()), image.stride, image.width, image.height};
}

bool ResizeInto(const Image& src, Image& result)
{
    const int w = result.width, h = result.height;
    const bool doRows = w != src.width, doColumns = h != src.height;
    if (!doRows && !doColumns) {
        for (int y = 0; y < h; ++y)
            std::copy_n(src.Row(y), w * 3, result.Row(y));
        return true;
    }
    AxisTaps rowTaps, columnTaps;
    std::vector<int32_t> sums;
    if (doRows)
        BuildTaps(src.width, w, rowTaps);
    if (doColumns)
        BuildTaps(src.height, h, columnTaps);
    if (!doRows) {
        ResizeColumns(PlaneOf(src), columnTaps, PlaneOf(result), sums);
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
    std::vector<uint8_t> mid(static_cast<size_t>(midWidth) * 3 * static_cast<size_t>(midHeight));
    const Plane midPlane{mid.data(), ptrdiff_t{midWidth} * 3, midWidth, midHeight};
    if (byRowsFirst) {
        ResizeRows(PlaneOf(src), rowTaps, midPlane);
        ResizeColumns(midPlane, columnTaps, PlaneOf(result), sums);
    } else {
        ResizeColumns(PlaneOf(src), columnTaps, midPlane, sums);
        ResizeRows(midPlane, rowTaps, PlaneOf(result));
    }
    return true;
}

}  // namespace

bool Resize(const Image& src, int w, int h, Image& out)
{
    Image result;
    bool ok = !src.Empty() && src.pixels.size() >= static_cast<size_t>(src.stride) * static_cast<size_t>(src.height)
        && src.stride >= src.width * 3 && result.Allocate(w, h);
    if (ok) {
        try {
            ok = ResizeInto(src, result);
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
