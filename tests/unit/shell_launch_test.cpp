// Command lines for Explorer and document handlers, and the order in which
// OpenDocument tries the system's programs.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "shell/launch.h"

TEST(LaunchCommandLines, Table)
{
    struct Row {
        const char* rule;
        std::string actual, expected;
    };
    const Row rows[] = {
        {"folder with blanks is one argument", FolderCommandLine(R"(C:\Users\Anna Maria\Desktop\Varbo_Photo)"),
         R"(Explorer.exe "C:\Users\Anna Maria\Desktop\Varbo_Photo")"},
        {"a comma does not split the folder", FolderCommandLine(R"(D:\Фото, лето\001)"), R"(Explorer.exe "D:\Фото, лето\001")"},
        {"a trailing separator is dropped", FolderCommandLine(R"(C:\Photos\)"), R"(Explorer.exe "C:\Photos")"},
        {"a drive's root keeps its separator, doubled before the quote", FolderCommandLine(R"(C:\)"), R"(Explorer.exe "C:\\")"},
        {"a trailing line feed is dropped", FolderCommandLine("C:\\Photos\n"), R"(Explorer.exe "C:\Photos")"},
        {"handler and document quoted, a tab between", HandlerCommandLine(R"(C:\Program Files\App\app.exe)", R"(C:\Users\Anna Maria\p.jpg)"),
         "\"C:\\Program Files\\App\\app.exe\"\t\"C:\\Users\\Anna Maria\\p.jpg\""},
        {"a handler with quotes of its own stays as it is", HandlerCommandLine(R"("C:\x.exe" /v)", R"(C:\d.jpg)"),
         "\"C:\\x.exe\" /v\t\"C:\\d.jpg\""},
        {"the editor gets the document quoted", EditorCommandLine(R"(C:\Users\Anna Maria\p.jpg)"),
         "notepad.exe\t\"C:\\Users\\Anna Maria\\p.jpg\""},
        {"plain quoting", QuoteArgument(R"(C:\Users\Anna.exe x)"), R"("C:\Users\Anna.exe x")"},
    };
    for (const Row& row : rows) EXPECT_EQ(row.actual, row.expected) << row.rule;
}

TEST(LaunchCommandLines, Extension)
{
    struct Row {
        const char* rule;
        const char* path;
        const char* extension;
    };
    const Row rows[] = {
        {"from the last dot", R"(C:\a\photo.JPG)", ".JPG"},
        {"two dots: the last", R"(C:\a\archive.tar.gz)", ".gz"},
        {"a dot in a folder only: the whole path", R"(C:\a.b\photo)", R"(C:\a.b\photo)"},
        {"no dot: the whole path", "photo", "photo"},
    };
    for (const Row& row : rows) EXPECT_EQ(ExtensionOf(row.path), row.extension) << row.rule;
}

TEST(LaunchCommandLines, ProgramOfOpenCommand)
{
    struct Row {
        const char* rule;
        const char* command;
        const char* program;
    };
    const Row rows[] = {
        {"quoted program, quoted placeholder", R"("C:\Program Files\App\app.exe" "%1")", R"(C:\Program Files\App\app.exe)"},
        {"a placeholder folder stays for the expansion", R"(%SystemRoot%\system32\mspaint.exe "%1")", R"(%SystemRoot%\system32\mspaint.exe)"},
        {"a dot among the arguments: cut there, the placeholder stays",
         R"(%SystemRoot%\System32\rundll32.exe "%ProgramFiles%\Windows Photo Viewer\PhotoViewer.dll", ImageView_Fullscreen %1)",
         R"(%SystemRoot%\System32\rundll32.exe %ProgramFiles%\Windows Photo Viewer\PhotoViewer.dll)"},
        {"no dot: the first four characters", "notepad %1", "note"},
        {"the last dot among the final three characters: kept whole", R"(C:\prog.ex)", R"(C:\prog.ex)"},
        {"exactly three after the dot", R"(C:\prog.exe)", R"(C:\prog.exe)"},
    };
    for (const Row& row : rows) EXPECT_EQ(ProgramOfOpenCommand(row.command), row.program) << row.rule;
}

