#include "imaging/nclx.h"

#include <algorithm>
#include <cmath>

#include <lcms2.h>

bool PrimariesOf(int code, ColourPrimaries& out)
{
    constexpr double kD65x = 0.3127, kD65y = 0.3290, kCx = 0.310, kCy = 0.316;
    switch (code) {
    case 1: out = {0.640, 0.330, 0.300, 0.600, 0.150, 0.060, kD65x, kD65y}; return true;   // BT.709, sRGB
    case 4: out = {0.67, 0.33, 0.21, 0.71, 0.14, 0.08, kCx, kCy}; return true;             // BT.470 M
    case 5: out = {0.64, 0.33, 0.29, 0.60, 0.15, 0.06, kD65x, kD65y}; return true;         // BT.470 B/G, BT.601 625
    case 6:
    case 7: out = {0.630, 0.340, 0.310, 0.595, 0.155, 0.070, kD65x, kD65y}; return true;   // BT.601 525, SMPTE 240M
    case 8: out = {0.681, 0.319, 0.243, 0.692, 0.145, 0.049, kCx, kCy}; return true;       // generic film
    case 9: out = {0.708, 0.292, 0.170, 0.797, 0.131, 0.046, kD65x, kD65y}; return true;   // BT.2020
    case 11: out = {0.680, 0.320, 0.265, 0.690, 0.150, 0.060, 0.314, 0.351}; return true;  // DCI-P3
    case 12: out = {0.680, 0.320, 0.265, 0.690, 0.150, 0.060, kD65x, kD65y}; return true;  // Display P3
    case 22: out = {0.630, 0.340, 0.295, 0.605, 0.155, 0.077, kD65x, kD65y}; return true;  // EBU 3213
    default: return false;
    }
}

namespace {

enum class Curve { Srgb, Gamma22, Gamma28, Linear, Pq };

Curve CurveOf(int transfer)
{
    switch (transfer) {
    case 4: return Curve::Gamma22;
    case 5: return Curve::Gamma28;
    case 8: return Curve::Linear;
    case 16: return Curve::Pq;
    default: return Curve::Srgb;  // 1, 6, 14, 15 (BT.709 and its kin), 13 (sRGB), 18 (HLG), unspecified
    }
}

// PQ's signal to light relative to the reference white, highlights rolled off smoothly
// above 0.8 of white so that they keep some shape instead of clipping flat.
double PqToStandardRange(double signal)
{
    constexpr double m1 = 2610.0 / 16384, m2 = 2523.0 / 4096 * 128, c1 = 3424.0 / 4096, c2 = 2413.0 / 4096 * 32,
                     c3 = 2392.0 / 4096 * 32;
    const double p = std::pow(std::clamp(signal, 0.0, 1.0), 1 / m2);
    const double nits = 10000 * std::pow(std::max(p - c1, 0.0) / (c2 - c3 * p), 1 / m1);
    const double x = nits / 203;
    constexpr double knee = 0.8;
    if (x <= knee) return x;
    return knee + (1 - knee) * (1 - std::exp(-(x - knee) / (1 - knee)));
}

cmsToneCurve* MakeCurve(Curve curve)
{
    switch (curve) {
    case Curve::Srgb: {
        const cmsFloat64Number srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
        return cmsBuildParametricToneCurve(nullptr, 4, srgb);
    }
    case Curve::Gamma22: return cmsBuildGamma(nullptr, 2.2);
    case Curve::Gamma28: return cmsBuildGamma(nullptr, 2.8);
    case Curve::Linear: return cmsBuildGamma(nullptr, 1.0);
    case Curve::Pq: {
        constexpr int kEntries = 4096;
        cmsFloat32Number values[kEntries];
        for (int i = 0; i < kEntries; ++i) values[i] = static_cast<cmsFloat32Number>(PqToStandardRange(double(i) / (kEntries - 1)));
        return cmsBuildTabulatedToneCurveFloat(nullptr, kEntries, values);
    }
    }
    return nullptr;
}

}  // namespace

std::vector<uint8_t> ProfileForNclx(int primaries, int transfer)
{
    ColourPrimaries p{};
    const bool known = PrimariesOf(primaries, p);
    const Curve curve = CurveOf(transfer);
    if ((!known || primaries == 1) && curve == Curve::Srgb) return {};
    if (!known) PrimariesOf(1, p);
    const cmsCIExyY white{p.whiteX, p.whiteY, 1.0};
    const cmsCIExyYTRIPLE colorants{{p.redX, p.redY, 1.0}, {p.greenX, p.greenY, 1.0}, {p.blueX, p.blueY, 1.0}};
    cmsToneCurve* tone = MakeCurve(curve);
    if (!tone) return {};
    cmsToneCurve* curves[3] = {tone, tone, tone};
    std::vector<uint8_t> bytes;
    if (cmsHPROFILE profile = cmsCreateRGBProfile(&white, &colorants, curves)) {
        cmsUInt32Number size = 0;
        if (cmsSaveProfileToMem(profile, nullptr, &size) && size > 0) {
            bytes.resize(size);
            if (!cmsSaveProfileToMem(profile, bytes.data(), &size)) bytes.clear();
        }
        cmsCloseProfile(profile);
    }
    cmsFreeToneCurve(tone);
    return bytes;
}
