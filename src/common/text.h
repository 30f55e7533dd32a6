#pragma once
// Text helpers shared by every module. All strings inside the program are UTF-8.
#include <cstdarg>
#include <cstddef>
#include <string>
#include <string_view>

// printf-style formatting into a std::string; never overruns.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* format, va_list args) __attribute__((format(printf, 1, 0)));

// Drops one trailing line feed, as every file-system step does with paths that came from list files.
void DropTrailingLineFeed(std::string& path);
std::string WithoutTrailingLineFeed(std::string_view path);

bool IsValidUtf8(std::string_view text);
// Bytes of a Windows-1251 text as UTF-8 (settings files written under a Russian code page).
std::string Cp1251ToUtf8(std::string_view text);
// Valid UTF-8 stays as it is; anything else is taken as Windows-1251.
std::string DecodeLegacyText(std::string_view bytes);

// Number of characters (code points) of a UTF-8 text; a stray byte counts as one.
size_t Utf8Length(std::string_view text);
// Number of UTF-16 units the text takes (2 for a character past U+FFFF); a stray byte counts as one.
size_t Utf16Length(std::string_view text);
// The first maxChars characters of a UTF-8 text; never splits a character.
std::string Utf8Prefix(std::string_view text, size_t maxChars);

// Converts CR LF to LF (reading text files) and LF to CR LF (writing them).
std::string CrLfToLf(std::string_view text);
std::string LfToCrLf(std::string_view text);

// Signed decimal as the C library's atoi reads it: leading blanks, optional sign, digits; none give 0.
int ParseLeadingInt(std::string_view text);
