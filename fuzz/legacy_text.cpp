// The text helpers every file and command line goes through: UTF-8 checks,
// Windows-1251 decoding, character counts and prefixes, line ends, numbers.
#include <cstdlib>
#include <string_view>

#include "common/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string decoded = DecodeLegacyText(bytes);
    if (!IsValidUtf8(decoded)) std::abort();
    if (IsValidUtf8(bytes) && decoded != bytes) std::abort();
    if (!IsValidUtf8(Cp1251ToUtf8(bytes))) std::abort();

    const size_t length = Utf8Length(bytes);
    if (length > size || Utf16Length(bytes) < length) std::abort();
    const std::string prefix = Utf8Prefix(decoded, length / 2);
    if (!IsValidUtf8(prefix) || Utf8Length(prefix) != length / 2 || decoded.compare(0, prefix.size(), prefix) != 0)
        std::abort();

    const std::string lf = CrLfToLf(bytes);
    if (CrLfToLf(LfToCrLf(lf)) != lf) std::abort();
    ParseLeadingInt(bytes);
    WithoutTrailingLineFeed(bytes);
    return 0;
}
