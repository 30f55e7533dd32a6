#pragma once
// The one place that knows how GDI+ objects are owned. Every GDI+ object the
// program makes lives in one of these owners and is released by it.
#include <windows.h>

#include <objidl.h>
#include <gdiplus.h>

#include <string>

#include "imaging/image.h"

namespace gp = Gdiplus::DllExports;

template <class T, Gdiplus::GpStatus(WINGDIPAPI* Free)(T*)>
class GdipOwner {
public:
    GdipOwner() = default;
    explicit GdipOwner(T* p) : p_(p) {}
    ~GdipOwner() { reset(); }
    GdipOwner(const GdipOwner&) = delete;
    GdipOwner& operator=(const GdipOwner&) = delete;
    GdipOwner(GdipOwner&& other) noexcept : p_(other.release()) {}
    GdipOwner& operator=(GdipOwner&& other) noexcept
    {
        if (this != &other) { reset(); p_ = other.release(); }
        return *this;
    }
    T* get() const { return p_; }
    T** out() { reset(); return &p_; }  // gp::GdipCreateXxx(..., owner.out())
    T* release() { T* p = p_; p_ = nullptr; return p; }
    void reset() { if (p_) Free(p_); p_ = nullptr; }
    explicit operator bool() const { return p_ != nullptr; }
private:
    T* p_ = nullptr;
};

namespace gdip_free {
// The flat API deletes some objects through their base type.
inline Gdiplus::GpStatus WINGDIPAPI Bitmap(Gdiplus::GpBitmap* b) { return gp::GdipDisposeImage(b); }
inline Gdiplus::GpStatus WINGDIPAPI SolidFill(Gdiplus::GpSolidFill* b) { return gp::GdipDeleteBrush(b); }
inline Gdiplus::GpStatus WINGDIPAPI ImageAttributes(Gdiplus::GpImageAttributes* a) { return gp::GdipDisposeImageAttributes(a); }
} // namespace gdip_free

using GdipImage = GdipOwner<Gdiplus::GpImage, gp::GdipDisposeImage>;
using GdipBitmap = GdipOwner<Gdiplus::GpBitmap, gdip_free::Bitmap>;
using GdipSolidBrush = GdipOwner<Gdiplus::GpSolidFill, gdip_free::SolidFill>;
using GdipImageAttributes = GdipOwner<Gdiplus::GpImageAttributes, gdip_free::ImageAttributes>;
using GdipGraphics = GdipOwner<Gdiplus::GpGraphics, gp::GdipDeleteGraphics>;
using GdipFont = GdipOwner<Gdiplus::GpFont, gp::GdipDeleteFont>;
using GdipFontFamily = GdipOwner<Gdiplus::GpFontFamily, gp::GdipDeleteFontFamily>;
using GdipStringFormat = GdipOwner<Gdiplus::GpStringFormat, gp::GdipDeleteStringFormat>;
using GdipBrush = GdipOwner<Gdiplus::GpBrush, gp::GdipDeleteBrush>;
using GdipPen = GdipOwner<Gdiplus::GpPen, gp::GdipDeletePen>;

// A GDI+ session: GdiplusStartup in the constructor, GdiplusShutdown in the destructor.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;
    bool ok() const { return token_ != 0; }
private:
    ULONG_PTR token_ = 0;
};

// A GDI+ bitmap drawn straight onto the pixels of `image` (24-bit BGR, same
// layout); the image must outlive it.
GdipImage WrapImage(Image& image);

// Decodes a picture file's bytes in any raster format GDI+ knows (BMP, GIF,
// PNG, TIFF, ICO, JPEG) into 24-bit BGR, its first frame, transparent
// parts on white. Refuses pictures over kMaxPixels. False when it is not a
// picture GDI+ can read. The bytes are given up once GDI+ holds its copy.
bool DecodeWithGdiplus(std::string&& bytes, Image& out);

// Draws a metafile (EMF, or WMF with the placeable header) from its bytes
// straight at width x height on white, smoothed. False when GDI+ does not
// read the bytes as a metafile. The bytes are given up once GDI+ holds its copy.
bool RenderMetafile(std::string&& bytes, int width, int height, Image& out);
