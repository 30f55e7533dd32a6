#pragma once
// Bounds-checked walks over the structure of picture files: JPEG marker segments and the
// IFDs of a TIFF block. Offsets come from the file, so every read is checked against
// the end of the data.
#include <cstddef>
#include <cstdint>
#include <functional>

// Calls visit(marker, payload, payloadSize) for each marker segment from SOI up to the first
// SOS, in file order, until visit answers false or the data ends or is damaged.
void ForEachJpegSegment(const uint8_t* data, size_t size,
                        const std::function<bool(uint8_t marker, const uint8_t* payload, size_t payloadSize)>& visit);

struct TiffReader {
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool bigEndian = false;

    bool U16(uint64_t at, uint16_t& value) const;
    bool U32(uint64_t at, uint32_t& value) const;
};

struct TiffEntry {
    uint16_t tag = 0, type = 0;
    uint32_t count = 0;
    uint64_t valueAt = 0;  // where the entry's 4-byte value (or offset) field sits
};

using TiffVisit = std::function<bool(const TiffReader&, const TiffEntry&)>;

// The byte order and the offset of IFD0 from a TIFF header; false when the data is no TIFF block.
bool OpenTiff(const uint8_t* data, size_t size, TiffReader& reader, uint32_t& ifd0);
// Calls visit for each entry of IFD0 until it answers false or an entry runs past the end.
// Only IFD0 is read: it describes the main picture, so no offset chain is ever followed and a
// looping file cannot keep us here. False when the data is no TIFF block.
bool ForEachTiffEntry(const uint8_t* data, size_t size, const TiffVisit& visit);
// The same for the IFD at `offset` (one a tag of IFD0 points to); false when its count is out of the data.
bool ForEachIfdEntry(const TiffReader& reader, uint32_t offset, const TiffVisit& visit);
// Where an entry's values are: in its own 4-byte field when they fit, else at the offset that
// field holds. False for a type of unknown size, or values that do not lie wholly in the data.
bool TiffValueBytes(const TiffReader& reader, const TiffEntry& entry, uint64_t& at, uint64_t& bytes);
