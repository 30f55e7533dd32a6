// A picture job from the settings: the photo text as the engine takes it, and
// the jobs of a batch run, a start with a picture and the test command.
#include <gtest/gtest.h>

#include <string>

#include "engine/picture_job.h"

namespace {

const std::string kDefault = "Текст на изображении. Щелкните по нему, чтобы изменить!";

std::string Repeat(const std::string& piece, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

TEST(NormaliseSpaces, FoldsIntoOneLine)
{
    struct Row {
        const char* rule;
        std::string text;
        int limit;
        std::string expected;
        int kept;
    };
    const Row rows[] = {
        {"runs of blanks and line breaks become one blank", "  a  b\r\n\r\nc ", 511, "a b c ", 6},
        {"tabs are kept, a blank after one too", "ab\t\t  cd", 511, "ab\t\t cd", 7},
        {"characters, not bytes", "Ёж  \nик", 511, "Ёж ик", 5},
        {"blanks and line breaks only give the default", " \r\n  \n", 511, kDefault, 0},
        {"3 characters give the default", "ab ", 511, kDefault, 3},
        {"4 characters stay", "ab c", 511, "ab c", 4},
        {"the limit counts output characters", "яблоко", 4, "ябло", 4},
        {"the walk ends after 3 x limit characters", "a" + std::string(20, ' ') + "bcdef", 4, kDefault, 2},
    };
    for (const Row& row : rows) {
        std::string text = row.text;
        EXPECT_EQ(NormaliseSpaces(text, row.limit), row.kept) << row.rule;
        EXPECT_EQ(text, row.expected) << row.rule;
    }
}

TEST(PrepareJob, CopiesTheTextSettings)
{
    SettingsRecord s;
    s.FontName = "Verdana";
    s.FontSize = 30;
    s.Color = 255;
    s.FontStyle = 2;
    s.iTrProtextNoResize = 1;
    PhotoText t = PrepareJob(s);
    EXPECT_EQ(t.fontName + " " + std::to_string(t.fontSize) + " " + std::to_string(t.colour) + " " +
                  std::to_string(t.fontStyle) + " " + std::to_string(t.keepSize),
              "Verdana 30 255 2 1");

    struct Row {
        const char* rule;
        int trProtext, place;
        std::string text;
        int mode;
        std::string jobText;
    };
    const Row rows[] = {
        {"TrProtext 0 gives mode 0 whatever the place", 0, 7, "abcd", 0, "abcd"},
        {"a place keeps the text as it is", 1, 7, "  два  слова\nи", 7, "  два  слова\nи"},
        {"stripes fold blanks and line breaks, keep tabs", 1, 10, "\n  a  b\r\nc\td ", 10, "a b c\td "},
        {"stripes of blanks only give the default", 1, 10, " \n \n ", 10, kDefault},
        {"at most 511 characters go to the job", 1, 3, Repeat("ж", 600), 3, Repeat("ж", 511)},
    };
    for (const Row& row : rows) {
        s.TrProtext = row.trProtext;
        s.iTrProtextN = row.place;
        s.Protext = row.text;
        t = PrepareJob(s);
        EXPECT_EQ(t.mode, row.mode) << row.rule;
        EXPECT_EQ(t.text, row.jobText) << row.rule;
    }
}
TEST(PictureJobs, EachKindFromTheSettings)
{
    SettingsRecord s;
    s.MaxPix = 1200;
    s.Prots = 91;
    s.Varbo_Photo = R"(C:\Desk\Varbo_Photo)";
    s.iTrSaveFileName = 1;
    s.TrProtext = 0;
    s.iTrProtextN = 7;
    s.Protext = "Мой текст";
    FolderRecord f;
    f.OutSubfolder = "004";
    f.DataFolder = R"(C:\ProgramData\Orvenda\Varbo)";
    const std::string desktop = R"(C:\Desk)";

    const PictureJob batch = BatchPictureJob(s, f);
    EXPECT_EQ(batch.size, 1200);
    EXPECT_EQ(batch.quality, 91);
    EXPECT_EQ(batch.outputFolder, s.Varbo_Photo);
    EXPECT_EQ(batch.runFolder, R"(C:\Desk\Varbo_Photo\004)");
    EXPECT_TRUE(batch.keepNames) << "follows iTrSaveFileName";
    EXPECT_EQ(batch.text.mode, 0) << "\"Показывать текст\" is off";
    EXPECT_TRUE(batch.testPicture.empty());

    const PictureJob start = StartPictureJob(s, f, desktop);
    EXPECT_EQ(start.size, 1200);
    EXPECT_EQ(start.quality, 0) << "the job's own default";
    EXPECT_EQ(start.outputFolder, desktop);
    EXPECT_EQ(start.runFolder, batch.runFolder);
    EXPECT_TRUE(start.keepNames);
    EXPECT_EQ(start.text.mode, 0);
    EXPECT_TRUE(start.text.text.empty()) << "a start with a picture draws no text";

    PictureJob test = TestPictureJob(s, f, desktop, false);
    EXPECT_EQ(test.text.mode, 7) << "the test shows the text at its place even while it is off";
    EXPECT_EQ(test.text.text, "Мой текст");
    EXPECT_EQ(test.testPicture, R"(C:\ProgramData\Orvenda\Varbo\Test2.jpg)");
    EXPECT_EQ(test.outputFolder, desktop) << "before the first drop";
    test = TestPictureJob(s, f, desktop, true);
    EXPECT_EQ(test.outputFolder, s.Varbo_Photo) << "after the first drop";
}

} // namespace
