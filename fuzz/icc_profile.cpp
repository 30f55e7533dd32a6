// The colour profile embedded in a JPEG, PNG, TIFF or WebP file, and the bytes
// themselves taken as a profile, through Little CMS into an sRGB transform.
#include <cstdlib>

#include "imaging/colour.h"
#include "imaging/icc_profile.h"

namespace {

void Use(const std::vector<uint8_t>& profile)
{
    // An RGB or grey profile goes through ConvertToSrgb; a CMYK one through the
    // transform the JPEG decoder makes for CMYK files.
    SrgbTransform cmyk(profile, PixelLayout::Cmyk);
    if (cmyk.Usable()) {
        const uint8_t in[4 * 2] = {0, 64, 128, 255, 200, 100, 50, 25};
        uint8_t out[3 * 2];
        cmyk.Convert(in, out, 2);
    }
    Image image;
    if (!image.Allocate(3, 2)) std::abort();
    image.Row(0)[0] = 200;
    image.Row(1)[4] = 90;
    ConvertToSrgb(image, profile);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::vector<uint8_t> profile = ExtractIccProfile(data, size);
    if (profile.size() > kMaxIccProfileBytes) std::abort();
    if (!profile.empty()) Use(profile);
    Use(std::vector<uint8_t>(data, data + size));
    return 0;
}
