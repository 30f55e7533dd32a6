#pragma once
// The colour description that video codecs and HEIF files give as numbers instead of an
// ICC profile ("nclx": colour primaries, transfer characteristics and matrix coefficients of
// ITU-T H.273).
#include <cstdint>
#include <vector>

// CIE xy chromaticities of the three primaries and the white.
struct ColourPrimaries {
    double redX, redY, greenX, greenY, blueX, blueY, whiteX, whiteY;
};

// The chromaticities of a colour_primaries value; false for unknown values and for 2
// (unspecified), which we read as sRGB's.
bool PrimariesOf(int code, ColourPrimaries& out);

// An ICC profile that describes an RGB picture of these primaries and transfer
// characteristics, for ConvertToSrgb. Empty when the picture is sRGB already as far as we
// convert: BT.709 or unknown primaries with an sRGB-like curve. The BT.709, BT.601, BT.2020
// and HLG curves are read as sRGB's, as displays show such pictures; PQ (HDR10) is brought
// to standard range with its reference white (203 cd/m2) as white.
std::vector<uint8_t> ProfileForNclx(int primaries, int transfer);
