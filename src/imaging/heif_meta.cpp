#include "imaging/heif_meta.h"

#include <cstring>
#include <set>
#include <string_view>

#include "imaging/image.h"

namespace {

// iinf: a count, then infe boxes of version 2 or 3 (item ID, protection index, item type);
// earlier versions name no type and are kept as items of type 0.
bool ReadItems(const Box& iinf, HeifMeta& meta)
{
    if (iinf.size < 4) return false;
    const size_t entriesAt = iinf.payload[0] == 0 ? 6 : 8;
    if (iinf.size < entriesAt) return false;
    bool ok = true;
    ForEachBox(iinf.payload + entriesAt, iinf.size - entriesAt, [&](const Box& infe) {
        if (infe.type != FourCc("infe") || infe.size < 4) return true;
        const uint8_t version = infe.payload[0];
        const size_t idBytes = version == 3 ? 4 : 2;
        if (infe.size < 4 + idBytes) return true;
        const uint32_t id = idBytes == 2 ? Be16(infe.payload + 4) : Be32(infe.payload + 4);
        HeifItem item;
        if (version >= 2 && infe.size >= 4 + idBytes + 2 + 4) item.type = Be32(infe.payload + 4 + idBytes + 2);
        if (!meta.items.emplace(id, item).second || static_cast<int64_t>(meta.items.size()) > kMaxHeifItems) ok = false;
        return ok;
    });
    return ok;
}

// ipma: for each item its properties, as 1-based indices into ipco (7 or 15 bits; the top
// bit says whether it is essential).
bool ReadAssociations(const Box& ipma, HeifMeta& meta)
{
    if (ipma.size < 8) return false;
    const uint8_t version = ipma.payload[0];
    const bool wideIndex = ipma.payload[3] & 1;
    const uint8_t* p = ipma.payload + 8;
    const uint8_t* end = ipma.payload + ipma.size;
    for (uint32_t entries = Be32(ipma.payload + 4), e = 0; e < entries; ++e) {
        const size_t idBytes = version < 1 ? 2 : 4;
        if (size_t(end - p) < idBytes + 1) return false;
        const uint32_t id = idBytes == 2 ? Be16(p) : Be32(p);
        const uint8_t count = p[idBytes];
        p += idBytes + 1;
        const size_t associationBytes = wideIndex ? 2 : 1;
        if (size_t(end - p) < associationBytes * count) return false;
        auto item = meta.items.find(id);
        for (int i = 0; i < count; ++i, p += associationBytes) {
            if (item != meta.items.end()) item->second.properties.push_back(wideIndex ? (Be16(p) & 0x7fff) : (p[0] & 0x7f));
        }
        if (item != meta.items.end()) ++item->second.propertyLists;
    }
    return true;
}

// iref: typed references from one item to others, item IDs of 16 bits (version 0) or 32. libheif
// reads each reference's header and then its items from wherever the last one ended, whatever
// size the header states; a file whose stated sizes do not match what they hold would be read
// one way here and another there, so it is refused.
bool ReadReferences(const Box& iref, HeifMeta& meta)
{
    if (iref.size < 4 || iref.payload[0] > 1) return false;
    const int idBytes = iref.payload[0] == 0 ? 2 : 4;
    const uint8_t* p = iref.payload + 4;
    const uint8_t* end = iref.payload + iref.size;
    while (p < end) {
        const uint8_t* start = p;
        uint64_t size = 0, type = 0, from = 0, count = 0;
        if (!ReadBe(p, end, 4, size) || !ReadBe(p, end, 4, type)) return false;
        if (size == 1 && !ReadBe(p, end, 8, size)) return false;
        if (type == FourCc("uuid")) return false;
        if (!ReadBe(p, end, idBytes, from) || !ReadBe(p, end, 2, count)) return false;
        std::vector<uint32_t> to;
        for (uint64_t i = 0; i < count; ++i) {
            uint64_t id = 0;
            if (!ReadBe(p, end, idBytes, id)) return false;
            to.push_back(static_cast<uint32_t>(id));
        }
        if (size != static_cast<uint64_t>(p - start)) return false;
        auto item = meta.items.find(static_cast<uint32_t>(from));
        if (item == meta.items.end()) continue;  // a reference from no item: nothing follows it
        if (type == FourCc("dimg") && item->second.dimgLists++ == 0) item->second.derivedFrom = std::move(to);
        if (type == FourCc("auxl")) item->second.auxiliaryOf.insert(item->second.auxiliaryOf.end(), to.begin(), to.end());
    }
    return true;
}

bool IsCoded(uint32_t type) { return type == FourCc("hvc1") || type == FourCc("av01"); }
bool IsDerived(uint32_t type) { return type == FourCc("grid") || type == FourCc("iden") || type == FourCc("iovl"); }

// auxC: version and flags, then the auxiliary type as a text. libheif lays these over their
// picture as its alpha plane.
bool IsAlphaPlane(const HeifMeta& meta, uint32_t id)
{
    const Box* auxC = ItemProperty(meta, id, FourCc("auxC"));
    if (!auxC || auxC->size < 4) return false;
    const char* text = reinterpret_cast<const char*>(auxC->payload + 4);
    const std::string_view type(text, strnlen(text, auxC->size - 4));
    return type == "urn:mpeg:avc:2015:auxid:1" || type == "urn:mpeg:hevc:2015:auxid:1" ||
           type == "urn:mpeg:mpegB:cicp:systems:auxiliary:alpha";
}

bool DeclaredSize(const HeifMeta& meta, uint32_t id, int64_t& width, int64_t& height)
{
    const Box* ispe = ItemProperty(meta, id, FourCc("ispe"));
    if (!ispe || ispe->size < 12) return false;
    width = Be32(ispe->payload + 4);
    height = Be32(ispe->payload + 8);
    return width > 0 && height > 0;
}

bool CanvasDecodable(int64_t width, int64_t height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && width * height <= kMaxPixels;
}

// Goes down from the primary picture the way libheif's decoding does: each derived picture
// decodes its pictures, each picture its alpha plane.
class ItemWalk {
public:
    explicit ItemWalk(const HeifMeta& meta) : meta_(meta)
    {
        for (const auto& [id, item] : meta.items)
            if (IsAlphaPlane(meta, id))
                for (uint32_t of : item.auxiliaryOf) alphaPlanes_.emplace(of, id);
    }

