#include "app/settings_file.h"

#include <algorithm>
#include <vector>

#include "common/text.h"

namespace {

// Lines 4 and 5 are reserved: written so that line 6 stays the sixth line, never read.
constexpr const char* kReservedLabel = "Reserved";

std::vector<std::string_view> SplitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// A string value is written on its own line: a line break inside it (a path
// taken from a list-file line) would shift every later line to the wrong field.
std::string OneLine(const std::string& value)
{
    std::string out;
    for (char c : value)
        if (c != '\r' && c != '\n') out += c;
    return out;
}

int Clamp(int value, int low, int high)
{
    return value < low ? low : value > high ? high : value;
}

} // namespace

std::string FormatSettingsFile(const SettingsRecord& s)
{
    std::string out;
    out += Format("1.[%d] MaxPix\n", s.MaxPix);
    out += Format("2.[%d] Prots\n", s.Prots);
    out += Format("3.[%d] Temp\n", 0);
    out += Format("4.[] %s\n", kReservedLabel);
    out += Format("5.[] %s\n", kReservedLabel);
    out += "6.[" + OneLine(s.LastDir) + "] LastDir\n";
    out += "7.[" + OneLine(s.LastFile) + "] LastFile\n";
    out += "8.[" + OneLine(s.LastVarbo) + "] LastVarbo\n";
    out += "9.[" + OneLine(s.Varbo_Photo) + "] Varbo_Photo\n";
    out += Format("10.[%d] VarboOver\n", s.VarboOver);
    out += "11.[" + OneLine(s.FontName) + "] FontName\n";
    out += Format("12.[%d] FontSize\n", s.FontSize);
    out += Format("13.[%d] FontStyle\n", s.FontStyle);
    out += Format("14.[%d] FontHeight\n", s.FontHeight);
    out += Format("15.[%d] Color\n", s.Color);
    out += Format("16.[%d] TrProtext\n", s.TrProtext);
    out += Format("17.[%d] iTrProtextN\n", s.iTrProtextN);
    out += Format("18.[%d] iTrProtextNoResize\n", s.iTrProtextNoResize);
    out += Format("19.[%d] Temp\n", 0);
    out += Format("20.[%d] iTrSaveFileName\n", s.iTrSaveFileName);
    return out;
}

std::string SettingsLineValue(std::string_view line)
{
    size_t open = line.find('[');
    size_t firstClose = line.find(']');
    if (open == std::string_view::npos) return {};
    if (firstClose != std::string_view::npos && firstClose < open) return {};
    // The value runs to the last "]" of the line, so a folder such as
    // "D:\Фото [2024]" comes back whole; the label after it never holds one.
    size_t close = line.rfind(']');
    std::string_view value = close == std::string_view::npos ? line.substr(open + 1) : line.substr(open + 1, close - open - 1);
    return std::string(value);
}

void ApplySettingsFile(std::string_view text, SettingsRecord& s)
{
    std::vector<std::string_view> lines = SplitLines(text);
    const size_t count = std::min<size_t>(lines.size(), 20);
    for (size_t i = 0; i < count; ++i) {
        // A lone CR (a line end cut in half) is no part of a value: the writer drops it too,
        // so what is read is what the next start reads back.
        const std::string value = OneLine(SettingsLineValue(lines[i]));
        if (value.empty()) continue;
        const int number = ParseLeadingInt(value);
        switch (i + 1) {
        case 1: s.MaxPix = number; break;
        case 2: s.Prots = number; break;
        case 6: s.LastDir = value; break;
        case 7: s.LastFile = value; break;
        case 8: s.LastVarbo = value; break;
        case 10: s.VarboOver = number; break;
        case 11: {
            // A face name has at most 31 characters; anything far longer is not one.
            const size_t length = Utf8Length(value);
            if (length >= 2 && length <= 127) s.FontName = value;
            break;
        }
        case 12: s.FontSize = number; break;
        case 13: s.FontStyle = number; break;
        case 14: s.FontHeight = number; break;
        case 15: s.Color = number; break;
        case 16: s.TrProtext = number; break;
        case 17: s.iTrProtextN = number; break;
        case 18: s.iTrProtextNoResize = number; break;
        case 20: s.iTrSaveFileName = number; break;
        default: break;  // 3, 4, 5, 9 and 19 are read past
        }
        s.MaxPix = Clamp(s.MaxPix, s.MaxPixMin, s.MaxPixMax);
        s.Prots = Clamp(s.Prots, s.ProtsMin, s.ProtsMax);
    }
}

std::string PhotoTextFromFile(std::string_view text)
{
    std::string kept = Utf8Prefix(text, kProtextEditorMaxLen);
    if (Utf8Length(kept) < 4) return ProtextDefault;
    return kept;
}
