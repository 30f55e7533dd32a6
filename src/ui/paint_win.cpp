#include "ui/paint_win.h"

#include <string>

#include "common/wide_win.h"
#include "imaging/gdiplus_win.h"
#include "ui/status_text.h"

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

namespace {

constexpr ARGB kWhite = 0xC8FFFFFF;
constexpr ARGB kBlue = 0xC86464FF;
constexpr ARGB kBlack = 0xC8000000;
constexpr ARGB kProgressRed = 0xFFFF0000;

// A lit cut-out of BG_UP: where it is cut and where it is drawn. The dials
// and the folder are drawn one pixel left of where they are cut; the artwork
// is made for that.
struct LitCut {
    LitImage image;
    int cutX, cutY, w, h;
    int drawX, drawY;
};
constexpr LitCut kLitCuts[] = {
    {LitImage::SizeDial, 120, 4, 80, 80, 119, 4},
    {LitImage::QualityDial, 226, 0, 70, 70, 225, 0},
    {LitImage::ResultFolder, 332, 8, 60, 50, 331, 8},
    {LitImage::ResetCorner, 2, 88, 24, 26, 2, 88},
    {LitImage::PanelToggle, 304, 2, 30, 16, 304, 2},
};
constexpr int kLitCount = sizeof kLitCuts / sizeof kLitCuts[0];

// Made on the first paint and kept to the end of the process. Deliberately
// raw and never freed: GDI+ is shut down before static destructors run, and
// a failed image is not tried again.
struct Artwork {
    bool made = false;
    GpBitmap* background = nullptr;
    GpBitmap* lit[kLitCount] = {};
    GpBitmap* backBuffer = nullptr;
    UINT width = 0, height = 0;
};
Artwork Art;

GpBitmap* LoadBitmapResource(const wchar_t* name)
{
    GpBitmap* bitmap = nullptr;
    if (GdipCreateBitmapFromResource(GetModuleHandleA(nullptr), name, &bitmap) != Ok) return nullptr;
    return bitmap;
}

void MakeArtwork()
{
    if (Art.made) return;
    Art.made = true;
    Art.background = LoadBitmapResource(L"BG1");
    GpBitmap* lit = LoadBitmapResource(L"BG_UP");
    if (lit) {
        PixelFormat format = PixelFormat24bppRGB;
        GdipGetImagePixelFormat(lit, &format);
        for (int i = 0; i < kLitCount; ++i) {
            const LitCut& c = kLitCuts[i];
            if (GdipCloneBitmapAreaI(c.cutX, c.cutY, c.w, c.h, format, lit, &Art.lit[i]) != Ok) Art.lit[i] = nullptr;
        }
        GdipDisposeImage(lit);  // only the cut-outs are ever shown
    }
    if (Art.background) {
        PixelFormat format = PixelFormat24bppRGB;
        GdipGetImageWidth(Art.background, &Art.width);
        GdipGetImageHeight(Art.background, &Art.height);
        GdipGetImagePixelFormat(Art.background, &format);
        if (GdipCloneBitmapAreaI(0, 0, static_cast<INT>(Art.width), static_cast<INT>(Art.height), format, Art.background,
                                 &Art.backBuffer) != Ok)
            Art.backBuffer = nullptr;
    }
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

void DrawLitImage(GpGraphics* g, LitImage image)
{
    for (int i = 0; i < kLitCount; ++i) {
        if (kLitCuts[i].image == image && Art.lit[i]) DrawAt(g, Art.lit[i], kLitCuts[i].drawX, kLitCuts[i].drawY);
    }
}

// Steps up to the texts, on the back buffer only. 0 when the background cannot be drawn.
int ComposeMainPicture(WindowStateRecord& state, const SettingsRecord& settings, const FolderRecord& folders)
{
    MakeArtwork();
    const std::wstring maxPixText = Widen(ValueText(state.MaxPixShown));
    const std::wstring protsText = Widen(ValueText(state.ProtsShown));
    std::wstring subfolderText = Widen(folders.OutSubfolder);

    GdipGraphics g;
    if (!Art.backBuffer || GdipGetImageGraphicsContext(Art.backBuffer, g.out()) != Ok)
        return 0;
    if (!Art.background || DrawAt(g.get(), Art.background, 0, 0) != Ok) return 0;

    // The output mode of the last job: in window mode every job gets the run's flag.
    const StatusChoice status = ChooseStatus(state, settings, folders.iOutSubfolderNo, state.iRunToFolder);
    DrawLitImage(g.get(), status.lit);
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

// The photo-text colour (0x00BBGGRR) straight onto the colour button.
void PaintColourSwatch(HWND button, int colour)
{
    GdipGraphics g;
    if (!button || GdipCreateFromHWND(button, g.out()) != Ok) return;
    const auto c = static_cast<uint32_t>(colour);
    const ARGB argb = (0xC8u << 24) | ((c & 0xFF) << 16) | (((c >> 8) & 0xFF) << 8) | ((c >> 16) & 0xFF);
    GdipSolidBrush brush = MakeBrush(argb);
    if (brush) GdipFillRectangleI(g.get(), brush.get(), 1, 1, 22, 10);
}

} // namespace

int PaintMainWindow(WindowStateRecord& state, const SettingsRecord& settings, const FolderRecord& folders,
                    const PaintSurface& surface)
{
    if (!ComposeMainPicture(state, settings, folders)) return 0;
    if (state.iPanelOpen == 1) PaintColourSwatch(surface.colourButton, settings.Color);
    GdipGraphics display;
    if (surface.display && GdipCreateFromHWND(surface.display, display.out()) == Ok)
        DrawAt(display.get(), Art.backBuffer, 0, 0);
    return 1;
}

bool BackBufferPixel(int x, int y, uint32_t& argb)
{
    if (!Art.backBuffer) return false;
    ARGB value = 0;
    if (GdipBitmapGetPixel(Art.backBuffer, x, y, &value) != Ok) return false;
    argb = value;
    return true;
}
