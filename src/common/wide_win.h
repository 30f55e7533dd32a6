#pragma once
#include <string>
#include <string_view>

// UTF-8 <-> UTF-16, for the few APIs that only take wide text (GDI+).
std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);
