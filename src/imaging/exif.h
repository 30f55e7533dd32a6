#pragma once
// EXIF: the orientation and the fields we keep of a picture's EXIF, standing the pixels
// upright, and the small EXIF written into every output JPEG.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "imaging/image.h"

struct ExifRational {
    uint32_t numerator = 0, denominator = 0;
    bool operator==(const ExifRational&) const = default;
};
struct ExifSignedRational {
    int32_t numerator = 0, denominator = 0;
    bool operator==(const ExifSignedRational&) const = default;
};

// What a picture's EXIF says about when and with what it was taken and by whom, and its
// orientation. Where it was taken (GPS), serial numbers, the MakerNote, comments and the
// thumbnail are never read, so they cannot be passed on. An empty text, or a value that is
// not there, is a tag the source does not have (or has in a form we do not take).
struct ExifFields {
    int orientation = 1;  // 1..8; the pixels are turned by it, so the written EXIF says 1
    std::string dateTime, dateTimeOriginal, dateTimeDigitized;
    std::string offsetTime, offsetTimeOriginal, offsetTimeDigitized;
    std::string subSecTime, subSecTimeOriginal, subSecTimeDigitized;
    std::string make, model, lensMake, lensModel;
    std::string artist, copyright, imageDescription;
    std::optional<ExifRational> exposureTime, fNumber, focalLength;
    std::optional<ExifSignedRational> exposureBias;
    std::optional<uint16_t> iso, exposureProgram, meteringMode, flash, focalLength35mm, whiteBalance;
    bool operator==(const ExifFields&) const = default;
};

// A text longer than this is cut (at a character's start): sixteen of them keep the EXIF far
// under the 64 KB of one JPEG segment. Real ones are a few dozen bytes.
constexpr size_t kMaxExifTextBytes = 1024;
// The most one APP1 segment holds: 65535 less its two length bytes.
constexpr size_t kMaxExifApp1Bytes = 65533;

// The fields of a TIFF block: the bytes after "Exif\0\0" in a JPEG, a HEIF's Exif item after
// its 4-byte offset, PNG's eXIf, WebP's EXIF chunk, or a TIFF file itself. Reads IFD0 and the
// Exif IFD it points to, nothing else. Defaults when it is no TIFF block.
ExifFields ReadExif(const uint8_t* tiff, size_t size);
// The TIFF block of each format's EXIF; empty when there is none.
std::span<const uint8_t> FindJpegExif(const uint8_t* data, size_t size);
std::span<const uint8_t> FindPngExif(const uint8_t* data, size_t size);
std::span<const uint8_t> FindWebpExif(const uint8_t* data, size_t size);
// The fields of a JPEG, PNG, WebP or TIFF file, told apart by content; defaults for others.
ExifFields ReadPictureExif(const uint8_t* data, size_t size);
// Whether the source has anything the written EXIF passes on.
bool HasKeptFields(const ExifFields& fields);
// The APP1 payload ("Exif\0\0" and a little-endian TIFF block) for a width x height output
// picture: the kept fields and what we know of the picture we wrote. Empty when nothing is kept.
std::vector<uint8_t> MakeExifApp1(const ExifFields& fields, int width, int height);

// The Orientation tag (1..8) of IFD0 in the file's Exif APP1 segment; 1 when absent or malformed.
int ReadExifOrientation(const uint8_t* data, size_t size);
// True for 5..8, whose upright picture has width and height swapped.
bool OrientationSwapsSides(int orientation);
// Rotates/flips the pixels so the picture stands upright; values outside 2..8 leave it as it is.
// False only when memory runs out.
bool ApplyOrientation(Image& image, int orientation);
