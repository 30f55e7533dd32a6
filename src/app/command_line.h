#pragma once
#include <string>
#include <string_view>

// The picture named on a command line: the quoted program path, blanks after
// it, quotes and tabs are dropped; every other character is kept, in order.
std::string ScanCommandLine(std::string_view commandLine);
