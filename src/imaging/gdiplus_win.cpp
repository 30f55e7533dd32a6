#include "imaging/gdiplus_win.h"

#include <cstring>

#include "common/wide_win.h"

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

bool DecodeWithGdiplus(const std::string& path, Image& out)
{
    out.Clear();
    const std::wstring widePath = Widen(path);
    GdipImage source;
    Gdiplus::GpBitmap* bitmap = nullptr;
    if (widePath.empty() || gp::GdipCreateBitmapFromFile(widePath.c_str(), &bitmap) != Gdiplus::Ok || !bitmap) return false;
    source = GdipImage(bitmap);

    UINT w = 0, h = 0;
    if (gp::GdipGetImageWidth(source.get(), &w) != Gdiplus::Ok || gp::GdipGetImageHeight(source.get(), &h) != Gdiplus::Ok)
        return false;
    if (w == 0 || h == 0 || w > static_cast<UINT>(kMaxSide) || h > static_cast<UINT>(kMaxSide) ||
        static_cast<int64_t>(w) * h > kMaxPixels)
        return false;
    if (!out.Allocate(static_cast<int>(w), static_cast<int>(h))) return false;

    // Draw onto white through a graphics of our own buffer: transparent parts
    // of PNG, GIF and icons come out white, and metafiles get rendered at
    // their natural size.
    std::memset(out.pixels.data(), 0xFF, out.pixels.size());
    GdipImage target = WrapImage(out);
    GdipGraphics graphics;
    if (!target || gp::GdipGetImageGraphicsContext(target.get(), graphics.out()) != Gdiplus::Ok) {
        out.Clear();
        return false;
    }
    gp::GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeNearestNeighbor);
    gp::GdipSetPixelOffsetMode(graphics.get(), Gdiplus::PixelOffsetModeHalf);
    if (gp::GdipDrawImageRectI(graphics.get(), source.get(), 0, 0, static_cast<INT>(w), static_cast<INT>(h)) != Gdiplus::Ok) {
        out.Clear();
        return false;
    }
    return true;
}
