#pragma once
// A HEIF file's meta box read into its items (ISO/IEC 23008-12): their kinds, properties and
// references, and where their data lies. Nothing is decoded: the picture probe reads a
// picture's claimed size from it, and CheckHeifItems decides from it whether the items a
// decoder would go through to make the primary picture are safe to hand to libheif.
#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "imaging/iso_boxes.h"

// A phone's grid has a few dozen tiles (an iPhone's 12 MP photo 48, a 48 MP one 192); each tile
// costs a decoder of its own, so a picture made of thousands of tiny ones is refused like a
// giant picture. This bounds every coded picture decoded for the primary one: tiles, overlay
// layers and alpha planes.
constexpr int64_t kMaxHeifTiles = 1024;
// Items in a file: the tiles and what goes with them (thumbnails, alpha and depth planes,
// metadata). libheif is given the same limit on items, references and children of a box.
constexpr int64_t kMaxHeifItems = kMaxHeifTiles + 256;
// Pictures made of pictures: a turned (iden) overlay (iovl) of grids (grid) of coded tiles with
// alpha planes is four steps down; a file needs no more. A decoder follows each step by calling
// itself, so a chain must be short and must never come back to where it started.
constexpr int kMaxHeifDerivationDepth = 4;
// An overlay decodes each layer whole and lays it on its canvas.
constexpr int64_t kMaxHeifOverlayLayers = 64;

struct HeifItem {
    uint32_t type = 0;                  // infe's item type: hvc1, av01, grid, iden, iovl, Exif, ...
    std::vector<uint32_t> properties;   // 1-based indices into HeifMeta::properties
    std::vector<uint32_t> derivedFrom;  // dimg: the pictures it is made of, in order
    std::vector<uint32_t> auxiliaryOf;  // auxl: the pictures it is an auxiliary picture of
    int dimgLists = 0;                  // dimg references from it (a decoder reads only the first)
    int propertyLists = 0;              // ipma entries for it (a decoder reads only the first)
};

struct HeifMeta {
    bool read = false;                  // one of each box below and no item ID twice
    uint32_t primary = 0;
    std::map<uint32_t, HeifItem> items;
    std::vector<Box> properties;        // ipco's boxes, in order
    Box iloc, idat;
    const uint8_t* file = nullptr;
    size_t fileSize = 0;
};

// `meta` is the file's meta box; its boxes point into `file`, which must outlive the result.
HeifMeta ReadHeifMeta(const uint8_t* file, size_t fileSize, const Box& meta);
// The item's first property of that type, or null.
const Box* ItemProperty(const HeifMeta& meta, uint32_t item, uint32_t type);
// The item's data: its first extent, in the file or in the meta box's idat. False when iloc
// does not place it inside the data we have.
bool ItemData(const HeifMeta& meta, uint32_t item, const uint8_t*& data, uint64_t& size);

// The size a grid or an overlay says in its own data that it makes, and of how many pictures.
struct HeifCanvas {
    int64_t width = 0, height = 0;
    int64_t rows = 0, columns = 0;      // a grid's
};
bool ReadCanvas(const HeifMeta& meta, uint32_t item, HeifCanvas& canvas);

struct HeifItemsVerdict {
    bool sound = false;
    int64_t codedPictures = 0;          // tiles, layers and alpha planes decoded for the primary picture
};

// Sound when the primary picture is a coded picture (hvc1, av01) or one derived from such
// pictures (grid, iden, iovl) and so is every picture it is made of, and of their alpha planes;
// when no chain of them comes back to an item on the way or goes deeper than
// kMaxHeifDerivationDepth; when every referenced item exists; when a grid has one tile for each
// of its places, all of the same declared size and together covering its canvas, an overlay at
// most kMaxHeifOverlayLayers layers, and no canvas is larger than a picture we decode; and when
// at most kMaxHeifTiles coded pictures are decoded in all.
HeifItemsVerdict CheckHeifItems(const HeifMeta& meta);
