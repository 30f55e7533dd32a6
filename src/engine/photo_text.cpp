#include "engine/photo_text.h"

#include "common/text.h"

const char* const kFontUnusableMessage = "Этот шрифт не подходит.   \nВыберите, пожалуйста другой шрифт.     ";

uint32_t TextColourArgb(int colour)
{
    const auto c = static_cast<uint32_t>(colour);
    return 0xC8000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

bool PlaceText(int mode, int width, int height, TextPlacement& out)
{
    if (mode == 0) return false;
    out.x = 20;
    out.y = 24;
    out.width = static_cast<float>(width - 40);
    out.height = static_cast<float>(height - 48);
    if (mode >= 1 && mode <= 9) {
        out.align = (mode - 1) % 3;      // near, centre, far by column
        out.lineAlign = (mode - 1) / 3;  // near, centre, far by row
    } else if (mode == kTextModeStripes) {
        out.align = kAlignNear;
        out.lineAlign = kAlignNear;
    } else {
        out.align = kAlignCentre;
        out.lineAlign = kAlignCentre;
    }
    return true;
}

std::string StripeLine(std::string_view text)
{
    const size_t characters = Utf8Length(text);
    const size_t repeats = 512 / (characters + 1);
    std::string line;
    for (size_t i = 0; i < repeats; ++i) {
        line += text;
        line += ' ';
    }
    return Utf8Prefix(line, 512);
}

std::array<TextPlacement, 4> StripeLayout(int width, int height)
{
    const int band = (height - 40) / 3;
    TextPlacement base;
    base.x = -100;
    base.y = 20;
    base.width = static_cast<float>(width) + 20000;
    base.height = static_cast<float>(band);
    base.align = kAlignNear;
    std::array<TextPlacement, 4> stripes{base, base, base, base};
    stripes[0].lineAlign = kAlignNear;
    stripes[1].lineAlign = kAlignFar;
    stripes[2].y = stripes[3].y = static_cast<float>(20 + 2 * band);
    stripes[2].lineAlign = kAlignNear;
    stripes[3].lineAlign = kAlignFar;
    return stripes;
}

std::string FormatFileDate(int day, int month, int year, int hour, int minute, bool dateOnly)
{
    if (dateOnly) return Format("%02d.%02d.%d", day, month, year);
    return Format("%02d.%02d.%d  %02d:%02d", day, month, year, hour, minute);
}

std::string PreparePictureText(std::string_view jobText, const std::function<std::optional<std::string>(bool dateOnly)>& fileDate)
{
    if (jobText.find("_Date_") == std::string_view::npos) return std::string(jobText);
    const bool dateOnly = jobText.find("_Date_Time_") == std::string_view::npos;
    std::optional<std::string> date = fileDate(dateOnly);
    return date ? *date : std::string(jobText);
}
