#include "imaging/colour.h"

#include <cstdlib>

#include <lcms2.h>

namespace {

// Grey pixels arrive as BGR with three equal bytes; Little CMS reads the first and skips two.
constexpr cmsUInt32Number kGreyInBgr = COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(2);

cmsUInt32Number InputFormat(PixelLayout layout, cmsColorSpaceSignature space)
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

bool IsGrey(const Image& image)
{
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* p = image.Row(y);
        for (int x = 0; x < image.width; ++x, p += 3)
            if (p[0] != p[1] || p[1] != p[2]) return false;
    }
    return true;
}

} // namespace

// Little CMS reports errors through a handler that does nothing by default, and answers
// null for a profile or transform it cannot make; the default context is safe to use from
// several threads, and each transform here belongs to one picture.
SrgbTransform::SrgbTransform(const std::vector<uint8_t>& profile, PixelLayout input)
{
    if (profile.empty()) return;
    cmsHPROFILE source = cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size()));
    if (!source) return;
    const cmsColorSpaceSignature space = cmsGetColorSpace(source);
    const cmsUInt32Number format = InputFormat(input, space);
    cmsHPROFILE srgb = format ? cmsCreate_sRGBProfile() : nullptr;
    if (srgb) {
        transform_ = cmsCreateTransform(source, format, srgb, TYPE_BGR_8, INTENT_PERCEPTUAL, 0);
        grey_ = space == cmsSigGrayData;
        cmsCloseProfile(srgb);
    }
    cmsCloseProfile(source);
}

SrgbTransform::~SrgbTransform()
{
    if (transform_) cmsDeleteTransform(static_cast<cmsHTRANSFORM>(transform_));
}

void SrgbTransform::Convert(const uint8_t* in, uint8_t* bgr, int width) const
{
    if (transform_ && width > 0) cmsDoTransform(static_cast<cmsHTRANSFORM>(transform_), in, bgr, static_cast<cmsUInt32Number>(width));
}

// Sampled on a 9 x 9 x 9 grid of BGR colours, which covers the whole cube including its
// corners; a profile of another space moves some of them by far more than one step.
bool SrgbTransform::ChangesNothing() const
{
    if (!transform_ || grey_) return false;
    constexpr int kSteps[9] = {0, 32, 64, 96, 128, 160, 192, 224, 255};
    uint8_t in[9 * 9 * 9 * 3], out[sizeof in];
    int n = 0;
    for (int b : kSteps)
        for (int g : kSteps)
            for (int r : kSteps) {
                in[n++] = static_cast<uint8_t>(b);
                in[n++] = static_cast<uint8_t>(g);
                in[n++] = static_cast<uint8_t>(r);
            }
    Convert(in, out, 9 * 9 * 9);
    for (size_t i = 0; i < sizeof in; ++i)
        if (std::abs(int{in[i]} - int{out[i]}) > 1) return false;
    return true;
}

bool ConvertToSrgb(Image& image, const std::vector<uint8_t>& profile)
{
    if (image.Empty() || profile.empty()) return false;
    SrgbTransform transform(profile, PixelLayout::Bgr);
    if (!transform.Usable() || transform.ChangesNothing()) return false;
    // A grey profile on a colour picture belongs to some other picture; it is not used.
    if (transform.ForGrey() && !IsGrey(image)) return false;
    for (int y = 0; y < image.height; ++y) transform.Convert(image.Row(y), image.Row(y), image.width);
    return true;
}
