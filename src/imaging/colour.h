#pragma once
// Colour management with Little CMS 2: a picture that carries an ICC profile is turned into
// sRGB, the colour space of the JPEGs we write and of every picture that carries none.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/image.h"

// What a transform reads: 8-bit BGR (for an RGB or grey profile) or 8-bit CMYK, in which
// 255 means full ink, or no ink where it is inverted (Adobe's CMYK JPEGs).
enum class PixelLayout { Bgr, Cmyk, CmykInverted };

// A transform from the colour space of a profile to 8-bit sRGB BGR, perceptual intent.
class SrgbTransform {
public:
    // Usable() only when the profile parses and describes the layout's colour space (RGB or
    // grey for Bgr, CMYK for the others) in a way that converts to sRGB.
    SrgbTransform(const std::vector<uint8_t>& profile, PixelLayout input);
    ~SrgbTransform();
    SrgbTransform(const SrgbTransform&) = delete;
    SrgbTransform& operator=(const SrgbTransform&) = delete;
    bool Usable() const { return transform_ != nullptr; }
    bool ForGrey() const { return grey_; }
    // width pixels from in to bgr; for Bgr, in may be bgr itself.
    void Convert(const uint8_t* in, uint8_t* bgr, int width) const;
private:
    void* transform_ = nullptr;
    bool grey_ = false;
};

// Turns the pixels, described by the profile, into sRGB in place. True when they were
// converted; false, and the pixels left as they are (read as sRGB), when the profile is empty,
// unusable, a grey one on a colour picture, or sRGB's own.
bool ConvertToSrgb(Image& image, const std::vector<uint8_t>& profile);
