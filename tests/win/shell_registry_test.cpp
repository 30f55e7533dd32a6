// Registry strings and the Explorer verb against Wine's real registry.
#include <gtest/gtest.h>

#include <shlwapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "shell/registry_win.h"
#include "shell/verbs.h"
#include "shell/verbs_win.h"
#include "shell_registry.h"

using namespace shelltest;

namespace {

std::string ModulePath()
{
    char name[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameA(nullptr, name, sizeof name);
    return std::string(name, n);
}

// The system's own answer, asked directly.
bool SeenAsImage(const char* extension)
{
    PERCEIVED type = PERCEIVED_TYPE_UNSPECIFIED;
    PERCEIVEDFLAG flag = 0;
    const std::wstring wide(extension, extension + std::strlen(extension));
    return SUCCEEDED(AssocGetPerceivedType(wide.c_str(), &type, &flag, nullptr)) && type == PERCEIVED_TYPE_IMAGE;
}

std::string Repeat(const char* piece, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

} // namespace

TEST(ReadRegString, Types)
{
    ScratchKey scratch(HKEY_CURRENT_USER, "Software\\VarboShellTest" + Pid());
    const std::string key = scratch.path();
    ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, key, "plain", R"("C:\Program Files\App\app.exe" "%1")"));
    ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, key, "expand", R"(%SystemRoot%\system32\mspaint.exe "%1")", REG_EXPAND_SZ));
    ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, key, "cyrillic", R"(D:\Фото\я.jpg)"));
    ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, key, "unterminated", "abc", REG_SZ, false));
    ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, key, "", "default"));
    ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, key, "binary", "abcd", REG_BINARY));

    struct Row {
        const char* rule;
        std::string key, name;
        bool found;
        std::string value;
    };
    const Row rows[] = {
        {"REG_SZ", key, "plain", true, R"("C:\Program Files\App\app.exe" "%1")"},
        {"REG_EXPAND_SZ is read unexpanded", key, "expand", true, R"(%SystemRoot%\system32\mspaint.exe "%1")"},
        {"UTF-8 both ways", key, "cyrillic", true, R"(D:\Фото\я.jpg)"},
        {"a value stored without its terminator", key, "unterminated", true, "abc"},
        {"the default value", key, "", true, "default"},
        {"not a string", key, "binary", false, "kept"},
        {"missing value", key, "nothing", false, "kept"},
        {"missing key", key + "\\none", "plain", false, "kept"},
    };
    for (const Row& row : rows) {
        std::string value = "kept";
        EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, row.key, row.name, value), row.found) << row.rule;
        EXPECT_EQ(value, row.value) << row.rule;
    }
}

TEST(SetRegStringIfAbsent, WritesOnlyWhatIsNotThere)
{
    ScratchKey scratch(HKEY_CURRENT_USER, "Software\\VarboShellTest" + Pid());
    const std::string text = R"("C:\Varbo\varbo.exe" "%1")";
    struct Row {
        const char* rule;
        const char* stored;  // nullptr: no key at all
        std::string text;
        bool result;
        std::string after;   // "<missing>": the key was not even made
    };
    const Row rows[] = {
        {"no key: made with its parents and written", nullptr, text, true, text},
        {"the same text: kept", R"("C:\Varbo\varbo.exe" "%1")", text, true, text},
        {"held inside a longer value: not written", R"(x "C:\Varbo\varbo.exe" "%1" y)", text, true, R"(x "C:\Varbo\varbo.exe" "%1" y)"},
        {"another value: overwritten", R"("D:\Old\varbo.exe")", text, true, text},
        {"case counts", R"("C:\VARBO\VARBO.EXE" "%1")", text, true, text},
        {"an empty text is always there", nullptr, "", true, "<missing>"},
        {"512 characters (1024 bytes) are written", nullptr, Repeat("ж", 512), true, Repeat("ж", 512)},
        {"513 characters: nothing read or written", nullptr, Repeat("a", 513), false, "<missing>"},
    };
    int n = 0;
    for (const Row& row : rows) {
        const std::string key = scratch.path() + "\\row" + std::to_string(++n) + "\\Shell\\verb\\command";
        if (row.stored) {
            ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, key, "", row.stored)) << row.rule;
        }
        EXPECT_EQ(SetRegStringIfAbsent(HKEY_CURRENT_USER, key, "", row.text), row.result) << row.rule;
        EXPECT_EQ(RawRead(HKEY_CURRENT_USER, key), row.after) << row.rule;
        if (row.after == "<missing>") {
            EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, key)) << row.rule;
        }
    }
}

class ShellVerb : public testing::Test {
protected:
    // A verb name of the test's own, so the program's real entries in this prefix stay as they are.
    const std::string verb = "• VarboTest" + Pid();
    void TearDown() override
    {
        UnregisterShellVerb(verb);
        for (const std::string& c : AllVerbOwners()) DeleteTree(HKEY_CURRENT_USER, VerbKeyPath(c, verb));
        for (const char* c : kPictureClasses) {
            DeleteTree(HKEY_LOCAL_MACHINE, VerbKeyPath(c, verb));
        }
    }
};

