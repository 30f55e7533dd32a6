#include "common/paths.h"

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
