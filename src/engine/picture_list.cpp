#include "engine/picture_list.h"

#include <algorithm>
#include <utility>

#include "common/paths.h"
#include "common/text.h"

namespace {

// The next code point of a UTF-8 text; a stray or cut-off byte stands for itself.
char32_t NextCodePoint(std::string_view s, size_t& i)
{
    const auto lead = static_cast<unsigned char>(s[i]);
    const size_t extra = lead >= 0xF0 && lead < 0xF8 ? 3 : lead >= 0xE0 && lead < 0xF0 ? 2 : lead >= 0xC0 && lead < 0xE0 ? 1 : 0;
    char32_t c = extra == 3 ? (lead & 0x07) : extra == 2 ? (lead & 0x0F) : (lead & 0x1F);
    bool whole = extra > 0 && i + extra < s.size();
    for (size_t k = 1; whole && k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(s[i + k]);
        whole = (next & 0xC0) == 0x80;
        c = (c << 6) | (next & 0x3F);
    }
    if (!whole) {
        ++i;
        return lead;
    }
    i += extra + 1;
    return c;
}

// Upper case as the file system's case table has it for the scripts people
// name photos in: Latin, Greek, Cyrillic, Armenian, full-width Latin.
char16_t UpcaseUnit(char16_t c)
{
    if (c >= u'a' && c <= u'z') return c - 32;
    if (c < 0xE0) return c;
    if (c <= 0xFE) return c == 0xF7 ? c : c - 32;
    if (c == 0xFF) return 0x178;
    if (c >= 0x100 && c <= 0x137) return c & 1 ? c - 1 : c;
    if (c >= 0x139 && c <= 0x148) return c & 1 ? c : c - 1;
    if (c >= 0x14A && c <= 0x177) return c & 1 ? c - 1 : c;
    if (c >= 0x179 && c <= 0x17E) return c & 1 ? c : c - 1;
    if (c == 0x3AC) return 0x386;
    if (c >= 0x3AD && c <= 0x3AF) return c - 37;
    if (c >= 0x3B1 && c <= 0x3CB) return c == 0x3C2 ? 0x3A3 : c - 32;
    if (c == 0x3CC) return 0x38C;
    if (c == 0x3CD || c == 0x3CE) return c - 63;
    if (c >= 0x430 && c <= 0x44F) return c - 32;
    if (c >= 0x450 && c <= 0x45F) return c - 80;
    if ((c >= 0x460 && c <= 0x481) || (c >= 0x48A && c <= 0x4BF) || (c >= 0x4D0 && c <= 0x52F)) return c & 1 ? c - 1 : c;
    if (c >= 0x4C1 && c <= 0x4CE) return c & 1 ? c : c - 1;
    if (c == 0x4CF) return 0x4C0;
    if (c >= 0x561 && c <= 0x586) return c - 48;
    if (c >= 0xFF41 && c <= 0xFF5A) return c - 32;
    return c;
}

// The key NTFS sorts a name by: its UTF-16 code units, each upper-cased.
// Characters beyond the BMP stay surrogate pairs, which is why an emoji sorts
// before a full-width letter although its code point is larger.
std::u16string NtfsKey(std::string_view name)
{
    std::u16string key;
    key.reserve(name.size());
    for (size_t i = 0; i < name.size();) {
        const char32_t c = NextCodePoint(name, i);
        if (c >= 0x10000 && c <= 0x10FFFF) {
            key += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            key += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            key += UpcaseUnit(static_cast<char16_t>(c > 0xFFFF ? 0xFFFD : c));
        }
    }
    return key;
}

} // namespace

bool IsPictureName(std::string_view path)
{
    // No upper bound: a path of any length is a picture here, and a job says
    // so when one is longer than Windows takes.
    if (Utf8Length(path) < 6) return false;
    // The last five characters; with ASCII extensions only their bytes matter,
    // but a character is never cut, so a name ending in "x.jpgф" still holds ".jpg".
    size_t start = path.size();
    for (int n = 0; n < 5 && start > 0;) {
        --start;
        if ((static_cast<unsigned char>(path[start]) & 0xC0) != 0x80) ++n;
    }
    std::string tail(path.substr(start));
    for (char& c : tail)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (tail.find('.') == std::string::npos) return false;
    // A substring test, so ".tiff" passes (".tif" is in it) and ".jpg.txt" does not. The
    // five-character ".jpeg", ".webp", ".heic", ".heif" and ".avif" fill the whole tail, so
    // they must end the name. ".hif" is Canon's and Sony's HEIF.
    for (const char* ext : {".jpeg", ".jpg", ".bmp", ".gif", ".png", ".tif", ".wmf", ".emf", ".webp", ".heic", ".heif",
                            ".hif", ".avif"})
        if (tail.find(ext) != std::string::npos) return true;
    return false;
}

bool NtfsNameLess(std::string_view a, std::string_view b)
{
    return NtfsKey(a) < NtfsKey(b);
}

std::vector<std::string> FolderPicturePaths(std::string_view folder, std::vector<ListedEntry> entries)
{
    // The file system's own order is name order only on NTFS; FAT drives,
    // network shares and cameras list in any order. Sorting first makes the
    // numbered outputs follow the photos and "the first 9000" mean something.
    std::vector<std::pair<std::u16string, std::string>> keyed;
    for (ListedEntry& e : entries) {
        if (e.folder || e.size == 0) continue;
        std::string path = JoinPath(folder, e.name);
        if (!IsPictureName(path)) continue;
        keyed.emplace_back(NtfsKey(e.name), std::move(path));
    }
    // Two names can differ only in case on a case-sensitive share; the byte
    // order then settles them, so the list never depends on the listing.
    std::sort(keyed.begin(), keyed.end());
    std::vector<std::string> paths;
    const size_t kept = std::min<size_t>(keyed.size(), kMaxRunInputs);
    paths.reserve(kept);
    for (size_t i = 0; i < kept; ++i) paths.push_back(std::move(keyed[i].second));
    return paths;
}

std::string FolderListText(const std::vector<std::string>& paths)
{
    std::string text;
    for (const std::string& p : paths) {
        text += p;
        text += "\r\n";
    }
    return text;
}

std::vector<std::string> ParseFolderList(std::string_view text)
{
    std::vector<std::string> paths;
    size_t start = 0;
    while (start < text.size() && paths.size() < static_cast<size_t>(kMaxRunInputs)) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) paths.emplace_back(line);
        start = end + 1;
    }
    return paths;
}
