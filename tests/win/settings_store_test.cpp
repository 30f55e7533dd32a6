// varbo.vars and varbo_text.txt on disk: first start, encodings, attributes, line ends.
#include <gtest/gtest.h>

#include "app/settings_store_win.h"
#include "common/state.h"
#include "temp_folder.h"

namespace {

class SettingsStore : public testing::Test {
protected:
    void SetUp() override
    {
        savedSettings_ = Settings;
        Settings = SettingsRecord{};
    }
    void TearDown() override
    {
        Settings = savedSettings_;
    }
    TempFolder dir;

private:
    SettingsRecord savedSettings_;
};

int CountOf(const std::string& text, const std::string& piece)
{
    int n = 0;
    for (size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size())) ++n;
    return n;
}

} // namespace

TEST_F(SettingsStore, MissingFileWritesBothWithTheDefaults)
{
    Settings.LastDir = "C:\\users\\Аня\\Desktop";
    EXPECT_FALSE(LoadSettings(dir.path()));
    const std::string vars = ReadBytes(dir / "varbo.vars");
    EXPECT_EQ(vars.rfind("1.[901] MaxPix\r\n2.[82] Prots\r\n", 0), 0u) << vars;
    EXPECT_EQ(CountOf(vars, "\r\n"), 20);
    EXPECT_EQ(CountOf(vars, "\n"), 20) << "every line feed has its carriage return";
    EXPECT_NE(vars.find("\r\n6.[C:\\users\\Аня\\Desktop] LastDir\r\n"), std::string::npos) << "UTF-8 on disk";
    EXPECT_EQ(ReadBytes(dir / "varbo_text.txt"), "Текст на изображении. Щелкните по нему, чтобы изменить!");
    EXPECT_EQ(Settings.MaxPix, 901);
    EXPECT_EQ(Settings.Protext, ProtextDefault);
}

TEST_F(SettingsStore, RoundTripThroughDisk)
{
    Settings.MaxPix = 1024;
    Settings.LastFile = "D:\\Фото [2024]\\café 😀.jpg";
    Settings.iTrSaveFileName = 1;
    Settings.Protext = "Строка 1\nСтрока 2";
    SaveSettings(dir.path());
    EXPECT_EQ(ReadBytes(dir / "varbo_text.txt"), "Строка 1\r\nСтрока 2") << "line breaks as CR LF, no line end added";

    Settings = SettingsRecord{};
    EXPECT_TRUE(LoadSettings(dir.path()));
    EXPECT_EQ(Settings.MaxPix, 1024);
    EXPECT_EQ(Settings.LastFile, "D:\\Фото [2024]\\café 😀.jpg");
    EXPECT_EQ(Settings.Protext, "Строка 1\nСтрока 2");
    EXPECT_EQ(Settings.iTrSaveFileName, 1);
}

TEST_F(SettingsStore, FilesOfAnEarlierVersionReadAsWindows1251)
{
    std::string vars;
    for (int line = 1; line <= 20; ++line) {
        if (line == 1) vars += "1.[1200] MaxPix\r\n";
        else if (line == 6) vars += "6.[C:\\\xD4\xEE\xF2\xEE] LastDir\r\n";  // "Фото"
        else vars += std::to_string(line) + ".[] x\r\n";
    }
    ASSERT_TRUE(WriteBytes(dir / "varbo.vars", vars));
    ASSERT_TRUE(WriteBytes(dir / "varbo_text.txt", "\xCF\xF0\xE8\xE2\xE5\xF2, \xFF\r\n\xA8\xEB\xEA\xE0"));  // "Привет, я" / "Ёлка"
    EXPECT_TRUE(LoadSettings(dir.path()));
    EXPECT_EQ(Settings.MaxPix, 1200);
    EXPECT_EQ(Settings.LastDir, "C:\\Фото");
    EXPECT_EQ(Settings.Protext, "Привет, я\nЁлка") << "0xFF (я) does not end the text";
}

TEST_F(SettingsStore, ReadOnlyHiddenFilesAreStillRewritten)
{
    SaveSettings(dir.path());
    for (const char* name : {"varbo.vars", "varbo_text.txt"})
        ASSERT_TRUE(SetFileAttributesA((dir / name).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    Settings.MaxPix = 640;
    Settings.Protext = "новый текст";
    SaveSettings(dir.path());
    EXPECT_EQ(ReadBytes(dir / "varbo.vars").rfind("1.[640] MaxPix\r\n", 0), 0u);
    EXPECT_EQ(ReadBytes(dir / "varbo_text.txt"), "новый текст");
    EXPECT_EQ(ListFolder(dir.path()).find(".part"), std::string::npos) << ListFolder(dir.path());
}
