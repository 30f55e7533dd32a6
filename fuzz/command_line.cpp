// The picture named on the command line the system gives the program, and the
// path helpers every named picture meets on its way to the job.
#include <cstdlib>
#include <string_view>

#include "app/command_line.h"
#include "common/paths.h"
#include "common/text.h"
#include "engine/output_names.h"

namespace {

bool StartsWith(std::string_view text, std::string_view start)
{
    return text.substr(0, start.size()) == start;
}

// The extended form of a drive path has no empty, "." or ".." segment after its root.
void CheckExtended(std::string_view path)
{
    const std::optional<std::string> extended = ExtendedLengthPath(path);
    if (!extended) return;
    if (!StartsWith(*extended, "\\\\?\\") && !StartsWith(*extended, "\\\\.\\")) std::abort();
    if (Utf16Length(*extended) >= kMaxPathUnits) std::abort();
    if (ExtendedLengthPath(*extended) != extended) std::abort();
    // Only a drive path is taken apart here; one given in the extended form stays as it was.
    const bool drive = path.size() >= 3 && path[1] == ':' && StartsWith(*extended, "\\\\?\\") && (*extended)[5] == ':';
    if (!drive || extended->size() <= 7) return;
    std::string_view rest = std::string_view(*extended).substr(7);  // after "\\?\C:\"
    for (size_t start = 0; start <= rest.size();) {
        size_t end = std::min(rest.find('\\', start), rest.size());
        const std::string_view segment = rest.substr(start, end - start);
        if (segment.empty() || segment == "." || segment == "..") std::abort();
        start = end + 1;
    }
}

void CheckMessageForm(std::string_view path, size_t maxChars)
{
    const size_t length = Utf8Length(PathForMessage(path, maxChars));
    if (length > maxChars && length != Utf8Length(path)) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const std::string named = ScanCommandLine(line);
    if (named.size() > size || named.find_first_of("\"\t") != std::string::npos) std::abort();

    CheckExtended(named);
    CheckExtended(line);
    PathTooLongForSystem(named);
    CheckMessageForm(named, 300);
    CheckMessageForm(line, size % 40);
    if (JoinPath(FolderOf(named), FileNameOf(named)).size() < FileNameOf(named).size()) std::abort();
    KeptOutputName(901, named);
    BaseNameOf(named);
    return 0;
}
