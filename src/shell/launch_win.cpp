#include "shell/launch_win.h"

#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <cstdlib>

#include "shell/registry_win.h"

namespace {

LaunchHook& Hook()
{
    static LaunchHook hook;
    return hook;
}

// The end-to-end tests run the real program, where nothing may be started:
// with VARBO_TEST_LAUNCHES set, each start is appended to that file as
// "WinExec|ShellExecute<TAB>show<TAB>text" (tabs and line feeds in the text as
// \t and \n) and answered as started, or as failed with VARBO_TEST_LAUNCH_ANSWER=fail.
unsigned LogTestLaunch(const char* logPath, const LaunchRequest& request)
{
    std::string line = request.kind == LaunchKind::Command ? "WinExec\t" : "ShellExecute\t";
    line += std::to_string(request.show) + "\t";
    for (char c : request.text) {
        if (c == '\t') line += "\\t";
        else if (c == '\n') line += "\\n";
        else line += c;
    }
    line += "\n";
    if (FILE* f = std::fopen(logPath, "ab")) {
        std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
    }
    const char* answer = std::getenv("VARBO_TEST_LAUNCH_ANSWER");
    return answer && std::string(answer) == "fail" ? ERROR_FILE_NOT_FOUND : 33;
}

unsigned SystemLaunch(const LaunchRequest& request)
{
    if (const char* logPath = std::getenv("VARBO_TEST_LAUNCHES"); logPath && *logPath) return LogTestLaunch(logPath, request);
    if (request.kind == LaunchKind::Command) return WinExec(request.text.c_str(), static_cast<UINT>(request.show));
    HINSTANCE result = ShellExecuteA(nullptr, nullptr, request.text.c_str(), nullptr, nullptr, request.show);
    return static_cast<unsigned>(reinterpret_cast<INT_PTR>(result));
}

unsigned Launch(const LaunchRequest& request)
{
    return Hook() ? Hook()(request) : SystemLaunch(request);
}

bool ReadEnvironment(const std::string& name, std::string& value)
{
    std::string buffer(512, '\0');
    for (int round = 0; round < 2; ++round) {
        const DWORD n = GetEnvironmentVariableA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return false;
        if (n < buffer.size()) {
            value = buffer.substr(0, n);
            return true;
        }
        buffer.assign(n, '\0');  // n is the size needed, terminator included
    }
    return false;
}

LaunchSystem RealSystem()
{
    LaunchSystem system;
    system.launch = Launch;
    system.environment = ReadEnvironment;
    system.openCommand = GetOpenCommand;
    system.productName = [](std::string& name) {
        return ReadRegString(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName", name);
    };
    return system;
}

} // namespace

void SetLaunchHook(LaunchHook hook)
{
    Hook() = std::move(hook);
}

int OpenFolder(std::string_view folder)
{
    return CommandStarted(Launch({LaunchKind::Command, FolderCommandLine(folder), kShowDefault})) ? 1 : 0;
}

int OpenDocument(std::string_view path)
{
    return OpenDocumentWith(path, RealSystem());
}

bool LaunchWithHandler(std::string_view handler, std::string_view document)
{
    return LaunchWithHandlerUsing(handler, document, RealSystem());
}

bool GetOpenCommand(const std::string& extension, std::string& program)
{
    std::string fileClass;
    const bool known = ReadRegString(HKEY_CLASSES_ROOT, extension, "", fileClass) && !fileClass.empty();
    const std::string commandKey = known ? fileClass + "\\shell\\open\\Command" : "htmlfile\\shell\\open\\Command";
    std::string command;
    if (!ReadRegString(HKEY_CLASSES_ROOT, commandKey, "", command)) return false;
    program = ProgramOfOpenCommand(command);
    return true;
}
