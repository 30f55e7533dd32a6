#include "app/command_line.h"

std::string ScanCommandLine(std::string_view commandLine)
{
    std::string argument;
    int quotes = 0;  // 1: inside the quoted program path; 2: after it; 3: in the argument
    for (char c : commandLine) {
        if (c == '"') {
            ++quotes;
            continue;
        }
        if (quotes == 1 || (quotes == 2 && c == ' ') || c == '\t') continue;
        argument += c;
        quotes = 3;
    }
    return argument;
}
