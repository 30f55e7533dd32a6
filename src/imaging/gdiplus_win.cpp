#include "imaging/gdiplus_win.h"

#include <shlwapi.h>

#include <climits>
#include <cstring>

#include "common/owners_win.h"

GdiplusSession::GdiplusSession()
{
    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, background thread
    if (Gdiplus::GdiplusStartup(&token_, &input, nullptr) != Gdiplus::Ok) token_ = 0;
}

GdiplusSession::~GdiplusSession()
{
    if (token_) Gdiplus::GdiplusShutdown(token_);
}

GdipImage WrapImage(Image& image)
{
    GdipImage out;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (!image.Empty() &&
        gp::GdipCreateBitmapFromScan0(image.width, image.height, image.stride, PixelFormat24bppRGB, image.pixels.data(),
                                      &bitmap) == Gdiplus::Ok)
        out = GdipImage(bitmap);
    return out;
}

// `out` made white, and a graphics that draws into it; false, and `out`
// cleared, when GDI+ cannot give one.
static bool GraphicsOnWhite(Image& out, GdipImage& target, GdipGraphics& graphics)
{
    std::memset(out.pixels.data(), 0xFF, out.pixels.size());
    target = WrapImage(out);
    if (!target || gp::GdipGetImageGraphicsContext(target.get(), graphics.out()) != Gdiplus::Ok) {
        out.Clear();
        return false;
    }
    return true;
}

// From memory rather than from the file's path: GDI+ is not documented to
// take the "\\?\" form that long paths need, and the bytes have been read
// (and their size checked) already.
bool DecodeWithGdiplus(std::string&& bytes, Image& out)
{
    out.Clear();
    if (bytes.empty() || bytes.size() > UINT_MAX) return false;
    // GDI+ reads from the stream for as long as the picture lives: it outlives `source`.
    const ComObject<IStream> stream(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    std::string().swap(bytes);
    if (!stream) return false;
    GdipImage source;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (gp::GdipCreateBitmapFromStream(stream.get(), &bitmap) != Gdiplus::Ok || !bitmap) return false;
    source = GdipImage(bitmap);

    UINT w = 0, h = 0;
    if (gp::GdipGetImageWidth(source.get(), &w) != Gdiplus::Ok || gp::GdipGetImageHeight(source.get(), &h) != Gdiplus::Ok)
        return false;
    if (w == 0 || h == 0 || w > static_cast<UINT>(kMaxSide) || h > static_cast<UINT>(kMaxSide) ||
        static_cast<int64_t>(w) * h > kMaxPixels)
        return false;
    if (!out.Allocate(static_cast<int>(w), static_cast<int>(h))) return false;

    // Draw onto white through a graphics of our own buffer: transparent parts
    // of PNG, GIF and icons come out white.
    GdipImage target;
    GdipGraphics graphics;
    if (!GraphicsOnWhite(out, target, graphics)) return false;
    gp::GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeNearestNeighbor);
    gp::GdipSetPixelOffsetMode(graphics.get(), Gdiplus::PixelOffsetModeHalf);
    if (gp::GdipDrawImageRectI(graphics.get(), source.get(), 0, 0, static_cast<INT>(w), static_cast<INT>(h)) != Gdiplus::Ok) {
        out.Clear();
        return false;
    }
    return true;
}

// GDI+ would rasterise a metafile at the size its header names; drawn into a
// bitmap of the final size instead, lines and text stay sharp at any size.
bool RenderMetafile(std::string&& bytes, int width, int height, Image& out)
{
    out.Clear();
    if (bytes.empty() || bytes.size() > UINT_MAX || width <= 0 || height <= 0) return false;
    // GDI+ plays the records from the stream when drawing: it outlives `source`.
    const ComObject<IStream> stream(SHCreateMemStream(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<UINT>(bytes.size())));
    std::string().swap(bytes);
    if (!stream) return false;
    GdipImage source;
    if (gp::GdipLoadImageFromStream(stream.get(), source.out()) != Gdiplus::Ok || !source) return false;
    Gdiplus::ImageType type = Gdiplus::ImageTypeUnknown;
    if (gp::GdipGetImageType(source.get(), &type) != Gdiplus::Ok || type != Gdiplus::ImageTypeMetafile) return false;
    if (!out.Allocate(width, height)) return false;

    GdipImage target;
    GdipGraphics graphics;
    if (!GraphicsOnWhite(out, target, graphics)) return false;
    // Failing hints only cost smoothness: their results are not looked at.
    gp::GdipSetSmoothingMode(graphics.get(), Gdiplus::SmoothingModeAntiAlias);
    gp::GdipSetTextRenderingHint(graphics.get(), Gdiplus::TextRenderingHintAntiAliasGridFit);
    gp::GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBicubic);
    gp::GdipSetPixelOffsetMode(graphics.get(), Gdiplus::PixelOffsetModeHighQuality);
    if (gp::GdipDrawImageRectI(graphics.get(), source.get(), 0, 0, width, height) != Gdiplus::Ok) {
        out.Clear();
        return false;
    }
    return true;
}
