#include "ui/paint_win.h"

#include <shlwapi.h>

#include <string>

#include "common/owners_win.h"
#include "common/wide_win.h"
#include "engine/photo_text.h"
#include "ui/dpi_scale.h"
#include "ui/panel_layout.h"
#include "ui/status_text.h"
#include "ui/zones.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

constexpr ARGB kWhite = 0xC8FFFFFF;
constexpr ARGB kBlue = 0xC86464FF;
constexpr ARGB kBlack = 0xC8000000;
constexpr ARGB kProgressRed = 0xFFFF0000;

// A lit cut-out of BG_UP: the zone it lights, cut from BG_UP at the zone's
// rectangle. The dials and the folder are drawn one pixel left of where they
// are cut; the artwork is made for that.
struct LitCut {
    LitImage image;
    const ZoneRect& rect;
    int shift;
};
constexpr LitCut kLitCuts[] = {
    {LitImage::SizeDial, kSizeDialRect, -1},     {LitImage::QualityDial, kQualityDialRect, -1},
    {LitImage::ResultFolder, kResultFolderRect, -1}, {LitImage::ResetCorner, kResetCornerRect, 0},
    {LitImage::PanelToggle, kPanelToggleRect, 0},
};
constexpr int kLitCount = sizeof kLitCuts / sizeof kLitCuts[0];
static_assert(kLitCount == Artwork::kLitImages);

GdipBitmap LoadBitmapResource(const wchar_t* name)
{
    GdipBitmap bitmap;
    if (GdipCreateBitmapFromResource(GetModuleHandleA(nullptr), name, bitmap.out()) != Ok) bitmap.reset();
    return bitmap;
}

} // namespace

// Drawn exactly when the PNG has that size, with a high-quality filter
// otherwise. The result owns its pixels, so the resource's stream goes with
// this call.
GdipBitmap LoadPngResourceAt(const char* name, int w, int h)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC found = FindResourceA(module, name, MAKEINTRESOURCEA(10));  // RT_RCDATA
    HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    const DWORD size = found ? SizeofResource(module, found) : 0;
    if (!data || size == 0) return {};
    ComObject<IStream> stream(SHCreateMemStream(static_cast<const BYTE*>(data), size));
    GdipBitmap decoded;
    if (!stream || GdipCreateBitmapFromStream(stream.get(), decoded.out()) != Ok) return {};
    UINT sw = 0, sh = 0;
    GdipGetImageWidth(decoded.get(), &sw);
    GdipGetImageHeight(decoded.get(), &sh);
    GdipBitmap scaled;
    GdipGraphics g;
    if (sw == 0 || sh == 0 || GdipCreateBitmapFromScan0(w, h, 0, PixelFormat32bppARGB, nullptr, scaled.out()) != Ok ||
        GdipGetImageGraphicsContext(scaled.get(), g.out()) != Ok)
        return {};
    const bool exact = static_cast<int>(sw) == w && static_cast<int>(sh) == h;
    GdipSetInterpolationMode(g.get(), exact ? InterpolationModeNearestNeighbor : InterpolationModeHighQualityBicubic);
    GdipSetPixelOffsetMode(g.get(), PixelOffsetModeHalf);
    // Mirrored edges: the filter would otherwise fade the border into transparency.
    GdipImageAttributes edges;
    if (GdipCreateImageAttributes(edges.out()) == Ok) GdipSetImageAttributesWrapMode(edges.get(), WrapModeTileFlipXY, 0, FALSE);
    if (GdipDrawImageRectRectI(g.get(), decoded.get(), 0, 0, w, h, 0, 0, static_cast<INT>(sw), static_cast<INT>(sh),
                               UnitPixel, edges.get(), nullptr, nullptr) != Ok)
        return {};
    return scaled;
}

