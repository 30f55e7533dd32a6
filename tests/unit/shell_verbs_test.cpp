// The Explorer verb's names, key paths and command, and the corner command's reset.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/command_line.h"
#include "shell/reset.h"
#include "shell/verbs.h"

TEST(ShellVerbs, ClassesAndNames)
{
    const char* const expected[] = {"Paint.Picture", "jpegfile", "TIFImage.Document", "giffile", "pngfile", "wmffile", "emffile"};
    ASSERT_EQ(kPictureClasses.size(), 7u);
    for (size_t i = 0; i < 7; ++i) EXPECT_STREQ(kPictureClasses[i], expected[i]) << "class " << i + 1;
    EXPECT_EQ(std::string(kVerbName), "\xE2\x80\xA2 Varbo") << "bullet U+2022, one blank, the product name";
    EXPECT_EQ(std::string(kOldVerbName), "\xD0\x92\xD0\xB0\xD1\x80\xD0\xB1\xD0\xBE") << "Варбо";
}

TEST(ShellVerbs, KeyPaths)
{
    struct Row {
        const char* rule;
        std::string actual, expected;
    };
    const Row rows[] = {
        {"command key under the user's or machine's classes", VerbCommandKeyPath("jpegfile", "• Varbo"),
         "Software\\Classes\\jpegfile\\Shell\\• Varbo\\command"},
        {"verb key", VerbKeyPath("TIFImage.Document", "Варбо"), "Software\\Classes\\TIFImage.Document\\Shell\\Варбо"},
        {"shell key", ShellKeyPath("pngfile"), "Software\\Classes\\pngfile\\Shell"},
        {"class key", ClassKeyPath("Paint.Picture"), "Software\\Classes\\Paint.Picture"},
        {"the image type's command key", VerbCommandKeyPath(kImageTypeClass, "• Varbo"),
         "Software\\Classes\\SystemFileAssociations\\image\\Shell\\• Varbo\\command"},
        {"one level up", ParentKeyPath("Software\\Classes\\SystemFileAssociations\\.wmf\\Shell"),
         "Software\\Classes\\SystemFileAssociations\\.wmf"},
        {"nothing above a single name", ParentKeyPath("Software"), ""},
    };
    for (const Row& row : rows) EXPECT_EQ(row.actual, row.expected) << row.rule;
}

TEST(ShellVerbs, OwnersAreTheClassesTheImageTypeAndOurExtensionsNotSeenAsImages)
{
    const std::vector<std::string> classes = {"Paint.Picture", "jpegfile", "TIFImage.Document", "giffile",
                                              "pngfile",       "wmffile",  "emffile"};
    std::vector<std::string> expected = classes;
    expected.push_back("SystemFileAssociations\\image");
    EXPECT_EQ(VerbOwners({}), expected) << "every extension perceived as an image: the image type covers them";
    expected.push_back("SystemFileAssociations\\.heic");
    EXPECT_EQ(VerbOwners({".heic"}), expected) << "only .heic not perceived as an image (no HEIF codec installed)";
    expected.back() = "SystemFileAssociations\\.wmf";
    for (const char* extension : {".emf", ".heic", ".heif", ".hif", ".avif"})
        expected.push_back(std::string("SystemFileAssociations\\") + extension);
    EXPECT_EQ(AllVerbOwners(), expected) << "the removal looks everywhere";
    EXPECT_STREQ(kMultiSelectModelName, "MultiSelectModel");
    EXPECT_STREQ(kMultiSelectModel, "Player") << "the verb stays for up to 100 selected pictures";
}

TEST(ShellVerbs, CommandQuotesProgramAndPicture)
{
    EXPECT_EQ(VerbCommand(R"(C:\Users\Anna Maria\Varbo\varbo.exe)"), R"("C:\Users\Anna Maria\Varbo\varbo.exe" "%1")");
    EXPECT_EQ(VerbCommand(R"(Z:\Фото\varbo.exe)"), R"("Z:\Фото\varbo.exe" "%1")");
    EXPECT_EQ(VerbCommand(""), "") << "no program, nothing to register";
}

// What Explorer starts, with %1 filled in, must be a start with a picture.
TEST(ShellVerbs, ExpandedCommandIsAStartWithThePicture)
{
    std::string line = VerbCommand(R"(C:\Program Files\Varbo\varbo.exe)");
    line.replace(line.find("%1"), 2, R"(D:\Отпуск 2024\IMG 0001.JPG)");
    EXPECT_EQ(ScanCommandLine(line), R"(D:\Отпуск 2024\IMG 0001.JPG)");
}

TEST(RestoreInitialSettings, ResetsSizeAndQualityOnly)
{
    SettingsRecord s;
    s.MaxPix = 1200;
    s.MaxPixMin = 100;
    s.MaxPixMax = 1500;
    s.Prots = 95;
    s.ProtsMin = 60;
    s.ProtsMax = 99;
    s.VarboOver = 1;
    s.LastFile = R"(D:\a.jpg)";
    s.LastDir = R"(D:\Фото)";
    s.LastVarbo = R"(C:\Desk\Varbo_Photo\003\varbo_1_a.jpg)";
    s.Varbo_Photo = R"(C:\Desk\Varbo_Photo)";
    s.Protext = "Мой текст";
    s.FontName = "Verdana";
    s.FontSize = 30;
    s.FontStyle = 2;
    s.FontHeight = -40;
    s.Color = 0x0000FF;
    s.TrProtext = 1;
    s.iTrProtextN = 9;
    s.iTrProtextNoResize = 1;
    s.iTrSaveFileName = 1;

    RestoreInitialSettings(s);

    struct Row {
        const char* field;
        int actual, expected;
    };
    const Row reset[] = {
        {"MaxPix", s.MaxPix, 901},   {"MaxPixMin", s.MaxPixMin, 60},    {"MaxPixMax", s.MaxPixMax, 1700},
        {"Prots", s.Prots, 82},      {"ProtsMin", s.ProtsMin, 50},      {"ProtsMax", s.ProtsMax, 100},
        {"VarboOver", s.VarboOver, 0},
        // The user's photo-text work stays.
        {"FontSize", s.FontSize, 30}, {"FontStyle", s.FontStyle, 2},    {"FontHeight", s.FontHeight, -40},
        {"Color", s.Color, 0x0000FF}, {"TrProtext", s.TrProtext, 1},    {"iTrProtextN", s.iTrProtextN, 9},
        {"iTrProtextNoResize", s.iTrProtextNoResize, 1}, {"iTrSaveFileName", s.iTrSaveFileName, 1},
    };
    for (const Row& row : reset) EXPECT_EQ(row.actual, row.expected) << row.field;
    EXPECT_EQ(s.LastFile, "");
    EXPECT_EQ(s.LastDir, R"(D:\Фото)");
    EXPECT_EQ(s.LastVarbo, R"(C:\Desk\Varbo_Photo\003\varbo_1_a.jpg)");
    EXPECT_EQ(s.Varbo_Photo, R"(C:\Desk\Varbo_Photo)");
    EXPECT_EQ(s.Protext, "Мой текст");
    EXPECT_EQ(s.FontName, "Verdana");
}
