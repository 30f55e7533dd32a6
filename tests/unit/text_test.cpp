// The text helpers: UTF-8 checks and cuts, the Windows-1251 fallback, line
// ends, integers as atoi reads them, bounded formatting, path pieces.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <string>

#include "common/paths.h"
#include "common/text.h"

TEST(Utf8, Validity)
{
    const std::pair<std::string, bool> rows[] = {
        {"", true},
        {"plain ASCII", true},
        {"Фото é 😀", true},
        {"\xC0\x80", false},          // overlong NUL
        {"\xE0\x80\xAF", false},      // overlong "/"
        {"\xED\xA0\x80", false},      // a surrogate
        {"\xF4\x90\x80\x80", false},  // past U+10FFFF
        {"\xE2\x82", false},          // cut short
        {"\xFF", false},              // Windows-1251 "я"
        {"\xCF\xF0\xE8", false},      // Windows-1251 "При"
    };
    for (const auto& [text, valid] : rows) EXPECT_EQ(IsValidUtf8(text), valid) << testing::PrintToString(text);
}

TEST(Utf8, LengthAndPrefixNeverSplitACharacter)
{
    EXPECT_EQ(Utf8Length("aЖ😀"), 3u);
    EXPECT_EQ(Utf8Length("a\xFF" "b"), 3u) << "a stray byte counts as one";
    const std::string text = "ab😀c";
    EXPECT_EQ(Utf8Prefix(text, 2), "ab");
    EXPECT_EQ(Utf8Prefix(text, 3), "ab😀");
    EXPECT_EQ(Utf8Prefix(text, 4), "ab😀c");
    EXPECT_EQ(Utf8Prefix(text, 99), "ab😀c");
    EXPECT_EQ(Utf8Prefix("ЖЖЖ", 2), "ЖЖ");
}

TEST(Cp1251, DecodesLegacyFiles)
{
    const std::pair<std::string, std::string> rows[] = {
        {"\xFF", "я"},
        {"\xA8", "Ё"},
        {"\xB8", "ё"},
        {"\xC0", "А"},
        {"\xB9", "№"},
        {"C:\\\xD4\xEE\xF2\xEE [2024]", "C:\\Фото [2024]"},
    };
    for (const auto& [bytes, text] : rows) EXPECT_EQ(Cp1251ToUtf8(bytes), text);
    EXPECT_EQ(DecodeLegacyText("\xD4\xEE\xF2\xEE"), "Фото") << "not UTF-8: taken as Windows-1251";
    EXPECT_EQ(DecodeLegacyText("Фото"), "Фото") << "UTF-8 stays as it is";
}

TEST(LineEnds, Conversions)
{
    EXPECT_EQ(CrLfToLf("a\r\nb\rc\n\r\n"), "a\nb\rc\n\n") << "a lone CR stays";
    EXPECT_EQ(LfToCrLf("a\nb\n\n"), "a\r\nb\r\n\r\n");
    EXPECT_EQ(CrLfToLf(LfToCrLf("Строка 1\nСтрока 2")), "Строка 1\nСтрока 2");
}

TEST(ParseLeadingInt, ReadsLikeAtoi)
{
    const std::pair<const char*, int> rows[] = {
        {"42", 42}, {"  -7x", -7}, {"+5", 5}, {"\t\n 3", 3}, {"12 34", 12}, {"abc", 0}, {"", 0}, {"-", 0},
        {"99999999999", INT_MAX}, {"-99999999999", INT_MIN}, {"-2147483648", INT_MIN},
    };
    for (auto [text, value] : rows) EXPECT_EQ(ParseLeadingInt(text), value) << '"' << text << '"';
}

TEST(Format, LongResultsAreWhole)
{
    const std::string path(1000, 'p');
    EXPECT_EQ(Format("%s\\%s", path.c_str(), "Test.jpg"), path + "\\Test.jpg");
    EXPECT_EQ(Format("%d.[%s]", -3, "x"), "-3.[x]");
}

