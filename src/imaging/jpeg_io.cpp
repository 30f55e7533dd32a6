#include "imaging/jpeg_io.h"

#include <climits>
#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>
#include <cstring>
#include <optional>
#include <utility>

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

// Creates the decompressor and reads the header; called only from inside a guarded function.
void StartReading(Decoder* d, const uint8_t* data, size_t size)
{
    jpeg_create_decompress(&d->cinfo);
    d->cinfo.mem->max_memory_to_use = kJpegMemoryLimit;
    d->progress.progress_monitor = CheckScanCount;
    d->cinfo.progress = &d->progress;
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

}  // namespace

bool ReadJpegHeader(const uint8_t* data, size_t size, JpegHeader& out)
{
    out = JpegHeader();
    if (!data || size == 0 || size > ULONG_MAX)
        return false;
    Decoder d;
    std::memset(&d, 0, sizeof d);
    InstallErrorManager(d.err, d.cinfo.err);
    const bool ok = ReadHeaderGuarded(&d, data, size);
    if (ok) {
        out.width = static_cast<int>(d.cinfo.image_width);
        out.height = static_cast<int>(d.cinfo.image_height);
        out.progressive = d.cinfo.progressive_mode != 0;
        out.orientation = ReadExifOrientation(data, size);
    }
    jpeg_destroy_decompress(&d.cinfo);
    return ok;
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
bool DecodeJpeg(const uint8_t* data, size_t size, int minWidth, int minHeight, Image& out)
{
    out.Clear();
    if (!data || size == 0 || size > ULONG_MAX)
        return false;
    Decoder d;
    std::memset(&d, 0, sizeof d);
    InstallErrorManager(d.err, d.cinfo.err);
    Image image;
    bool ok = ReadHeaderGuarded(&d, data, size);
    // A CMYK picture's embedded profile says what its inks look like; an RGB or grey one's
    // is applied by the caller, on the pixels at the size it keeps.
    std::optional<SrgbTransform> cmykTransform;
    if (ok && IsCmyk(d.cinfo))
        cmykTransform.emplace(ExtractIccProfile(data, size), d.cinfo.saw_Adobe_marker ? PixelLayout::CmykInverted : PixelLayout::Cmyk);
    const DecodeRequest req{minWidth, minHeight, cmykTransform ? &*cmykTransform : nullptr, &image};
    ok = ok && DecodeGuarded(&d, &req);
    jpeg_destroy_decompress(&d.cinfo);
    if (!ok)
        return false;
    out = std::move(image);
    return true;
}
