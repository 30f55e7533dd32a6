#include "engine/photo_text_win.h"

#include "common/owners_win.h"
#include "common/wide_win.h"
#include "engine/photo_text.h"
#include "imaging/gdiplus_win.h"

std::optional<std::string> FileDateText(const std::string& path, bool dateOnly)
{
    // Shared access, so a picture that a viewer holds open still gives its date.
    const std::wstring widePath = WidePath(path);
    if (widePath.empty()) return std::nullopt;
    const FileHandle file(CreateFileW(widePath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    FILETIME written;
    SYSTEMTIME utc, local;
    std::string text = "00.00.0000";
    if (GetFileTime(file.get(), nullptr, nullptr, &written) && FileTimeToSystemTime(&written, &utc) &&
        SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        text = FormatFileDate(local.wDay, local.wMonth, local.wYear, local.wHour, local.wMinute, dateOnly);
    return text;
}

namespace {

Gdiplus::StringAlignment ToGdiplus(int align)
{
    return align == kAlignNear ? Gdiplus::StringAlignmentNear
         : align == kAlignFar  ? Gdiplus::StringAlignmentFar
                               : Gdiplus::StringAlignmentCenter;
}

bool DrawOnce(Gdiplus::GpGraphics* graphics, const std::wstring& text, Gdiplus::GpFont* font, Gdiplus::GpStringFormat* format,
              Gdiplus::GpBrush* brush, const TextPlacement& place)
{
    gp::GdipSetStringFormatAlign(format, ToGdiplus(place.align));
    gp::GdipSetStringFormatLineAlign(format, ToGdiplus(place.lineAlign));
    Gdiplus::RectF rect(place.x, place.y, place.width, place.height);
    return gp::GdipDrawString(graphics, text.c_str(), -1, font, &rect, format, brush) == Gdiplus::Ok;
}

} // namespace

bool DrawPictureText(Image& picture, const PhotoText& job, const std::string& text)
{
    GdipStringFormat format;
    gp::GdipCreateStringFormat(0, LANG_NEUTRAL, format.out());
    GdipFontFamily family;
    const std::wstring faceName = Widen(job.fontName);
    gp::GdipCreateFontFamilyFromName(faceName.c_str(), nullptr, family.out());
    GdipFont font, smallFont;
    if (family) {
        gp::GdipCreateFont(family.get(), static_cast<float>(job.fontSize), job.fontStyle, Gdiplus::UnitPixel, font.out());
        gp::GdipCreateFont(family.get(), kStripeFontPixels, job.fontStyle, Gdiplus::UnitPixel, smallFont.out());
    }
    if (!font || !format) return false;

    TextPlacement place;
    if (!PlaceText(job.mode, picture.width, picture.height, place)) return true;

    GdipBrush brush;
    Gdiplus::GpSolidFill* fill = nullptr;
    if (gp::GdipCreateSolidFill(TextColourArgb(job.colour), &fill) == Gdiplus::Ok) brush = GdipBrush(fill);

    GdipImage bitmap = WrapImage(picture);
    GdipGraphics graphics;
    if (!brush || !bitmap || gp::GdipGetImageGraphicsContext(bitmap.get(), graphics.out()) != Gdiplus::Ok) return false;
    // Smooth greyscale edges: ClearType's colour fringes would show on a photo.
    gp::GdipSetTextRenderingHint(graphics.get(), Gdiplus::TextRenderingHintAntiAlias);

    if (job.mode == kTextModeStripes) {
        const std::wstring line = Widen(StripeLine(text));
        for (const TextPlacement& stripe : StripeLayout(picture.width, picture.height))
            DrawOnce(graphics.get(), line, smallFont ? smallFont.get() : font.get(), format.get(), brush.get(), stripe);
    } else {
        DrawOnce(graphics.get(), Widen(text), font.get(), format.get(), brush.get(), place);
    }
    return true;
}
