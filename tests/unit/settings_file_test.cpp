// varbo.vars and varbo_text.txt as text: the 20-line format, the reader's
// rules and the photo text read back.
#include <gtest/gtest.h>

#include <string>

#include "app/settings_file.h"

namespace {

const std::string kDefault = "Текст на изображении. Щелкните по нему, чтобы изменить!";

std::string Repeat(const std::string& piece, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

const char* const kDefaultsFile =
    "1.[901] MaxPix\n2.[82] Prots\n3.[0] Temp\n4.[] Reserved\n5.[] Reserved\n"
    "6.[] LastDir\n7.[] LastFile\n8.[] LastVarbo\n9.[] Varbo_Photo\n10.[0] VarboOver\n"
    "11.[Arial] FontName\n12.[21] FontSize\n13.[0] FontStyle\n14.[-32] FontHeight\n15.[-1] Color\n"
    "16.[0] TrProtext\n17.[5] iTrProtextN\n18.[0] iTrProtextNoResize\n19.[0] Temp\n20.[0] iTrSaveFileName\n";

SettingsRecord FullRecord()
{
    SettingsRecord s;
    s.MaxPix = 1700;
    s.Prots = 100;
    s.LastDir = "C:\\Users\\Аня\\Desktop";
    s.LastFile = "D:\\Фото [2024]\\café 😀.jpg";
    s.LastVarbo = "C:\\Users\\Аня\\Desktop\\Varbo_Photo\\003\\varbo_1_café.jpg";
    s.Varbo_Photo = "C:\\Users\\Аня\\Desktop\\Varbo_Photo";
    s.VarboOver = 2;
    s.FontName = "Times New Roman";
    s.FontSize = 14;
    s.FontStyle = 3;
    s.FontHeight = -19;
    s.Color = 0x0000FF80;
    s.TrProtext = 1;
    s.iTrProtextN = 10;
    s.iTrProtextNoResize = 1;
    s.iTrSaveFileName = 1;
    return s;
}

// Replaces line `number` (from 1) of a file's text.
std::string WithLine(std::string text, int number, const std::string& line)
{
    size_t start = 0;
    for (int i = 1; i < number; ++i) start = text.find('\n', start) + 1;
    return text.replace(start, text.find('\n', start) - start, line);
}

} // namespace

TEST(SettingsFileFormat, TwentyLinesByteForByte)
{
    EXPECT_EQ(FormatSettingsFile(SettingsRecord{}), kDefaultsFile);
    EXPECT_EQ(FormatSettingsFile(FullRecord()),
              "1.[1700] MaxPix\n2.[100] Prots\n3.[0] Temp\n4.[] Reserved\n5.[] Reserved\n"
              "6.[C:\\Users\\Аня\\Desktop] LastDir\n"
              "7.[D:\\Фото [2024]\\café 😀.jpg] LastFile\n"
              "8.[C:\\Users\\Аня\\Desktop\\Varbo_Photo\\003\\varbo_1_café.jpg] LastVarbo\n"
              "9.[C:\\Users\\Аня\\Desktop\\Varbo_Photo] Varbo_Photo\n10.[2] VarboOver\n"
              "11.[Times New Roman] FontName\n12.[14] FontSize\n13.[3] FontStyle\n14.[-19] FontHeight\n15.[65408] Color\n"
              "16.[1] TrProtext\n17.[10] iTrProtextN\n18.[1] iTrProtextNoResize\n19.[0] Temp\n20.[1] iTrSaveFileName\n");
}

TEST(SettingsFileFormat, LineBreaksInAValueNeverShiftTheLines)
{
    SettingsRecord s;
    s.LastFile = "D:\\a.jpg\n";
    s.LastDir = "D:\\x\r\ny";
    EXPECT_NE(FormatSettingsFile(s).find("\n6.[D:\\xy] LastDir\n7.[D:\\a.jpg] LastFile\n8."), std::string::npos);
}

TEST(SettingsFileFormat, RoundTripKeepsEveryStoredField)
{
    SettingsRecord written = FullRecord();
    SettingsRecord read;
    read.Varbo_Photo = written.Varbo_Photo = "C:\\Now\\Varbo_Photo";  // line 9 is written, never read
    ApplySettingsFile(FormatSettingsFile(FullRecord()), read);
    EXPECT_EQ(FormatSettingsFile(read), FormatSettingsFile(written));
}

// Each row changes one line of the defaults' file, reads it onto a record whose
// values differ from the defaults (so "kept" and "reset" differ), and looks
// for one line in that record's own file.
TEST(SettingsFileReader, OneLineRules)
{
    struct Row {
        const char* rule;
        int line;
        std::string text;
        std::string written;
    };
    const Row rows[] = {
        {"MaxPix above range clamps", 1, "1.[5000] MaxPix", "1.[1700] MaxPix"},
        {"MaxPix below range clamps", 1, "1.[12] MaxPix", "1.[60] MaxPix"},
        {"MaxPix of letters reads 0, clamps", 1, "1.[abc] MaxPix", "1.[60] MaxPix"},
        {"empty brackets keep MaxPix", 1, "1.[] MaxPix", "1.[777] MaxPix"},
        {"Prots below range clamps", 2, "2.[30] Prots", "2.[50] Prots"},
        {"Prots above range clamps", 2, "2.[101] Prots", "2.[100] Prots"},
        {"labels and numbers are ignored, positions count", 2, "7.[90] LastFile", "2.[90] Prots"},
        {"empty brackets keep a string", 6, "6.[] LastDir", "6.[C:\\Base] LastDir"},
        {"a value runs to the last ]", 6, "6.[D:\\Фото [2024]] LastDir", "6.[D:\\Фото [2024]] LastDir"},
        {"] before [ gives no value", 6, "6.]x[y LastDir", "6.[C:\\Base] LastDir"},
        {"no [ gives no value", 6, "6.LastDir", "6.[C:\\Base] LastDir"},
        {"no ] runs to the line end", 7, "7.[C:\\a b.jpg", "7.[C:\\a b.jpg] LastFile"},
        {"line 9 is never read", 9, "9.[D:\\Elsewhere] Varbo_Photo", "9.[C:\\Desk\\Varbo_Photo] Varbo_Photo"},
        {"VarboOver is read", 10, "10.[2] VarboOver", "10.[2] VarboOver"},
        {"one-character FontName is kept out", 11, "11.[X] FontName", "11.[Verdana] FontName"},
        {"one Cyrillic character is one character", 11, "11.[Ж] FontName", "11.[Verdana] FontName"},
        {"two-character FontName is taken", 11, "11.[Жк] FontName", "11.[Жк] FontName"},
        {"a lone CR is no character of a FontName", 11, "11.[X\r] FontName", "11.[Verdana] FontName"},
        {"integers stop at the first non-digit", 12, "12.[14pt] FontSize", "12.[14] FontSize"},
        {"integers skip leading blanks, take a sign", 15, "15.[ -5] Color", "15.[-5] Color"},
    };
    for (const Row& row : rows) {
        SettingsRecord s;
        s.MaxPix = 777;
        s.LastDir = "C:\\Base";
        s.FontName = "Verdana";
        s.Varbo_Photo = "C:\\Desk\\Varbo_Photo";
        ApplySettingsFile(WithLine(kDefaultsFile, row.line, row.text), s);
        const std::string file = "\n" + FormatSettingsFile(s);
        EXPECT_NE(file.find("\n" + row.written + "\n"), std::string::npos) << row.rule << file;
    }
}

TEST(SettingsFileReader, ShiftedFileMisassignsByPosition)
{
    std::string text = FormatSettingsFile(FullRecord());
    text.erase(0, text.find('\n') + 1);  // line 1 lost: every value moves up one place
    SettingsRecord s;
    ApplySettingsFile(text, s);
    EXPECT_EQ(s.MaxPix, 100) << "Prots' value lands in MaxPix";
    EXPECT_EQ(s.Prots, 50) << "position 2 holds the Temp line's 0, clamped";
    EXPECT_EQ(s.LastDir, FullRecord().LastFile);
    EXPECT_EQ(s.FontName, "14") << "FontSize's value, two characters";
}

TEST(PhotoTextFromFile, LengthRulesCountCharacters)
{
    const std::tuple<const char*, std::string, std::string> rows[] = {
        {"empty file gives the default", "", kDefault},
        {"3 characters give the default", "abc", kDefault},
        {"3 two-byte characters give the default", "Ёжи", kDefault},
        {"4 two-byte characters are taken", "Ёжик", "Ёжик"},
        {"line breaks are kept", "Первая\nвторая\n", "Первая\nвторая\n"},
        {"600 characters give the editor's 510", Repeat("я", 600), Repeat("я", 510)},
        {"an emoji at the cut stays whole", Repeat("a", 509) + "😀tail", Repeat("a", 509) + "😀"},
    };
    for (const auto& [rule, file, expected] : rows) EXPECT_EQ(PhotoTextFromFile(file), expected) << rule;
}