namespace {

// A system made of tables: registered programs per extension, environment
// variables, the product name, and the answers to the starts in turn.
struct FakeSystem {
    std::string product = "Microsoft Windows 10 Pro";
    std::map<std::string, std::string> programs;  // extension -> program as GetOpenCommand gives it
    std::map<std::string, std::string> environment{{"windir", R"(C:\Windows)"}, {"ProgramFiles", R"(C:\Program Files)"}};
    std::vector<unsigned> answers;  // one per start, in order; 2 (file not found) when they run out
    std::vector<LaunchRequest> starts;
    std::vector<std::string> lookups;

    LaunchSystem Get()
    {
        LaunchSystem s;
        s.launch = [this](const LaunchRequest& r) {
            starts.push_back(r);
            return starts.size() <= answers.size() ? answers[starts.size() - 1] : 2u;
        };
        s.environment = [this](const std::string& name, std::string& value) {
            auto it = environment.find(name);
            if (it == environment.end()) return false;
            value = it->second;
            return true;
        };
        s.openCommand = [this](const std::string& extension, std::string& program) {
            lookups.push_back(extension);
            auto it = programs.find(extension);
            if (it == programs.end()) return false;
            program = it->second;
            return true;
        };
        s.productName = [this](std::string& name) {
            name = product;
            return true;
        };
        return s;
    }
};

std::string Describe(const std::vector<LaunchRequest>& starts)
{
    std::string out;
    for (const LaunchRequest& r : starts) {
        out += r.kind == LaunchKind::Command ? "WinExec(" : "ShellExecute(";
        out += r.text + ", " + std::to_string(r.show) + ")\n";
    }
    return out;
}

const char* const kDoc = R"(C:\Users\Anna Maria\Desktop\Varbo_Photo\001\varbo_1_pic.jpg)";
const char* const kDocQuoted = R"("C:\Users\Anna Maria\Desktop\Varbo_Photo\001\varbo_1_pic.jpg")";

} // namespace

TEST(OpenDocument, FallBackOrder)
{
    const std::string itself = std::string("WinExec(") + kDocQuoted + ", 1)\n";
    auto with = [](const std::string& program) { return "WinExec(\"" + program + "\"\t" + kDocQuoted + ", 10)\n"; };
    const std::string editor = std::string("WinExec(notepad.exe\t") + kDocQuoted + ", 10)\n";
    const std::string viewer = R"(C:\Program Files\Viewer\view.exe)";
    const std::string browser = R"(C:\Program Files\Browser\b.exe)";

    struct Row {
        const char* rule;
        std::map<std::string, std::string> programs;
        std::vector<unsigned> answers;
        int result;
        std::string starts;
    };
    const Row rows[] = {
        {"the document is a program itself", {}, {33}, 33, itself},
        {"31 is not a start", {{".jpg", viewer}}, {31, 32}, 1, itself + with(viewer)},
        {"the registered program", {{".jpg", viewer}, {".html", browser}}, {2, 33}, 1, itself + with(viewer)},
        {"%SystemRoot% becomes windir", {{".jpg", R"(%SystemRoot%\system32\mspaint.exe)"}}, {2, 33}, 1,
         itself + with(R"(C:\Windows\system32\mspaint.exe)")},
        {"%ProgramFiles% becomes ProgramFiles", {{".jpg", R"(%ProgramFiles%\Viewer\view.exe)"}}, {2, 33}, 1,
         itself + with(viewer)},
        {"a placeholder left over: the browser",
         {{".jpg", R"(%SystemRoot%\System32\rundll32.exe %ProgramFiles%\Photo Viewer\PhotoViewer.dll)"}, {".html", browser}},
         {2, 33}, 1, itself + with(browser)},
        {"the handler does not start: the editor", {{".jpg", viewer}}, {2, 2, 33}, 1, itself + with(viewer) + editor},
        {"the editor does not start either", {{".jpg", viewer}}, {2, 2, 2}, 0, itself + with(viewer) + editor},
        {"no program for the extension: nothing more", {{".html", browser}}, {2}, 0, itself},
        {"a placeholder and no browser: nothing more", {{".jpg", "%1"}}, {2}, 0, itself},
        {"a bare iexplore.exe is found under ProgramFiles", {{".jpg", "iexplore.exe"}}, {2, 33}, 1,
         itself + with(R"(C:\Program Files\Internet Explorer\iexplore.exe)")},
    };
    for (const Row& row : rows) {
        FakeSystem fake;
        fake.programs = row.programs;
        fake.answers = row.answers;
        EXPECT_EQ(OpenDocumentWith(kDoc, fake.Get()), row.result) << row.rule;
        EXPECT_EQ(Describe(fake.starts), row.starts) << row.rule;
    }
}

