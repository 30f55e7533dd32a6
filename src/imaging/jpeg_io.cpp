#include "imaging/jpeg_io.h"

#include <climits>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <cstring>
#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>  // after jpeglib.h, as libjpeg's own examples have it

#include "imaging/colour.h"
#include "imaging/exif.h"
#include "imaging/icc_profile.h"

// Error handling: libjpeg reports a fatal error by calling error_exit, which must not
// return. Ours longjmps back to the one setjmp of the operation. Each setjmp sits in a small
// function (the ...Guarded ones below) that has no C++ object with a destructor alive across
// it, so nothing is skipped by the jump; everything those functions touch lives in plain
// structs owned by the caller, which destroys the libjpeg object on every path.

namespace {

// A damaged file yields one warning per damaged spot; thousands of them mean we are
// decoding noise (or a file built to keep us busy), so we give up.
constexpr long kMaxWarnings = 1000;
// Encoders write about 10 scans into a progressive file. Each scan walks the whole
// picture, so a file of tiny scans by the thousand is a cheap way to hang a decoder.
constexpr int kMaxScans = 500;
// Second line of defence after kMaxPixels: a progressive 4:4:4 file of kMaxPixels holds
// 960 MB of coefficients in memory; anything past 1 GiB is refused by libjpeg itself.
constexpr long kJpegMemoryLimit = 1024L * 1024 * 1024;
// Rows handed to libjpeg per read call.
constexpr int kRowBatch = 16;

struct ErrorManager {
    jpeg_error_mgr pub;  // first: libjpeg sees only this part
    jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr cinfo)
{
    longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}

// Warnings (level -1) are counted; libjpeg's own handler only prints them. Data that ends
// before the picture does is only a warning to libjpeg (it fills the rest with grey), but
// a damaged picture to us: the file ends early (JWRN_JPEG_EOF), or a scan's data stops at
// a marker before its last block (JWRN_HIT_MARKER: a cut file with an end marker put back,
// or a header claiming more pixels than the file holds).
void EmitMessage(j_common_ptr cinfo, int msgLevel)
{
    if (msgLevel >= 0)
        return;
    jpeg_error_mgr* err = cinfo->err;
    if (err->msg_code == JWRN_JPEG_EOF || err->msg_code == JWRN_HIT_MARKER || ++err->num_warnings > kMaxWarnings)
        ErrorExit(cinfo);
}

void OutputMessage(j_common_ptr) {}  // a GUI program has no stderr to print to

void CheckScanCount(j_common_ptr cinfo)
{
    if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
        ErrorExit(cinfo);
}

void InstallErrorManager(ErrorManager& err, jpeg_error_mgr*& slot)
{
    slot = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    err.pub.output_message = OutputMessage;
}

struct Decoder {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
};

struct DecodeRequest {
    int minWidth, minHeight;
    const SrgbTransform* cmykTransform;  // null, or unusable: the naive conversion
    Image* image;
};

// Creates the decompressor with our limits; called only from inside a guarded function.
void CreateDecompressor(Decoder* d)
{
    jpeg_create_decompress(&d->cinfo);
    d->cinfo.mem->max_memory_to_use = kJpegMemoryLimit;
    d->progress.progress_monitor = CheckScanCount;
    d->cinfo.progress = &d->progress;
}

// Creates the decompressor and reads the header; called only from inside a guarded function.
void StartReading(Decoder* d, const uint8_t* data, size_t size)
{
    CreateDecompressor(d);
    jpeg_mem_src(&d->cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&d->cinfo, TRUE);
}

bool ReadHeaderGuarded(Decoder* d, const uint8_t* data, size_t size)
{
    if (setjmp(d->err.jump))
        return false;
    StartReading(d, data, size);
    return true;
}

// Reads the header into a fresh decompressor and hands it to `use`, whose answer is the
// result; false when the header cannot be read. The decompressor is destroyed on every path.
template <class Use>
bool WithHeaderRead(const uint8_t* data, size_t size, Use use)
{
    if (!data || size == 0 || size > ULONG_MAX)
        return false;
    Decoder d;
    std::memset(&d, 0, sizeof d);
    InstallErrorManager(d.err, d.cinfo.err);
    const bool ok = ReadHeaderGuarded(&d, data, size) && use(d);
    jpeg_destroy_decompress(&d.cinfo);
    return ok;
}

uint8_t MultiplyBytes(unsigned a, unsigned b)
{
    return static_cast<uint8_t>((a * b + 127) / 255);
}

bool IsCmyk(const jpeg_decompress_struct& cinfo)
{
    return cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
}

// libjpeg will not turn CMYK into RGB. Photoshop (the usual source of CMYK JPEGs, recognised
// by its Adobe marker) stores the inks inverted, 255 = no ink; other writers store them as
// they are. This is the naive conversion, for a file without a usable CMYK profile.
void CmykRowToBgr(const uint8_t* cmyk, int width, bool inverted, uint8_t* bgr)
{
    for (int x = 0; x < width; ++x, cmyk += 4, bgr += 3) {
        unsigned c = cmyk[0], m = cmyk[1], y = cmyk[2], k = cmyk[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        bgr[0] = MultiplyBytes(y, k);
        bgr[1] = MultiplyBytes(m, k);
        bgr[2] = MultiplyBytes(c, k);
    }
}

// Called after the header has been read.
bool DecodeGuarded(Decoder* d, const DecodeRequest* req)
{
    if (setjmp(d->err.jump))
        return false;
    jpeg_decompress_struct* cinfo = &d->cinfo;
    if (int64_t{cinfo->image_width} * cinfo->image_height > kMaxPixels)
        return false;
    cinfo->scale_num = ChooseDctScale(cinfo->image_width, cinfo->image_height, req->minWidth, req->minHeight);
    cinfo->scale_denom = 8;
    const bool cmyk = IsCmyk(*cinfo);
    cinfo->out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGR;  // gray, YCbCr and RGB all come out as BGR
    jpeg_start_decompress(cinfo);
    Image* image = req->image;
    if (!image->Allocate(static_cast<int>(cinfo->output_width), static_cast<int>(cinfo->output_height)))
        return false;
    JSAMPARRAY cmykRow = nullptr;
    if (cmyk)
        cmykRow = (*cinfo->mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(cinfo), JPOOL_IMAGE, cinfo->output_width * 4, 1);
    while (cinfo->output_scanline < cinfo->output_height) {
        const int y = static_cast<int>(cinfo->output_scanline);
        if (cmyk) {
            if (jpeg_read_scanlines(cinfo, cmykRow, 1) != 1)
                return false;
            if (req->cmykTransform && req->cmykTransform->Usable())
                req->cmykTransform->Convert(cmykRow[0], image->Row(y), image->width);
            else
                CmykRowToBgr(cmykRow[0], image->width, cinfo->saw_Adobe_marker, image->Row(y));
            continue;
        }
        JSAMPROW rows[kRowBatch];
        const int count = image->height - y < kRowBatch ? image->height - y : kRowBatch;
        for (int i = 0; i < count; ++i)
            rows[i] = image->Row(y + i);
        if (jpeg_read_scanlines(cinfo, rows, static_cast<JDIMENSION>(count)) == 0)
            return false;  // cannot happen with a memory source; never spin
    }
    // Reads up to the end marker, so a file cut short after its last scan is noticed too.
    jpeg_finish_decompress(cinfo);
    return true;
}

// A progressive file spends nearly all of its decode in the entropy decoder, which runs
// one scan at a time. But each of its AC scans carries a single component, and a
// component's coefficients depend on its own scans only. So the file is read as two
// streams that decode side by side: every segment and DC scan, plus either the luma or
// the chroma AC scans. The luma stream decodes to grey (libjpeg then leaves out the
// chroma components' IDCT and upsampling), the chroma stream to YCbCr, whose Cb and Cr
// come out exactly as in a decode of the whole file; the last step is libjpeg's own YCbCr
// to RGB arithmetic.
// The streams are lists of pieces of the caller's bytes: nothing is copied.
struct Piece {
    const uint8_t* data;
    size_t size;
};

struct SplitStreams {
    std::vector<Piece> luma, chroma;
};

void AddPiece(std::vector<Piece>& stream, const uint8_t* data, size_t size)
{
    if (!stream.empty() && stream.back().data + stream.back().size == data)
        stream.back().size += size;
    else
        stream.push_back({data, size});
}

bool IsRestartMarker(uint8_t marker)
{
    return marker >= 0xD0 && marker <= 0xD7;
}

// The end of a scan's entropy-coded data: the first marker that is not a restart marker
// (0xFF 0x00 is a stuffed 0xFF byte). `size` when there is none.
size_t EndOfScanData(const uint8_t* data, size_t size, size_t at)
{
    while (at < size) {
        const void* ff = std::memchr(data + at, 0xFF, size - at);
        if (!ff)
            return size;
        at = static_cast<size_t>(static_cast<const uint8_t*>(ff) - data);
        if (at + 1 >= size)
            return size;
        const uint8_t next = data[at + 1];
        if (next != 0x00 && !IsRestartMarker(next))
            return at;
        at += 2;
    }
    return size;
}

// Only a progressive Huffman-coded three-component file made of well-formed segments
// is split; anything else (stray bytes, fill bytes, a cut file, more scans than we
// decode, an AC scan of several components) is left to the one-stream decode, which
// rules on it.
bool SplitScans(const uint8_t* data, size_t size, SplitStreams& out)
{
    out = SplitStreams();
    if (size < 4 || data[0] != 0xFF || data[1] != 0xD8)
        return false;
    int lumaId = -1;
    int scans = 0;
    size_t at = 2;
    AddPiece(out.luma, data, 2);
    AddPiece(out.chroma, data, 2);
    while (at + 2 <= size) {
        if (data[at] != 0xFF)
            return false;
        const uint8_t marker = data[at + 1];
        if (marker == 0xD9) {
            AddPiece(out.luma, data + at, 2);
            AddPiece(out.chroma, data + at, 2);
            return scans > 0;
        }
        if (at + 4 > size || marker == 0xFF || marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8))
            return false;
        const size_t length = size_t{data[at + 2]} << 8 | data[at + 3];
        size_t end = at + 2 + length;
        if (length < 2 || end > size)
            return false;
        bool toLuma = true, toChroma = true;
        const bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (frame) {
            // SOF2: precision, height, width, then three components of 3 bytes each.
            if (marker != 0xC2 || lumaId >= 0 || length != 8 + 3 * 3 || data[at + 9] != 3)
                return false;
            lumaId = data[at + 10];
        } else if (marker == 0xDA) {
            const size_t count = length >= 3 ? data[at + 4] : 0;
            if (lumaId < 0 || ++scans > kMaxScans || count == 0 || length != 6 + 2 * count)
                return false;
            if (data[at + 5 + 2 * count] != 0) {  // Ss: an AC scan
                if (count != 1)
                    return false;
                toLuma = data[at + 5] == lumaId;
                toChroma = !toLuma;
            }
            end = EndOfScanData(data, size, end);
            if (end >= size)
                return false;
        }
        if (toLuma)
            AddPiece(out.luma, data + at, end - at);
        if (toChroma)
            AddPiece(out.chroma, data + at, end - at);
        at = end;
    }
    return false;
}

// A libjpeg source over a list of pieces. Past the last piece it behaves like the memory
// source at the end of its buffer: a warning (fatal to us) and an end marker.
struct PieceSource {
    jpeg_source_mgr pub;  // first: libjpeg sees only this part
    const Piece* pieces;
    size_t count, next;
};

void InitPieces(j_decompress_ptr) {}
void TermPieces(j_decompress_ptr) {}

boolean FillFromPieces(j_decompress_ptr cinfo)
{
    static const JOCTET kEnd[2] = {0xFF, JPEG_EOI};
    auto* src = reinterpret_cast<PieceSource*>(cinfo->src);
    if (src->next < src->count) {
        src->pub.next_input_byte = src->pieces[src->next].data;
        src->pub.bytes_in_buffer = src->pieces[src->next].size;
        ++src->next;
        return TRUE;
    }
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->pub.next_input_byte = kEnd;
    src->pub.bytes_in_buffer = 2;
    return TRUE;
}

void SkipInPieces(j_decompress_ptr cinfo, long count)
{
    jpeg_source_mgr* src = cinfo->src;
    while (count > 0 && static_cast<size_t>(count) > src->bytes_in_buffer) {
        count -= static_cast<long>(src->bytes_in_buffer);
        src->bytes_in_buffer = 0;
        FillFromPieces(cinfo);
    }
    if (count > 0) {
        src->next_input_byte += count;
        src->bytes_in_buffer -= static_cast<size_t>(count);
    }
}

struct HalfRequest {
    const std::vector<Piece>* pieces;
    int scale;
    bool luma;          // grey, one byte a pixel; otherwise YCbCr, three
    int width, height;  // what the decode must come out at
    uint8_t* rows;      // where its rows go, `stride` bytes apart
    size_t stride;
};

struct HalfDecoder {
    Decoder d;
    PieceSource source;
};

bool DecodeHalfGuarded(HalfDecoder* h, const HalfRequest* req)
{
    if (setjmp(h->d.err.jump))
        return false;
    jpeg_decompress_struct* cinfo = &h->d.cinfo;
    CreateDecompressor(&h->d);
    h->source.pub.init_source = InitPieces;
    h->source.pub.fill_input_buffer = FillFromPieces;
    h->source.pub.skip_input_data = SkipInPieces;
    h->source.pub.resync_to_restart = jpeg_resync_to_restart;
    h->source.pub.term_source = TermPieces;
    h->source.pieces = req->pieces->data();
    h->source.count = req->pieces->size();
    cinfo->src = &h->source.pub;
    jpeg_read_header(cinfo, TRUE);
    cinfo->scale_num = static_cast<unsigned>(req->scale);
    cinfo->scale_denom = 8;
    cinfo->out_color_space = req->luma ? JCS_GRAYSCALE : JCS_YCbCr;
    jpeg_start_decompress(cinfo);
    if (static_cast<int>(cinfo->output_width) != req->width || static_cast<int>(cinfo->output_height) != req->height)
        return false;
    while (cinfo->output_scanline < cinfo->output_height) {
        const int y = static_cast<int>(cinfo->output_scanline);
        JSAMPROW rows[kRowBatch];
        const int count = req->height - y < kRowBatch ? req->height - y : kRowBatch;
        for (int i = 0; i < count; ++i)
            rows[i] = req->rows + static_cast<size_t>(y + i) * req->stride;
        if (jpeg_read_scanlines(cinfo, rows, static_cast<JDIMENSION>(count)) == 0)
            return false;
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

// Decodes one stream; answers its warning count, or -1 when it failed.
long DecodeHalf(const HalfRequest& req)
{
    HalfDecoder h;
    std::memset(&h, 0, sizeof h);
    InstallErrorManager(h.d.err, h.d.cinfo.err);
    const bool ok = DecodeHalfGuarded(&h, &req);
    const long warnings = h.d.err.pub.num_warnings;
    jpeg_destroy_decompress(&h.d.cinfo);
    return ok ? warnings : -1;
}

// libjpeg's YCbCr to RGB (jdcolor.c): 16-bit fixed point, the same tables and rounding,
// so the pixels are those its own conversion gives.
struct YccTables {
    int crR[256], cbB[256];
    int32_t crG[256], cbG[256];
    YccTables()
    {
        constexpr int kBits = 16;
        constexpr int32_t kHalf = int32_t{1} << (kBits - 1);
        auto fix = [](double x) { return static_cast<int32_t>(x * (1 << kBits) + 0.5); };
        for (int i = 0; i < 256; ++i) {
            const int32_t x = i - 128;
            crR[i] = static_cast<int>((fix(1.40200) * x + kHalf) >> kBits);
            cbB[i] = static_cast<int>((fix(1.77200) * x + kHalf) >> kBits);
            crG[i] = -fix(0.71414) * x;
            cbG[i] = -fix(0.34414) * x + kHalf;
        }
    }
};

uint8_t Clamp255(int v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v);
}

// `image` holds Y (unused), Cb, Cr per pixel; it comes out BGR with Y from `plane`.
void CombineYcc(const uint8_t* plane, Image& image)
{
    static const YccTables tables;
    for (int y = 0; y < image.height; ++y) {
        const uint8_t* luma = plane + static_cast<size_t>(y) * static_cast<size_t>(image.width);
        uint8_t* px = image.Row(y);
        for (int x = 0; x < image.width; ++x, px += 3) {
            const int l = luma[x], cb = px[1], cr = px[2];
            px[0] = Clamp255(l + tables.cbB[cb]);
            px[1] = Clamp255(l + static_cast<int>((tables.cbG[cb] + tables.crG[cr]) >> 16));
            px[2] = Clamp255(l + tables.crR[cr]);
        }
    }
}

bool Splittable(const jpeg_decompress_struct& cinfo)
{
    return cinfo.progressive_mode && !cinfo.arith_code && cinfo.num_components == 3 && cinfo.jpeg_color_space == JCS_YCbCr &&
           int64_t{cinfo.image_width} * cinfo.image_height <= kMaxPixels;
}

// Below the lower bound a decode takes a few milliseconds, and a second thread buys
// nothing. The second stream holds a second store of coefficients, as large as the first:
// above the upper bound (up to 300 MB each) the one-stream decode keeps the memory.
constexpr int64_t kSplitMinPixels = 2'000'000;
constexpr int64_t kSplitMaxPixels = 50'000'000;

bool WorthSplitting(const jpeg_decompress_struct& cinfo)
{
    const int64_t pixels = int64_t{cinfo.image_width} * cinfo.image_height;
    return Splittable(cinfo) && pixels >= kSplitMinPixels && pixels <= kSplitMaxPixels;
}

// The whole decode of a split file at scale/8 into `out`. `header` has read the file's header.
bool DecodeSplit(const uint8_t* data, size_t size, const jpeg_decompress_struct& header, int scale, Image& out)
{
    SplitStreams streams;
    if (!SplitScans(data, size, streams))
        return false;
    // libjpeg sizes a scaled result as ceil(side * scale / 8).
    const int width = static_cast<int>((int64_t{header.image_width} * scale + 7) / 8);
    const int height = static_cast<int>((int64_t{header.image_height} * scale + 7) / 8);
    std::vector<uint8_t, PooledAllocator<uint8_t>> plane;
    try {
        plane.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    } catch (const std::bad_alloc&) {
        return false;
    }
    if (!out.Allocate(width, height))
        return false;
    const HalfRequest lumaReq{&streams.luma, scale, true, width, height, plane.data(), static_cast<size_t>(width)};
    const HalfRequest chromaReq{&streams.chroma, scale, false, width, height, out.pixels.data(), static_cast<size_t>(out.stride)};
    long chromaWarnings = -1;
    try {
        std::thread chroma([&] { chromaWarnings = DecodeHalf(chromaReq); });
        const long lumaWarnings = DecodeHalf(lumaReq);
        chroma.join();
        // The DC scans are in both streams, and so are their warnings: a sum within the
        // limit is within it for the whole file too.
        if (lumaWarnings < 0 || chromaWarnings < 0 || lumaWarnings + chromaWarnings > kMaxWarnings) {
            out.Clear();
            return false;
        }
    } catch (const std::system_error&) {  // no thread to be had
        out.Clear();
        return false;
    }
    CombineYcc(plane.data(), out);
    return true;
}

}  // namespace

bool ReadJpegHeader(const uint8_t* data, size_t size, JpegHeader& out)
{
    out = JpegHeader();
    return WithHeaderRead(data, size, [&](const Decoder& d) {
        out.width = static_cast<int>(d.cinfo.image_width);
        out.height = static_cast<int>(d.cinfo.image_height);
        out.progressive = d.cinfo.progressive_mode != 0;
        out.orientation = ReadExifOrientation(data, size);
        return true;
    });
}

// Never above 8/8: libjpeg-turbo can enlarge in the DCT domain (up to 16/8), but it does so
// block by block, which magnifies the 8 x 8 block edges; a picture smaller than the
// minimum is decoded whole and left to the resampler. libjpeg sizes a scaled result as
// ceil(side * M / 8), the same rounding as here.
int ChooseDctScale(int width, int height, int minWidth, int minHeight)
{
    if (minWidth <= 0 && minHeight <= 0)
        return 8;
    for (int m = 1; m < 8; ++m) {
        const int64_t scaledWidth = (int64_t{width} * m + 7) / 8;
        const int64_t scaledHeight = (int64_t{height} * m + 7) / 8;
        if (scaledWidth >= minWidth && scaledHeight >= minHeight)
            return m;
    }
    return 8;
}

// The stored size is checked against kMaxPixels right after the header, before libjpeg or
// we allocate anything that grows with the picture.
bool DecodeJpeg(const uint8_t* data, size_t size, int minWidth, int minHeight, Image& out, int threads)
{
    out.Clear();
    Image image;
    bool split = false;
    const bool ok = WithHeaderRead(data, size, [&](Decoder& d) {
        split = threads >= 2 && WorthSplitting(d.cinfo);
        if (split)
            return false;
        // A CMYK picture's embedded profile says what its inks look like; an RGB or grey one's
        // is applied by the caller, on the pixels at the size it keeps.
        std::optional<SrgbTransform> cmykTransform;
        if (IsCmyk(d.cinfo))
            cmykTransform.emplace(ExtractIccProfile(data, size), d.cinfo.saw_Adobe_marker ? PixelLayout::CmykInverted : PixelLayout::Cmyk);
        const DecodeRequest req{minWidth, minHeight, cmykTransform ? &*cmykTransform : nullptr, &image};
        return DecodeGuarded(&d, &req);
    });
    // A file the two-thread decode does not take is for the one-thread decode to rule on.
    if (split)
        return DecodeJpegOnTwoThreads(data, size, minWidth, minHeight, out) || DecodeJpeg(data, size, minWidth, minHeight, out, 1);
    if (!ok)
        return false;
    out = std::move(image);
    return true;
}

bool DecodeJpegOnTwoThreads(const uint8_t* data, size_t size, int minWidth, int minHeight, Image& out)
{
    out.Clear();
    return WithHeaderRead(data, size, [&](const Decoder& d) {
        return Splittable(d.cinfo) &&
               DecodeSplit(data, size, d.cinfo, ChooseDctScale(d.cinfo.image_width, d.cinfo.image_height, minWidth, minHeight), out);
    });
}