namespace {

GdipBitmap CloneArea(GpBitmap* source, int x, int y, int w, int h)
{
    PixelFormat format = PixelFormat24bppRGB;
    GdipGetImagePixelFormat(source, &format);
    GdipBitmap area;
    if (GdipCloneBitmapAreaI(x, y, w, h, format, source, area.out()) != Ok) area.reset();
    return area;
}

// Images are drawn at their pixel size: the point-only draw would scale by the
// bitmap's stored resolution, which need not be the screen's.
GpStatus DrawAt(GpGraphics* g, GpBitmap* image, int x, int y)
{
    UINT w = 0, h = 0;
    GdipGetImageWidth(image, &w);
    GdipGetImageHeight(image, &h);
    return GdipDrawImageRectI(g, image, x, y, static_cast<INT>(w), static_cast<INT>(h));
}

void DrawLabel(GpGraphics* g, const std::wstring& text, GpFont* font, const RectF& rect, GpStringFormat* format,
              GpSolidFill* brush)
{
    if (text.empty() || !font || !brush) return;
    GdipDrawString(g, text.c_str(), static_cast<INT>(text.size()), font, &rect, format, brush);
}

GdipSolidBrush MakeBrush(ARGB colour)
{
    GdipSolidBrush brush;
    GdipCreateSolidFill(colour, brush.out());
    return brush;
}

void DrawLitImage(GpGraphics* g, const GdipBitmap (&lit)[kLitCount], const POINT (&at)[kLitCount], LitImage image)
{
    for (int i = 0; i < kLitCount; ++i) {
        if (kLitCuts[i].image == image && lit[i]) DrawAt(g, lit[i].get(), at[i].x, at[i].y);
    }
}

} // namespace

Artwork::Artwork(int dpi) : dpi_(UsableDpi(dpi))
{
    if (dpi_ == kBaseDpi) {
        background_ = LoadBitmapResource(L"BG1");
        if (GdipBitmap lit = LoadBitmapResource(L"BG_UP")) {
            // Only the cut-outs are ever shown.
            for (int i = 0; i < kLitCount; ++i) {
                const LitCut& c = kLitCuts[i];
                lit_[i] = CloneArea(lit.get(), c.rect.left, c.rect.top, c.rect.right - c.rect.left, c.rect.bottom - c.rect.top);
                litAt_[i] = {c.rect.left + c.shift, c.rect.top};
            }
        }
    } else {
        // The scaled sets hold the lit scene where it is drawn: each cut-out
        // is cut and drawn at the same place, the drawn place of 96 dpi.
        const int w = ToPhysical(kClientWidth, dpi_), h = ToPhysical(kClientHeightClosed, dpi_);
        const std::string set = std::to_string(ArtworkScaleFor(dpi_));
        background_ = LoadPngResourceAt(("SCENE" + set).c_str(), w, h);
        if (GdipBitmap lit = LoadPngResourceAt(("SCENE_LIT" + set).c_str(), w, h)) {
            for (int i = 0; i < kLitCount; ++i) {
                const LitCut& c = kLitCuts[i];
                const ZoneRect r = ToPhysical(ZoneRect{c.rect.left + c.shift, c.rect.top, c.rect.right + c.shift, c.rect.bottom}, dpi_);
                lit_[i] = CloneArea(lit.get(), r.left, r.top, r.right - r.left, r.bottom - r.top);
                litAt_[i] = {r.left, r.top};
            }
        }
    }
    if (background_) {
        UINT w = 0, h = 0;
        GdipGetImageWidth(background_.get(), &w);
        GdipGetImageHeight(background_.get(), &h);
        backBuffer_ = CloneArea(background_.get(), 0, 0, static_cast<int>(w), static_cast<int>(h));
    }
}

bool Artwork::BackBufferPixel(int x, int y, uint32_t& argb) const
{
    if (!painted_ || !backBuffer_) return false;
    ARGB value = 0;
    if (GdipBitmapGetPixel(backBuffer_.get(), x, y, &value) != Ok) return false;
    argb = value;
    return true;
}

