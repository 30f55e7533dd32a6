// The picture named on the command line the system gives the program.
#include <cstdlib>
#include <string_view>

#include "app/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string named = ScanCommandLine(std::string_view(reinterpret_cast<const char*>(data), size));
    if (named.size() > size || named.find_first_of("\"\t") != std::string::npos) std::abort();
    return 0;
}