TEST(Paths, JoinAndSplit)
{
    EXPECT_EQ(JoinPath("C:\\a", "b.jpg"), "C:\\a\\b.jpg");
    EXPECT_EQ(JoinPath("C:\\", "b.jpg"), "C:\\b.jpg");
    EXPECT_EQ(JoinPath("C:/a/", "b.jpg"), "C:/a/b.jpg");
    EXPECT_EQ(FolderOf("C:\\a\\b.jpg"), "C:\\a");
    EXPECT_EQ(FolderOf("b.jpg"), "");
    EXPECT_EQ(FileNameOf("C:\\a/b.jpg"), "b.jpg");
    std::string withLf = "C:\\a\n\n";
    DropTrailingLineFeed(withLf);
    EXPECT_EQ(withLf, "C:\\a\n") << "only one line feed goes";
}

// What the wide file functions are handed: the clean-up the system does
// itself without the "\\?\" prefix, done here, then the prefix.
TEST(Paths, ExtendedLengthForm)
{
    const std::pair<std::string, std::optional<std::string>> rows[] = {
        {"C:\\Фото\\a.jpg", "\\\\?\\C:\\Фото\\a.jpg"},
        {"c:/a//b\\\\c.jpg", "\\\\?\\c:\\a\\b\\c.jpg"},
        {"C:\\a\\.\\b\\..\\c", "\\\\?\\C:\\a\\c"},
        {"C:\\..\\..\\a", "\\\\?\\C:\\a"},
        {"C:\\", "\\\\?\\C:\\"},
        {"C:\\a\\", "\\\\?\\C:\\a"},
        {"C:\\a.\\b.jpg. . ", "\\\\?\\C:\\a\\b.jpg"},
        {"C:\\a..\\...\\b \\c", "\\\\?\\C:\\a..\\...\\b \\c"},
        {"\\\\server\\share\\a\\..\\..\\b.jpg", "\\\\?\\UNC\\server\\share\\b.jpg"},
        {"//server/share", "\\\\?\\UNC\\server\\share\\"},
        {"\\\\?\\C:\\a\\..\\b", "\\\\?\\C:\\a\\..\\b"},
        {"\\\\.\\COM1", "\\\\.\\COM1"},
        {"a\\b.jpg", std::nullopt},
        {"C:a.jpg", std::nullopt},
        {"\\a.jpg", std::nullopt},
        {"\\\\server", std::nullopt},
    };
    for (const auto& [path, form] : rows) EXPECT_EQ(ExtendedLengthPath(path), form) << path;

    // The limit counts UTF-16 units: an emoji takes two, a Cyrillic letter one.
    const std::string limit(kMaxPathUnits - 1 - 7, 'a');  // with "\\?\C:\", 32766 units and the terminator
    EXPECT_TRUE(ExtendedLengthPath("C:\\" + limit).has_value());
    EXPECT_FALSE(ExtendedLengthPath("C:\\" + limit + "a").has_value());
    EXPECT_FALSE(ExtendedLengthPath("C:\\" + limit.substr(1) + "😀").has_value());
    EXPECT_TRUE(ExtendedLengthPath("C:\\" + limit.substr(1) + "ж").has_value());
    EXPECT_EQ(Utf16Length("aж😀"), 4u);
    EXPECT_FALSE(PathTooLongForSystem("C:\\" + std::string(30000, 'a')));
    EXPECT_TRUE(PathTooLongForSystem("C:\\" + std::string(32760, 'a')));
}

TEST(Paths, ForMessagesTheStartAndTheEndOfALongPath)
{
    EXPECT_EQ(PathForMessage("C:\\Фото\\a.jpg", 13), "C:\\Фото\\a.jpg");
    const std::string path = "C:\\" + std::string(50, 'x') + "\\Отпуск 😀.jpg";
    const std::string shown = PathForMessage(path, 30);
    EXPECT_EQ(Utf8Length(shown), 30u);
    EXPECT_EQ(shown, "C:\\xxxxxxx…xxxxxx\\Отпуск 😀.jpg");
}
