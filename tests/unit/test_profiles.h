#pragma once
// Colour profiles for tests, made with Little CMS's own profile builder.
#include <cstdint>
#include <vector>

#include <lcms2.h>

// The profile's bytes; the profile is closed.
inline std::vector<uint8_t> Saved(cmsHPROFILE profile)
{
    cmsUInt32Number size = 0;
    std::vector<uint8_t> bytes;
    if (cmsSaveProfileToMem(profile, nullptr, &size)) {
        bytes.resize(size);
        cmsSaveProfileToMem(profile, bytes.data(), &size);
    }
    cmsCloseProfile(profile);
    return bytes;
}

// Adobe RGB (1998): its primaries, D65 white and a pure gamma of 563/256, as its definition has them.
inline std::vector<uint8_t> AdobeRgb()
{
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    std::vector<uint8_t> bytes = Saved(cmsCreateRGBProfile(&white, &primaries, curves));
    cmsFreeToneCurve(gamma);
    return bytes;
}

// A CMYK profile that looks at the cyan ink alone: none is white, full is L* 50 grey
// (sRGB 119). A 2 x 2 x 2 x 2 table, cyan the slowest index.
inline std::vector<uint8_t> CyanOnlyCmykProfile()
{
    cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
    cmsSetProfileVersion(profile, 4.3);
    cmsSetDeviceClass(profile, cmsSigOutputClass);
    cmsSetColorSpace(profile, cmsSigCmykData);
    cmsSetPCS(profile, cmsSigLabData);
    cmsUInt16Number table[16 * 3];
    for (int i = 0; i < 16; ++i) {
        table[3 * i] = i < 8 ? 0xFFFF : 0x8000;  // L* 100 or 50
        table[3 * i + 1] = table[3 * i + 2] = 0x8080;  // a* = b* = 0
    }
    // A v4 table is curves, grid, curves; the curves here change nothing.
    cmsPipeline* toLab = cmsPipelineAlloc(nullptr, 4, 3);
    cmsPipelineInsertStage(toLab, cmsAT_END, cmsStageAllocToneCurves(nullptr, 4, nullptr));
    cmsPipelineInsertStage(toLab, cmsAT_END, cmsStageAllocCLut16bit(nullptr, 2, 4, 3, table));
    cmsPipelineInsertStage(toLab, cmsAT_END, cmsStageAllocToneCurves(nullptr, 3, nullptr));
    cmsWriteTag(profile, cmsSigAToB0Tag, toLab);
    cmsPipelineFree(toLab);
    return Saved(profile);
}
