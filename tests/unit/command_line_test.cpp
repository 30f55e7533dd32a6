// The command-line scan that picks the picture path out of the raw command line.
#include <gtest/gtest.h>

#include <string>

#include "app/command_line.h"

TEST(ScanCommandLine, Table)
{
    struct Row {
        const char* rule;
        std::string line;
        std::string argument;
    };
    const Row rows[] = {
        {"quoted program, quoted picture with blanks", R"("C:\Program Files\Varbo\varbo.exe" "D:\My Photos\pic 1.jpg")",
         R"(D:\My Photos\pic 1.jpg)"},
        {"program path alone gives nothing", R"("C:\Program Files\Varbo\varbo.exe")", ""},
        {"blanks after the program path are dropped", R"("C:\varbo.exe"   )", ""},
        {"one character is passed on (the caller picks window mode)", R"("C:\varbo.exe" x)", "x"},
        {"an unquoted picture path", R"("C:\varbo.exe" D:\a.jpg)", R"(D:\a.jpg)"},
        {"Cyrillic and emoji pass through", R"("C:\varbo.exe" "D:\Фото\я 😀.jpg")", R"(D:\Фото\я 😀.jpg)"},
        {"tabs are dropped everywhere", "\"C:\\varbo.exe\"\t\"D:\\a\tb.jpg\"", R"(D:\ab.jpg)"},
        {"a second argument runs on after the first", R"("C:\v.exe" "a.jpg" "b.jpg")", "a.jpg b.jpg"},
        {"an unquoted program path is copied whole", R"(C:\my prog\varbo.exe)", R"(C:\my prog\varbo.exe)"},
        {"unquoted: less its tabs and quotes", "C:\\varbo.exe\t\"x\"", R"(C:\varbo.exex)"},
    };
    for (const Row& row : rows) EXPECT_EQ(ScanCommandLine(row.line), row.argument) << row.rule;
}