    bool Visit(uint32_t id, int depth)
    {
        if (depth > kMaxHeifDerivationDepth || !onPath_.insert(id).second) return false;
        const auto found = meta_.items.find(id);
        if (found == meta_.items.end()) return false;
        const HeifItem& item = found->second;
        bool ok = true;
        if (IsCoded(item.type)) {
            ok = ++coded_ <= kMaxHeifTiles;
        } else if (IsDerived(item.type)) {
            ok = DerivedSound(id, item);
            for (size_t i = 0; ok && i < item.derivedFrom.size(); ++i) ok = Visit(item.derivedFrom[i], depth + 1);
        } else {
            ok = false;  // a mask, an uncompressed or JPEG picture, or no picture at all
        }
        const auto [first, last] = alphaPlanes_.equal_range(id);
        for (auto alpha = first; ok && alpha != last; ++alpha) ok = Visit(alpha->second, depth + 1);
        onPath_.erase(id);
        return ok;
    }
    int64_t Coded() const { return coded_; }

private:
    bool DerivedSound(uint32_t id, const HeifItem& item) const
    {
        if (item.dimgLists != 1 || item.derivedFrom.empty()) return false;
        if (item.type == FourCc("iden")) return item.derivedFrom.size() == 1;
        HeifCanvas canvas;
        if (!ReadCanvas(meta_, id, canvas) || !CanvasDecodable(canvas.width, canvas.height)) return false;
        if (item.type == FourCc("iovl")) return static_cast<int64_t>(item.derivedFrom.size()) <= kMaxHeifOverlayLayers;
        // A grid: a tile for each place, all of one declared size, together covering the canvas.
        if (static_cast<int64_t>(item.derivedFrom.size()) != canvas.rows * canvas.columns) return false;
        int64_t tileWidth = 0, tileHeight = 0;
        for (uint32_t tile : item.derivedFrom) {
            int64_t width = 0, height = 0;
            if (!DeclaredSize(meta_, tile, width, height) || !CanvasDecodable(width, height)) return false;
            if (tileWidth == 0) tileWidth = width, tileHeight = height;
            if (width != tileWidth || height != tileHeight) return false;
        }
        return tileWidth * canvas.columns >= canvas.width && tileHeight * canvas.rows >= canvas.height;
    }