TEST(OpenDocument, LooksUpTheBrowserThenTheExtension)
{
    FakeSystem fake;
    fake.programs = {{".jpg", R"(C:\v.exe)"}};
    OpenDocumentWith(kDoc, fake.Get());
    EXPECT_EQ(fake.lookups, (std::vector<std::string>{".html", ".jpg"}));
}

TEST(OpenDocument, WindowsXpUsesTheShellOnly)
{
    struct Row {
        const char* rule;
        unsigned answer;
        int result;
    };
    const Row rows[] = {{"33 is a start", 33, 33}, {"32 is not", 32, 0}};
    for (const Row& row : rows) {
        FakeSystem fake;
        fake.product = "Microsoft Windows XP";
        fake.programs = {{".jpg", R"(C:\v.exe)"}};
        fake.answers = {row.answer};
        EXPECT_EQ(OpenDocumentWith(kDoc, fake.Get()), row.result) << row.rule;
        EXPECT_EQ(Describe(fake.starts), std::string("ShellExecute(") + kDoc + ", 1)\n") << row.rule;
        EXPECT_TRUE(fake.lookups.empty()) << row.rule << ": no handler is looked up";
    }
}

TEST(OpenDocument, NothingForShortPathsOrUnreadableVariables)
{
    FakeSystem shortPath;
    EXPECT_EQ(OpenDocumentWith("a", shortPath.Get()), 0);
    EXPECT_EQ(OpenDocumentWith("Ж", shortPath.Get()), 0) << "one character of two bytes";
    EXPECT_TRUE(shortPath.starts.empty());

    FakeSystem noVariable;
    noVariable.environment.clear();
    noVariable.programs = {{".jpg", R"(%SystemRoot%\system32\mspaint.exe)"}};
    EXPECT_EQ(OpenDocumentWith(kDoc, noVariable.Get()), 0);
    EXPECT_EQ(noVariable.starts.size(), 1u) << "only the try of the document itself";

    FakeSystem noProgramFiles;
    noProgramFiles.environment.erase("ProgramFiles");
    EXPECT_FALSE(LaunchWithHandlerUsing("iexplore.exe", kDoc, noProgramFiles.Get()));
    EXPECT_TRUE(noProgramFiles.starts.empty());
    EXPECT_FALSE(LaunchWithHandlerUsing("", kDoc, noProgramFiles.Get())) << "an empty handler starts nothing";
    EXPECT_TRUE(noProgramFiles.starts.empty());
}

TEST(OpenDocument, ExpandHandlerFolder)
{
    FakeSystem fake;
    const LaunchSystem system = fake.Get();
    struct Row {
        const char* rule;
        std::string command, expanded;
    };
    const Row rows[] = {
        {"no placeholder stays", R"(C:\v.exe)", R"(C:\v.exe)"},
        {"%SystemRoot% wins over %ProgramFiles%", R"(%SystemRoot%\x.exe %ProgramFiles%\y.dll)", R"(C:\Windows\x.exe %ProgramFiles%\y.dll)"},
        {"whatever stands before the first backslash goes", R"(pre%ProgramFiles%\App\a.exe)", R"(C:\Program Files\App\a.exe)"},
        {"no backslash: the value alone", "%SystemRoot%", R"(C:\Windows)"},
    };
    for (const Row& row : rows) {
        std::string command = row.command;
        EXPECT_TRUE(ExpandHandlerFolder(command, system)) << row.rule;
        EXPECT_EQ(command, row.expanded) << row.rule;
    }
}
