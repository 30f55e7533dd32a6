// Opening folders and documents: the command lines that reach the seam, the
// handler found in Wine's real registry, and the log of the real program.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "shell/launch_win.h"
#include "shell_registry.h"
#include "temp_folder.h"

using namespace shelltest;

namespace {

class Launches : public testing::Test {
protected:
    void SetUp() override
    {
        SetLaunchHook([this](const LaunchRequest& r) {
            std::string line = r.kind == LaunchKind::Command ? "WinExec(" : "ShellExecute(";
            seen.push_back(line + r.text + ", " + std::to_string(r.show) + ")");
            return seen.size() <= answers.size() ? answers[seen.size() - 1] : 2u;
        });
    }
    void TearDown() override { SetLaunchHook(nullptr); }
    std::vector<std::string> seen;
    std::vector<unsigned> answers;  // per start in turn; 2 (not found) after them
};

// An environment variable of this process, put back afterwards.
class SavedVariable {
public:
    SavedVariable(const char* name, const char* value) : name_(name)
    {
        char old[1024];
        const DWORD n = GetEnvironmentVariableA(name, old, sizeof old);
        had_ = n > 0 && n < sizeof old;
        if (had_) old_ = old;
        SetEnvironmentVariableA(name, value);
    }
    ~SavedVariable() { SetEnvironmentVariableA(name_.c_str(), had_ ? old_.c_str() : nullptr); }
    SavedVariable(const SavedVariable&) = delete;
    SavedVariable& operator=(const SavedVariable&) = delete;

private:
    std::string name_, old_;
    bool had_ = false;
};

const char* const kDoc = R"(C:\Users\Anna Maria\Desktop\Varbo_Photo\001\varbo_1_pic.jpg)";
const std::string kDocQuoted = R"("C:\Users\Anna Maria\Desktop\Varbo_Photo\001\varbo_1_pic.jpg")";

} // namespace

TEST_F(Launches, OpenFolderQuotesThePath)
{
    answers = {32, 31};
    EXPECT_EQ(OpenFolder(R"(C:\Users\Anna Maria\Desktop\Varbo_Photo\001)"), 1);
    EXPECT_EQ(OpenFolder(R"(D:\Фото, лето)"), 0) << "31 is not a start";
    EXPECT_EQ(seen, (std::vector<std::string>{R"(WinExec(Explorer.exe "C:\Users\Anna Maria\Desktop\Varbo_Photo\001", 10))",
                                              R"(WinExec(Explorer.exe "D:\Фото, лето", 10))"}));
}

