#pragma once
// The pixel size a picture file claims, read from its header alone, so a
// hostile file that claims a gigantic size is refused before any decoder
// allocates for it.
#include <cstddef>
#include <cstdint>

#include "imaging/heif_meta.h"

// Heif: the HEIF container, whichever codec it holds (HEIC, HEIF, Canon's and Sony's HIF, AVIF).
enum class PictureFormat { Unknown, Jpeg, Png, Gif, Bmp, Tiff, Webp, Emf, Wmf, Heif };

struct PictureProbe {
    PictureFormat format = PictureFormat::Unknown;
    int64_t width = 0, height = 0;  // 0 when the header does not say
    int repeatedTransforms = 0;     // a HEIF picture's turns, mirrors and crops beyond one of each
    int64_t tiles = 0;              // a HEIF picture's coded pictures (tiles, layers, alpha planes)
    bool heifItemsSound = true;     // false for a HEIF file whose items fail CheckHeifItems
};

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
// the same transform twice (a decoder would apply each, each a copy of the whole picture), or,
// for a HEIF file, items that CheckHeifItems refuses (over kMaxHeifTiles coded pictures among them).
bool ClaimedSizeAcceptable(const PictureProbe& probe);
