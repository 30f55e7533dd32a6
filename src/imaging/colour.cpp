#include "imaging/colour.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <memory>

#include <lcms2.h>

// Little CMS reports errors through a handler that does nothing by default, and answers
// null for a profile or transform it cannot make; the default context is safe to use from
// several threads, and each transform here belongs to one picture.

namespace {

// Grey pixels arrive as BGR with three equal bytes; Little CMS reads the first and skips two.
constexpr cmsUInt32Number kGreyInBgr = COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(2);

// The colour space is taken as a plain number: a damaged profile can name any four bytes,
// and a value outside its enumeration must not be held in cmsColorSpaceSignature.
cmsUInt32Number InputFormat(PixelLayout layout, cmsUInt32Number space)
{
    switch (layout) {
    case PixelLayout::Bgr:
        if (space == cmsSigRgbData) return TYPE_BGR_8;
        if (space == cmsSigGrayData) return kGreyInBgr;
        return 0;
    case PixelLayout::Cmyk: return space == cmsSigCmykData ? TYPE_CMYK_8 : 0;
    case PixelLayout::CmykInverted: return space == cmsSigCmykData ? TYPE_CMYK_8_REV : 0;
    }
    return 0;
}

// Null when the profile is unusable for the layout.
cmsHTRANSFORM OpenTransform(const std::vector<uint8_t>& profile, PixelLayout layout, bool* grey)
{
    if (profile.empty()) return nullptr;
    cmsHPROFILE source = cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
    if (!source) return nullptr;
    const cmsUInt32Number space = cmsGetColorSpace(source);
    const cmsUInt32Number format = InputFormat(layout, space);
    cmsHTRANSFORM transform = nullptr;
    cmsHPROFILE srgb = format ? cmsCreate_sRGBProfile() : nullptr;
    if (srgb) {
        // No one-pixel cache: neighbouring pixels of a photo seldom repeat, and the check costs.
        transform = cmsCreateTransform(source, format, srgb, TYPE_BGR_8, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
        cmsCloseProfile(srgb);
    }
    *grey = space == cmsSigGrayData;
    cmsCloseProfile(source);
    return transform;
}

bool IsGrey(const Image& image)
{
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* p = image.Row(y);
        for (int x = 0; x < image.width; ++x, p += 3)
            if (p[0] != p[1] || p[1] != p[2]) return false;
    }
    return true;
}

// Matrix/curve profiles (those of cameras and phones, Adobe RGB, Display P3) convert the
// way Little CMS converts them: each channel through its curve into linear light, a 3 x 3
// matrix into linear sRGB (both profiles' colorants are relative to the same D50 white),
// clipping, and sRGB's curve. Done here with tables, as a few operations a pixel, instead of
// Little CMS's general per-pixel machinery, which is several times slower.
class MatrixShaper {
public:
    bool Build(cmsHPROFILE source)
    {
        // A profile that also holds a table for this intent is converted through the table.
        if (cmsGetColorSpace(source) != cmsSigRgbData || !cmsIsMatrixShaper(source) ||
            cmsIsCLUT(source, INTENT_PERCEPTUAL, LCMS_USED_AS_INPUT))
            return false;
        double toXyz[3][3], fromXyz[3][3];
        cmsHPROFILE srgb = cmsCreate_sRGBProfile();
        const bool colorants = srgb && Colorants(source, toXyz) && Colorants(srgb, fromXyz) && Invert(fromXyz);
        if (srgb) cmsCloseProfile(srgb);
        if (!colorants) return false;
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                double sum = 0;
                for (int k = 0; k < 3; ++k) sum += fromXyz[i][k] * toXyz[k][j];
                matrix_[i][j] = static_cast<float>(sum);
            }
        const cmsTagSignature curveTags[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
        for (int c = 0; c < 3; ++c) {
            const auto* curve = static_cast<const cmsToneCurve*>(cmsReadTag(source, curveTags[c]));
            if (!curve) return false;
            for (int v = 0; v < 256; ++v) linear_[c][v] = cmsEvalToneCurveFloat(curve, static_cast<float>(v / 255.0));
        }
        // A damaged profile's curves can give NaN or infinity; Little CMS's own machinery takes it then.
        for (const auto& row : matrix_)
            if (!std::all_of(std::begin(row), std::end(row), [](float f) { return std::isfinite(f); })) return false;
        for (const auto& curve : linear_)
            if (!std::all_of(std::begin(curve), std::end(curve), [](float f) { return std::isfinite(f); })) return false;
        for (int i = 0; i < kEncodeSteps; ++i) {
            const double l = double(i) / (kEncodeSteps - 1);
            const double e = l <= 0.0031308 ? 12.92 * l : 1.055 * std::pow(l, 1 / 2.4) - 0.055;
            encode_[i] = static_cast<uint8_t>(std::clamp(static_cast<int>(e * 255 + 0.5), 0, 255));
        }
        return true;
    }