namespace {

// Steps up to the texts, on the back buffer only. 0 when the background cannot be drawn.
int ComposeMainPicture(const WindowStateRecord& state, const SettingsRecord& settings, const FolderRecord& folders,
                       GpBitmap* background, const GdipBitmap (&lit)[kLitCount], const POINT (&litAt)[kLitCount],
                       GpBitmap* backBuffer, int dpi)
{
    const std::wstring maxPixText = Widen(ValueText(state.MaxPixShown));
    const std::wstring protsText = Widen(ValueText(state.ProtsShown));
    std::wstring subfolderText = Widen(folders.OutSubfolder);

    GdipGraphics g;
    if (!backBuffer || GdipGetImageGraphicsContext(backBuffer, g.out()) != Ok) return 0;
    if (!background || DrawAt(g.get(), background, 0, 0) != Ok) return 0;

    // The output mode of the last job: in window mode every job gets the run's flag.
    const StatusChoice status = ChooseStatus(state, settings, folders.iOutSubfolderNo, state.iRunToFolder);
    DrawLitImage(g.get(), lit, litAt, status.lit);
    // From here on the layout's logical pixels: one scale for the line and the texts.
    if (dpi != kBaseDpi) {
        const REAL scale = static_cast<REAL>(dpi) / kBaseDpi;
        GdipScaleWorldTransform(g.get(), scale, scale, MatrixOrderPrepend);
    }
    if (status.progressLineEnd >= 0) {
        GdipSolidBrush red = MakeBrush(kProgressRed);
        GdipPen pen;
        if (red && GdipCreatePen2(red.get(), 1.0f, UnitWorld, pen.out()) == Ok)
            GdipDrawLineI(g.get(), pen.get(), kProgressLineStartX, kProgressLineY, status.progressLineEnd, kProgressLineY);
    }
    std::wstring statusText = Widen(status.text);
    if (statusText.empty() && !status.text.empty()) statusText = Widen(status.fallback);

    GdipFontFamily family;
    GdipFont valueFont, statusFont;
    if (GdipCreateFontFamilyFromName(L"Arial", nullptr, family.out()) == Ok) {
        GdipCreateFont(family.get(), 27.0f, FontStyleRegular, UnitPixel, valueFont.out());
        GdipCreateFont(family.get(), 16.0f, FontStyleBold, UnitPixel, statusFont.out());
    }
    GdipStringFormat format;
    if (GdipCreateStringFormat(0, LANG_NEUTRAL, format.out()) == Ok) GdipSetStringFormatAlign(format.get(), StringAlignmentCenter);
    GdipSolidBrush white = MakeBrush(kWhite), blue = MakeBrush(kBlue), black = MakeBrush(kBlack);

    DrawLabel(g.get(), maxPixText, valueFont.get(), RectF(118, 25, 80, 40), format.get(), white.get());
    DrawLabel(g.get(), protsText, valueFont.get(), RectF(224, 16, 70, 40), format.get(), white.get());
    DrawLabel(g.get(), statusText, statusFont.get(), RectF(20, 110, 370, 50), format.get(),
             status.blue ? blue.get() : white.get());
    if (status.showSubfolder)
        DrawLabel(g.get(), subfolderText, statusFont.get(), RectF(332, 28, 60, 50), format.get(), black.get());
    return 1;
}

} // namespace

int PaintMainWindow(const WindowStateRecord& state, const SettingsRecord& settings, const FolderRecord& folders,
                    Artwork& art, HDC target)
{
    if (!ComposeMainPicture(state, settings, folders, art.background_.get(), art.lit_, art.litAt_, art.backBuffer_.get(),
                            art.dpi_))
        return 0;
    art.painted_ = true;
    GdipGraphics display;
    if (target && GdipCreateFromHDC(target, display.out()) == Ok) DrawAt(display.get(), art.backBuffer_.get(), 0, 0);
    return 1;
}

void PaintColourSwatch(HDC target, int colour, int dpi)
{
    GdipGraphics g;
    if (!target || GdipCreateFromHDC(target, g.out()) != Ok) return;
    if (UsableDpi(dpi) != kBaseDpi) {
        const REAL scale = static_cast<REAL>(UsableDpi(dpi)) / kBaseDpi;
        GdipScaleWorldTransform(g.get(), scale, scale, MatrixOrderPrepend);
    }
    GdipSolidBrush brush = MakeBrush(TextColourArgb(colour));
    if (brush) GdipFillRectangleI(g.get(), brush.get(), 1, 1, 22, 10);
}
