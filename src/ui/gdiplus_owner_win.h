#pragma once
// One owner for every GDI+ flat-API object the painting makes per paint.
#include <windows.h>
#include <gdiplus.h>

template <class T, Gdiplus::GpStatus(WINGDIPAPI* Free)(T*)>
class GdipOwner {
public:
    GdipOwner() = default;
    ~GdipOwner() { reset(); }
    GdipOwner(const GdipOwner&) = delete;
    GdipOwner& operator=(const GdipOwner&) = delete;
    GdipOwner(GdipOwner&& other) noexcept : p_(other.release()) {}
    GdipOwner& operator=(GdipOwner&& other) noexcept
    {
        if (this != &other) {
            reset();
            p_ = other.release();
        }
        return *this;
    }
    T* get() const { return p_; }
    T** out() { reset(); return &p_; }  // GdipCreateXxx(..., owner.out())
    T* release() { T* p = p_; p_ = nullptr; return p; }
    void reset() { if (p_) Free(p_); p_ = nullptr; }
    explicit operator bool() const { return p_ != nullptr; }
private:
    T* p_ = nullptr;
};

namespace gdip_free {
// The flat API deletes some objects through their base type.
inline Gdiplus::GpStatus WINGDIPAPI Bitmap(Gdiplus::GpBitmap* b) { return Gdiplus::DllExports::GdipDisposeImage(b); }
inline Gdiplus::GpStatus WINGDIPAPI SolidFill(Gdiplus::GpSolidFill* b) { return Gdiplus::DllExports::GdipDeleteBrush(b); }
} // namespace gdip_free

using GdipGraphics = GdipOwner<Gdiplus::GpGraphics, Gdiplus::DllExports::GdipDeleteGraphics>;
using GdipBitmap = GdipOwner<Gdiplus::GpBitmap, gdip_free::Bitmap>;
using GdipSolidBrush = GdipOwner<Gdiplus::GpSolidFill, gdip_free::SolidFill>;
using GdipFontFamily = GdipOwner<Gdiplus::GpFontFamily, Gdiplus::DllExports::GdipDeleteFontFamily>;
using GdipFont = GdipOwner<Gdiplus::GpFont, Gdiplus::DllExports::GdipDeleteFont>;
using GdipStringFormat = GdipOwner<Gdiplus::GpStringFormat, Gdiplus::DllExports::GdipDeleteStringFormat>;
using GdipPen = GdipOwner<Gdiplus::GpPen, Gdiplus::DllExports::GdipDeletePen>;