    void Convert(uint8_t* bgr, int width) const
    {
        for (int x = 0; x < width; ++x, bgr += 3) {
            const float r = linear_[0][bgr[2]], g = linear_[1][bgr[1]], b = linear_[2][bgr[0]];
            for (int c = 0; c < 3; ++c) {
                const float l = matrix_[c][0] * r + matrix_[c][1] * g + matrix_[c][2] * b;
                // Written so that a NaN (finite tables can still overflow into one) gives black, never an index.
                const int step = l > 0 ? (l < 1 ? static_cast<int>(l * (kEncodeSteps - 1) + 0.5f) : kEncodeSteps - 1) : 0;
                bgr[2 - c] = encode_[step];
            }
        }
    }

private:
    // Linear light in steps fine enough that sRGB's steepest part (12.92 near black) moves
    // by a fifth of an 8-bit step at most between two of them.
    static constexpr int kEncodeSteps = 16384;

    // Columns: the XYZ of the red, green and blue colorants.
    static bool Colorants(cmsHPROFILE profile, double m[3][3])
    {
        const cmsTagSignature tags[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag};
        for (int c = 0; c < 3; ++c) {
            const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(profile, tags[c]));
            if (!xyz) return false;
            m[0][c] = xyz->X, m[1][c] = xyz->Y, m[2][c] = xyz->Z;
        }
        return true;
    }

    static bool Invert(double m[3][3])
    {
        const double det = m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) - m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
                           m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
        if (std::fabs(det) < 1e-9) return false;
        double inv[3][3];
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 3; ++j) {
                const int i1 = (j + 1) % 3, i2 = (j + 2) % 3, j1 = (i + 1) % 3, j2 = (i + 2) % 3;
                inv[i][j] = (m[i1][j1] * m[i2][j2] - m[i1][j2] * m[i2][j1]) / det;
            }
        std::memcpy(m, inv, sizeof inv);
        return true;
    }

    float matrix_[3][3] = {};
    float linear_[3][256] = {};
    uint8_t encode_[kEncodeSteps] = {};
};

// No colour of a 9 x 9 x 9 grid over the whole cube moves by more than one step: the profile
// describes sRGB itself (as cameras' embedded sRGB profiles do), and the pixels are left alone.
template <class ConvertRow>
bool ChangesNothing(const ConvertRow& convert)
{
    constexpr int kSteps[9] = {0, 32, 64, 96, 128, 160, 192, 224, 255};
    uint8_t in[9 * 9 * 9 * 3], out[sizeof in];
    int n = 0;
    for (int b : kSteps)
        for (int g : kSteps)
            for (int r : kSteps) in[n++] = static_cast<uint8_t>(b), in[n++] = static_cast<uint8_t>(g), in[n++] = static_cast<uint8_t>(r);
    std::memcpy(out, in, sizeof in);
    convert(out, 9 * 9 * 9);
    for (size_t i = 0; i < sizeof in; ++i)
        if (std::abs(int{in[i]} - int{out[i]}) > 1) return false;
    return true;
}

} // namespace

SrgbTransform::SrgbTransform(const std::vector<uint8_t>& profile, PixelLayout input)
{
    transform_ = OpenTransform(profile, input, &grey_);
}

SrgbTransform::~SrgbTransform()
{
    if (transform_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_));
}

void SrgbTransform::Convert(const uint8_t* in, uint8_t* bgr, int width) const
{
    if (transform_ && width > 0) cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), in, bgr, static_cast<cmsUInt32Number>(width));
}

bool ConvertToSrgb(Image& image, const std::vector<uint8_t>& profile)
{
    if (image.Empty() || profile.empty()) return false;
    cmsHPROFILE source = cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
    if (!source) return false;
    auto shaper = std::make_unique<MatrixShaper>();
    const bool fast = shaper->Build(source);
    cmsCloseProfile(source);
    if (fast) {
        const auto convert = [&](uint8_t* row, int width) { shaper->Convert(row, width); };
        if (ChangesNothing(convert)) return false;
        for (int y = 0; y < image.height; ++y) convert(image.Row(y), image.width);
        return true;
    }
    // Other RGB profiles (tables, not curves and a matrix) and grey ones, through Little CMS.
    SrgbTransform transform(profile, PixelLayout::Bgr);
    if (!transform.Usable()) return false;
    const auto convert = [&](uint8_t* row, int width) { transform.Convert(row, row, width); };
    if (!transform.ForGrey() && ChangesNothing(convert)) return false;
    // A grey profile on a colour picture belongs to some other picture; it is not used.
    if (transform.ForGrey() && !IsGrey(image)) return false;
    for (int y = 0; y < image.height; ++y) convert(image.Row(y), image.width);
    return true;
}