// Test classes in the machine's classes, which is what Wine's HKEY_CLASSES_ROOT shows.
class Handlers : public Launches {
protected:
    const std::string ext = ".varbotest" + Pid();
    const std::string cls = "VarboTest" + Pid() + ".Picture";
    ScratchKey extKey{HKEY_CLASSES_ROOT, ext};
    ScratchKey classKey{HKEY_CLASSES_ROOT, cls};
    SavedValue browser{HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\Command", ""};
    SavedValue product{HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName"};
    SavedVariable programFiles{"ProgramFiles", R"(C:\PF Test)"};
    SavedVariable windir{"windir", R"(C:\WinTest)"};

    void SetUp() override
    {
        Launches::SetUp();
        ASSERT_TRUE(RawWrite(HKEY_CLASSES_ROOT, "htmlfile\\shell\\open\\Command", "", R"("C:\Browser\web.exe" -url "%1")"));
        ASSERT_TRUE(RawWrite(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName", "Microsoft Windows 10 Pro"));
    }
    void Register(const std::string& command)
    {
        ASSERT_TRUE(RawWrite(HKEY_CLASSES_ROOT, ext, "", cls));
        ASSERT_TRUE(RawWrite(HKEY_CLASSES_ROOT, cls + "\\shell\\open\\Command", "", command, REG_EXPAND_SZ));
    }
    std::string Doc() const { return R"(C:\Users\Anna Maria\Desktop\pic)" + ext; }
    std::string DocQuoted() const { return "\"" + Doc() + "\""; }
};

TEST_F(Handlers, GetOpenCommand)
{
    std::string program = "kept";
    EXPECT_TRUE(GetOpenCommand(ext, program)) << "no class: the browser's command";
    EXPECT_EQ(program, R"(C:\Browser\web.exe)");

    Register(R"("%ProgramFiles%\Varbo Test\viewer.exe" "%1")");
    EXPECT_TRUE(GetOpenCommand(ext, program));
    EXPECT_EQ(program, R"(%ProgramFiles%\Varbo Test\viewer.exe)");

    DeleteTree(HKEY_CLASSES_ROOT, cls);
    program = "kept";
    EXPECT_FALSE(GetOpenCommand(ext, program)) << "a class without an open command";
    EXPECT_EQ(program, "kept");
}

TEST_F(Handlers, RegisteredProgramWithExpandedFolder)
{
    Register(R"("%ProgramFiles%\Varbo Test\viewer.exe" "%1")");
    answers = {2, 33};
    EXPECT_EQ(OpenDocument(Doc()), 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"WinExec(" + DocQuoted() + ", 1)",
                                              "WinExec(\"C:\\PF Test\\Varbo Test\\viewer.exe\"\t" + DocQuoted() + ", 10)"}));
}

TEST_F(Handlers, UnregisteredTypeGoesToTheBrowserThenTheEditor)
{
    answers = {2, 2, 33};
    EXPECT_EQ(OpenDocument(Doc()), 1);
    EXPECT_EQ(seen, (std::vector<std::string>{"WinExec(" + DocQuoted() + ", 1)", "WinExec(\"C:\\Browser\\web.exe\"\t" + DocQuoted() + ", 10)",
                                              "WinExec(notepad.exe\t" + DocQuoted() + ", 10)"}));
}

TEST_F(Handlers, PlaceholderLeftOverGoesToTheBrowser)
{
    Register(R"(%SystemRoot%\System32\rundll32.exe "%ProgramFiles%\Photo Viewer\PhotoViewer.dll", ImageView_Fullscreen %1)");
    answers = {2, 33};
    EXPECT_EQ(OpenDocument(Doc()), 1);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[1], "WinExec(\"C:\\Browser\\web.exe\"\t" + DocQuoted() + ", 10)");
}

TEST_F(Handlers, BareInternetExplorer)
{
    answers = {33};
    EXPECT_TRUE(LaunchWithHandler("iexplore.exe", kDoc));
    EXPECT_EQ(seen, (std::vector<std::string>{"WinExec(\"C:\\PF Test\\Internet Explorer\\iexplore.exe\"\t" + kDocQuoted + ", 10)"}));
}

TEST_F(Handlers, WindowsXpOpensThroughTheShellOnly)
{
    ASSERT_TRUE(RawWrite(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName", "Microsoft Windows XP"));
    Register(R"("C:\Viewer\v.exe" "%1")");
    answers = {2};
    EXPECT_EQ(OpenDocument(Doc()), 0);
    EXPECT_EQ(seen, (std::vector<std::string>{"ShellExecute(" + Doc() + ", 1)"}));
}

// The real program logs its starts when VARBO_TEST_LAUNCHES names a file.
TEST(LaunchLog, RealProgramLogsInsteadOfStarting)
{
    TempFolder dir;
    const std::string log = dir / "launches.txt";
    _putenv_s("VARBO_TEST_LAUNCHES", log.c_str());
    EXPECT_EQ(OpenFolder(R"(C:\Users\Anna Maria\Varbo_Photo)"), 1) << "answered as started";
    _putenv_s("VARBO_TEST_LAUNCH_ANSWER", "fail");
    EXPECT_EQ(OpenFolder(R"(C:\a)"), 0) << "answered as failed";
    EXPECT_FALSE(LaunchWithHandler(R"(C:\v.exe)", R"(C:\p q.jpg)"));
    _putenv_s("VARBO_TEST_LAUNCH_ANSWER", "");
    _putenv_s("VARBO_TEST_LAUNCHES", "");
    EXPECT_EQ(ReadBytes(log), "WinExec\t10\tExplorer.exe \"C:\\Users\\Anna Maria\\Varbo_Photo\"\n"
                              "WinExec\t10\tExplorer.exe \"C:\\a\"\n"
                              "WinExec\t10\t\"C:\\v.exe\"\\t\"C:\\p q.jpg\"\n"
                              "WinExec\t10\tnotepad.exe\\t\"C:\\p q.jpg\"\n");
}
