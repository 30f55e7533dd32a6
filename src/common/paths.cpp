#include "common/paths.h"

#include <algorithm>
#include <vector>

#include "common/text.h"

static bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string JoinPath(std::string_view folder, std::string_view name)
{
    std::string out(folder);
    if (!out.empty() && !IsSeparator(out.back())) out += '\\';
    out += name;
    return out;
}

std::string FolderOf(std::string_view path)
{
    size_t pos = path.find_last_of("\\/");
    return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos));
}

std::string FileNameOf(std::string_view path)
{
    size_t pos = path.find_last_of("\\/");
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

namespace {

// "\\?\UNC\" in place of the "\\" of a network path: the most a prefix adds.
constexpr size_t kPrefixGrowth = 6;

bool StartsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

bool IsDriveLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The segment as the system keeps it: the last one without its trailing dots
// and blanks, any other without one trailing dot ("a." is "a", "..." stays).
std::string TrimmedSegment(std::string_view segment, bool last)
{
    std::string s(segment);
    if (last) {
        while (!s.empty() && (s.back() == '.' || s.back() == ' ')) s.pop_back();
    } else if (s.size() >= 2 && s.back() == '.' && s[s.size() - 2] != '.') {
        s.pop_back();
    }
    return s;
}

} // namespace

std::optional<std::string> ExtendedLengthPath(std::string_view path)
{
    auto fits = [](const std::string& p) { return Utf16Length(p) < kMaxPathUnits; };
    if (StartsWith(path, "\\\\?\\") || StartsWith(path, "\\\\.\\")) {
        std::string kept(path);
        return fits(kept) ? std::optional(kept) : std::nullopt;
    }

    std::string out;
    std::string_view rest;
    if (path.size() >= 3 && IsDriveLetter(path[0]) && path[1] == ':' && IsSeparator(path[2])) {
        out = "\\\\?\\" + std::string(path.substr(0, 2)) + "\\";
        rest = path.substr(3);
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        // The server and the share are the root of a network path: ".." never leaves them.
        std::string_view tail = path.substr(2);
        const size_t serverEnd = tail.find_first_of("\\/");
        if (serverEnd == 0 || serverEnd == std::string_view::npos) return std::nullopt;
        const std::string_view server = tail.substr(0, serverEnd);
        tail = tail.substr(serverEnd + 1);
        const size_t shareEnd = std::min(tail.find_first_of("\\/"), tail.size());
        if (shareEnd == 0) return std::nullopt;
        out = "\\\\?\\UNC\\" + std::string(server) + "\\" + std::string(tail.substr(0, shareEnd)) + "\\";
        rest = tail.substr(shareEnd);
    } else {
        return std::nullopt;
    }

    std::vector<std::string> kept;
    const bool endsInSeparator = !path.empty() && IsSeparator(path.back());
    size_t start = 0;
    while (start <= rest.size()) {
        size_t end = rest.find_first_of("\\/", start);
        if (end == std::string_view::npos) end = rest.size();
        const std::string_view segment = rest.substr(start, end - start);
        start = end + 1;
        if (segment.empty() || segment == ".") continue;
        if (segment == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        std::string s = TrimmedSegment(segment, end == rest.size() && !endsInSeparator);
        if (!s.empty()) kept.push_back(std::move(s));
    }
    for (size_t i = 0; i < kept.size(); ++i) out += (i ? "\\" : "") + kept[i];
    return fits(out) ? std::optional(out) : std::nullopt;
}

bool PathTooLongForSystem(std::string_view path)
{
    return Utf16Length(path) + kPrefixGrowth >= kMaxPathUnits;
}

std::string PathForMessage(std::string_view path, size_t maxChars)
{
    const size_t length = Utf8Length(path);
    if (length <= maxChars || maxChars < 3) return std::string(path);
    const size_t head = maxChars / 3;
    const size_t tail = maxChars - head - 1;
    const size_t tailStart = Utf8Prefix(path, length - tail).size();
    return Utf8Prefix(path, head) + "…" + std::string(path.substr(tailStart));
}
