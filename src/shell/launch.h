#pragma once
// Starting other programs for a folder or a document: the command lines and
// the order in which handlers are tried. Portable; launch_win.cpp gives it
// the registry, the environment and the system's start calls.
#include <functional>
#include <string>
#include <string_view>

constexpr int kShowNormal = 1;    // SW_SHOWNORMAL
constexpr int kShowDefault = 10;  // SW_SHOWDEFAULT

// One start as it reaches the system: a command line (WinExec) or a document
// opened with the shell's default action (ShellExecute).
enum class LaunchKind { Command, ShellOpen };
struct LaunchRequest {
    LaunchKind kind = LaunchKind::Command;
    std::string text;
    int show = kShowDefault;
};

// A command line started when the system's answer is above 31, a shell opening above 32.
bool CommandStarted(unsigned result);
bool ShellOpenStarted(unsigned result);

// What the launchers need from the system.
struct LaunchSystem {
    std::function<unsigned(const LaunchRequest&)> launch;
    std::function<bool(const std::string& name, std::string& value)> environment;
    std::function<bool(const std::string& extension, std::string& program)> openCommand;
    std::function<bool(std::string& productName)> productName;
};

// A path as one command-line argument: in double quotes, trailing backslashes doubled.
std::string QuoteArgument(std::string_view path);
// "Explorer.exe" and the quoted folder.
std::string FolderCommandLine(std::string_view folder);
// Handler and quoted document, separated by a tab; the handler is quoted unless it holds a quote already.
std::string HandlerCommandLine(std::string_view handler, std::string_view document);
// The plain text editor and the quoted document.
std::string EditorCommandLine(std::string_view document);
// From the last "." of the file name to the end; the whole path when the name has none.
std::string ExtensionOf(std::string_view path);
// The program of a registered open command: quotes removed, cut three characters after the last ".".
std::string ProgramOfOpenCommand(std::string_view command);
// A command that starts with "%SystemRoot%" or "%ProgramFiles%": the variable's value and the
// command from its first backslash on. Other commands stay. False when the variable cannot be read.
bool ExpandHandlerFolder(std::string& command, const LaunchSystem& system);

// The document's handler, then the browser, then the text editor. Answers 33 or 1 when something started, else 0.
int OpenDocumentWith(std::string_view path, const LaunchSystem& system);
// The handler with the document, else the text editor with it.
bool LaunchWithHandlerUsing(std::string_view handler, std::string_view document, const LaunchSystem& system);
