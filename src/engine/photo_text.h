#pragma once
// Where and how the photo text goes on a picture: placement, stripes and the
// file-date marker. The drawing itself is GDI+ (photo_text_win.cpp).
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

enum TextAlign { kAlignNear = 0, kAlignCentre = 1, kAlignFar = 2 };

constexpr int kTextModeStripes = 10;
constexpr float kStripeFontPixels = 13.0f;
extern const char* const kFontUnusableMessage;

struct TextPlacement {
    float x = 0, y = 0, width = 0, height = 0;
    int align = kAlignCentre;      // horizontal
    int lineAlign = kAlignCentre;  // vertical
};

// A colour of the settings (0x00BBGGRR, red in the low byte) as the ARGB the
// text is drawn with: alpha 200, so the photo shows a little through the text.
uint32_t TextColourArgb(int colour);

// The rectangle and alignments of placement code `mode` (1..9 a 3 x 3 grid,
// 10 stripes, anything else the centre) on a picture of width x height.
// False for mode 0 (no text).
bool PlaceText(int mode, int width, int height, TextPlacement& out);

// The stripe line: the text and a blank, repeated 512 / (characters + 1) times.
std::string StripeLine(std::string_view text);
// The four stripes: at the top, below one third, above two thirds, at the bottom.
std::array<TextPlacement, 4> StripeLayout(int width, int height);

// "05.03.2024" or "05.03.2024  14:07".
std::string FormatFileDate(int day, int month, int year, int hour, int minute, bool dateOnly);
// The text for one picture: a text holding "_Date_" becomes that picture's
// file date ("_Date_Time_" adds the time); `fileDate(dateOnly)` gives it, or
// nothing when the file cannot be opened, and then the text stays as it is.
std::string PreparePictureText(std::string_view jobText, const std::function<std::optional<std::string>(bool dateOnly)>& fileDate);