    const HeifMeta& meta_;
    std::multimap<uint32_t, uint32_t> alphaPlanes_;  // a picture and the alpha planes given for it
    std::set<uint32_t> onPath_;
    int64_t coded_ = 0;
};

} // namespace

HeifMeta ReadHeifMeta(const uint8_t* file, size_t fileSize, const Box& metaBox)
{
    HeifMeta meta;
    meta.file = file;
    meta.fileSize = fileSize;
    if (metaBox.size < 4) return meta;
    Box iinf, iref, ipco, ipma;
    int pitms = 0, iinfs = 0, irefs = 0, ilocs = 0, idats = 0, ipcos = 0, ipmas = 0;
    ForEachBox(metaBox.payload + 4, metaBox.size - 4, [&](const Box& box) {  // after version and flags
        if (box.type == FourCc("pitm") && box.size >= 6) {
            meta.primary = box.payload[0] == 0 ? Be16(box.payload + 4) : (box.size >= 8 ? Be32(box.payload + 4) : 0);
            ++pitms;
        } else if (box.type == FourCc("iinf")) {
            iinf = box, ++iinfs;
        } else if (box.type == FourCc("iref")) {
            iref = box, ++irefs;
        } else if (box.type == FourCc("iloc")) {
            meta.iloc = box, ++ilocs;
        } else if (box.type == FourCc("idat")) {
            meta.idat = box, ++idats;
        } else if (box.type == FourCc("iprp")) {
            ForEachBox(box.payload, box.size, [&](const Box& inner) {
                if (inner.type == FourCc("ipco")) ipco = inner, ++ipcos;
                if (inner.type == FourCc("ipma")) ipma = inner, ++ipmas;
                return true;
            });
        }
        return true;
    });
    if (pitms != 1 || iinfs != 1 || ilocs != 1 || ipcos != 1 || ipmas != 1 || irefs > 1 || idats > 1) return meta;
    ForEachBox(ipco.payload, ipco.size, [&](const Box& property) {
        meta.properties.push_back(property);
        return static_cast<int64_t>(meta.properties.size()) <= kMaxHeifItems;
    });
    meta.read = ReadItems(iinf, meta) && ReadAssociations(ipma, meta) && (irefs == 0 || ReadReferences(iref, meta));
    return meta;
}

const Box* ItemProperty(const HeifMeta& meta, uint32_t item, uint32_t type)
{
    const auto found = meta.items.find(item);
    if (found == meta.items.end()) return nullptr;
    for (uint32_t index : found->second.properties)
        if (index >= 1 && index <= meta.properties.size() && meta.properties[index - 1].type == type) return &meta.properties[index - 1];
    return nullptr;
}

