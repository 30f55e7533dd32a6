#pragma once
// The pixel size a picture file claims, read from its header alone, so a
// hostile file that claims a gigantic size is refused before any decoder
// allocates for it.
#include <cstddef>
#include <cstdint>

// Heif: the HEIF container, whichever codec it holds (HEIC, HEIF, Canon's and Sony's HIF, AVIF).
enum class PictureFormat { Unknown, Jpeg, Png, Gif, Bmp, Tiff, Webp, Emf, Wmf, Heif };

struct PictureProbe {
    PictureFormat format = PictureFormat::Unknown;
    int64_t width = 0, height = 0;  // 0 when the header does not say
    int64_t tiles = 0;              // a HEIF grid's tiles
    int repeatedTransforms = 0;     // a HEIF picture's turns, mirrors and crops beyond one of each
};

// A phone's grid has a few dozen tiles (an iPhone's 12 MP photo 48, a 48 MP one 192); each tile
// costs a decoder of its own, so a grid of thousands of tiny ones is refused like a giant picture.
constexpr int64_t kMaxHeifTiles = 1024;

// Metafiles say how large they are meant to be in physical units; they are
// measured in pixels at this resolution, the one Windows assumes for a screen.
constexpr int kMetafileDpi = 96;

// For an EMF, the frame of its header; for a placeable WMF, its box. A WMF
// without the placeable header is a Wmf of size 0: it does not say its size.
// A HEIF file is told by the brands of its ftyp box; its size is the spatial
// extent (ispe) of its primary image, sides swapped by a quarter turn (irot),
// or for a grid the larger size its own data claims.
PictureProbe ProbePicture(const uint8_t* data, size_t size);
// False when the header claims a size we never decode (over kMaxPixels or a side over kMaxSide),
// a grid of more than kMaxHeifTiles, or the same transform twice (a decoder would apply each,
// each a copy of the whole picture).
bool ClaimedSizeAcceptable(const PictureProbe& probe);