// The picture classes, the image type whatever program opens pictures, and a
// metafile, HEIF or AVIF extension only when the system does not count it as an image.
TEST_F(ShellVerb, RegistersForTheUserWithTheQuotedProgramAndPicture)
{
    RegisterShellVerb(verb, "\"" + ModulePath() + "\"");
    const std::string expected = "\"" + ModulePath() + "\" \"%1\"";
    std::vector<std::string> owners(kPictureClasses.begin(), kPictureClasses.end());
    owners.push_back("SystemFileAssociations\\image");
    for (const char* extension : kOwnExtensions) {
        const std::string owner = std::string("SystemFileAssociations\\") + extension;
        if (!SeenAsImage(extension)) owners.push_back(owner);
        else EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\" + owner + "\\Shell\\" + verb)) << extension << ": shown twice";
    }
    for (const std::string& c : owners) {
        const std::string key = "Software\\Classes\\" + c + "\\Shell\\" + verb;
        EXPECT_EQ(RawRead(HKEY_CURRENT_USER, key + "\\command"), expected) << c;
        EXPECT_EQ(RawRead(HKEY_CURRENT_USER, key, "MultiSelectModel"), "Player") << c;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key)) << c << ": never machine-wide";
    }
}

TEST_F(ShellVerb, AStartWithAPictureWritesNothing)
{
    RegisterShellVerb(verb, "");
    for (const std::string& c : AllVerbOwners()) EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, VerbKeyPath(c, verb))) << c;
}

TEST_F(ShellVerb, AValueThatHoldsTheCommandIsKeptAndAnotherIsReplaced)
{
    const std::string expected = "\"" + ModulePath() + "\" \"%1\"";
    const std::string longer = "start " + expected + " /extra";
    ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, VerbCommandKeyPath("jpegfile", verb), "", longer));
    ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, VerbCommandKeyPath("pngfile", verb), "", R"("D:\Elsewhere\varbo.exe")"));
    RegisterShellVerb(verb, "\"" + ModulePath() + "\"");
    EXPECT_EQ(RawRead(HKEY_CURRENT_USER, VerbCommandKeyPath("jpegfile", verb)), longer);
    EXPECT_EQ(RawRead(HKEY_CURRENT_USER, VerbCommandKeyPath("pngfile", verb)), expected) << "a start from another folder rewrites";
}

TEST_F(ShellVerb, RemovalDeletesBothHivesAndNothingElse)
{
    // Classes as a user may have them: one with an "open" verb of its own, one
    // that only exists because the verb was written.
    ScratchKey userClass(HKEY_CURRENT_USER, "Software\\Classes\\giffile");
    ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, "Software\\Classes\\giffile\\Shell\\open\\command", "", "viewer.exe \"%1\""));
    ScratchKey bareClass(HKEY_CURRENT_USER, "Software\\Classes\\emffile");
    // The image type with a verb of another program's; the extension keys as
    // the removal may find them whatever the system perceives.
    ScratchKey imageType(HKEY_CURRENT_USER, "Software\\Classes\\SystemFileAssociations\\image");
    ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, "Software\\Classes\\SystemFileAssociations\\image\\shell\\edit\\command", "", "editor.exe"));
    ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, VerbCommandKeyPath("SystemFileAssociations\\.wmf", verb), "", "varbo.exe"));
    ASSERT_TRUE(RawWrite(HKEY_CURRENT_USER, VerbCommandKeyPath("SystemFileAssociations\\.emf", verb), "", "varbo.exe"));
    // What an earlier version left in the machine's classes.
    ScratchKey machineClass(HKEY_LOCAL_MACHINE, "Software\\Classes\\wmffile");
    ASSERT_TRUE(RawWrite(HKEY_LOCAL_MACHINE, "Software\\Classes\\wmffile", "", "Windows Metafile"));
    ASSERT_TRUE(RawWrite(HKEY_LOCAL_MACHINE, VerbCommandKeyPath("wmffile", verb), "", R"(C:\Old\varbo.exe)"));

    RegisterShellVerb(verb, "\"x\"");
    ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, VerbCommandKeyPath("emffile", verb)));
    UnregisterShellVerb(verb);

    for (const std::string& c : AllVerbOwners()) EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, VerbKeyPath(c, verb))) << c;
    for (const char* c : kPictureClasses) EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, VerbKeyPath(c, verb))) << c;
    EXPECT_EQ(RawRead(HKEY_CURRENT_USER, "Software\\Classes\\SystemFileAssociations\\image\\shell\\edit\\command"), "editor.exe")
        << "another program's verb on the image type stays";
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\SystemFileAssociations\\.wmf")) << "emptied by the removal: gone";
    EXPECT_EQ(RawRead(HKEY_CURRENT_USER, "Software\\Classes\\giffile\\Shell\\open\\command"), "viewer.exe \"%1\"") << "other verbs stay";
    EXPECT_EQ(RawRead(HKEY_LOCAL_MACHINE, "Software\\Classes\\wmffile"), "Windows Metafile") << "the class key stays";
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, ShellKeyPath("wmffile"))) << "machine-wide, only the verb goes";
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\emffile")) << "emptied by the removal: gone";

    UnregisterShellVerb(verb);  // again, with nothing left: changes nothing
    EXPECT_EQ(RawRead(HKEY_CURRENT_USER, "Software\\Classes\\giffile\\Shell\\open\\command"), "viewer.exe \"%1\"");
}