// iloc: for each item, its construction method (0: in the file, 1: in idat), a base offset and
// extents of offset and length, of sizes the box's header gives.
bool ItemData(const HeifMeta& meta, uint32_t item, const uint8_t*& data, uint64_t& size)
{
    if (!meta.iloc.payload) return false;
    const uint8_t* p = meta.iloc.payload;
    const uint8_t* end = meta.iloc.payload + meta.iloc.size;
    uint64_t version = 0, flags = 0, sizes = 0, count = 0;
    if (!ReadBe(p, end, 2, version) || !ReadBe(p, end, 2, flags) || !ReadBe(p, end, 2, sizes)) return false;
    version >>= 8;
    const uint64_t moreSizes = sizes & 0xff;
    const int offsetBytes = static_cast<int>(sizes >> 12), lengthBytes = static_cast<int>((sizes >> 8) & 15);
    const int baseBytes = static_cast<int>(moreSizes >> 4), indexBytes = version >= 1 ? static_cast<int>(moreSizes & 15) : 0;
    if (version > 2 || !ReadBe(p, end, version < 2 ? 2 : 4, count)) return false;
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t id = 0, method = 0, reference = 0, base = 0, extents = 0;
        if (!ReadBe(p, end, version < 2 ? 2 : 4, id) || (version >= 1 && !ReadBe(p, end, 2, method)) ||
            !ReadBe(p, end, 2, reference) || !ReadBe(p, end, baseBytes, base) || !ReadBe(p, end, 2, extents))
            return false;
        uint64_t offset = 0, length = 0;
        for (uint64_t e = 0; e < extents; ++e) {
            uint64_t index = 0, extentOffset = 0, extentLength = 0;
            if (!ReadBe(p, end, indexBytes, index) || !ReadBe(p, end, offsetBytes, extentOffset) ||
                !ReadBe(p, end, lengthBytes, extentLength))
                return false;
            if (e == 0) offset = base + extentOffset, length = extentLength;
            if (e == 0 && offset < base) return false;
        }
        if (id != item) continue;
        if (extents == 0 || (method & 15) > 1) return false;
        const bool inIdat = (method & 15) == 1;
        const uint8_t* source = inIdat ? meta.idat.payload : meta.file;
        const uint64_t sourceSize = inIdat ? meta.idat.size : meta.fileSize;
        if (!source || offset > sourceSize || length > sourceSize - offset) return false;
        data = source + offset;
        size = length;
        return true;
    }
    return false;
}

// grid: version, flags (bit 0: 32-bit sizes), rows - 1, columns - 1, width, height.
// iovl: version, flags (the same bit), four 16-bit fill values, width, height, then the layers'
// offsets.
bool ReadCanvas(const HeifMeta& meta, uint32_t item, HeifCanvas& canvas)
{
    const auto found = meta.items.find(item);
    const uint8_t* data = nullptr;
    uint64_t size = 0;
    if (found == meta.items.end() || !ItemData(meta, item, data, size) || size < 2) return false;
    const uint8_t* p = data + 2;
    const uint8_t* end = data + size;
    const int sideBytes = data[1] & 1 ? 4 : 2;
    uint64_t rows = 0, columns = 0, fill = 0, width = 0, height = 0;
    if (found->second.type == FourCc("grid")) {
        if (!ReadBe(p, end, 2, rows)) return false;  // rows - 1, columns - 1
        columns = (rows & 0xff) + 1;
        rows = (rows >> 8) + 1;
    } else {
        for (int i = 0; i < 4; ++i)
            if (!ReadBe(p, end, 2, fill)) return false;
    }
    if (!ReadBe(p, end, sideBytes, width) || !ReadBe(p, end, sideBytes, height)) return false;
    canvas = HeifCanvas{static_cast<int64_t>(width), static_cast<int64_t>(height), static_cast<int64_t>(rows),
                        static_cast<int64_t>(columns)};
    return true;
}

HeifItemsVerdict CheckHeifItems(const HeifMeta& meta)
{
    HeifItemsVerdict verdict;
    if (!meta.read) return verdict;
    for (const auto& entry : meta.items)
        if (entry.second.propertyLists > 1) return verdict;
    ItemWalk walk(meta);
    verdict.sound = walk.Visit(meta.primary, 0);
    verdict.codedPictures = walk.Coded();
    return verdict;
}
