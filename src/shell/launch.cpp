#include "shell/launch.h"

#include "common/text.h"

bool CommandStarted(unsigned result)
{
    return result > 31;
}

bool ShellOpenStarted(unsigned result)
{
    return result > 32;
}

// Programs that read their arguments the C runtime's way take a backslash
// before the closing quote as an escaped quote, so trailing ones are doubled.
std::string QuoteArgument(std::string_view path)
{
    size_t trailing = 0;
    while (trailing < path.size() && path[path.size() - 1 - trailing] == '\\') ++trailing;
    std::string quoted = "\"";
    quoted += path;
    quoted.append(trailing, '\\');
    quoted += '"';
    return quoted;
}

// Unquoted, "C:\Users\Anna Maria" would reach Explorer as two arguments and a
// comma would split the folder's name, so the folder is always quoted.
std::string FolderCommandLine(std::string_view folder)
{
    std::string path = WithoutTrailingLineFeed(folder);
    while (path.size() > 1 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    if (path.size() == 2 && path[1] == ':') path += '\\';  // a drive's root keeps its separator
    return "Explorer.exe " + QuoteArgument(path);
}

std::string HandlerCommandLine(std::string_view handler, std::string_view document)
{
    std::string line = handler.find('"') != std::string_view::npos ? std::string(handler) : QuoteArgument(handler);
    line += '\t';
    line += QuoteArgument(document);
    return line;
}

std::string EditorCommandLine(std::string_view document)
{
    return "notepad.exe\t" + QuoteArgument(document);
}

std::string ExtensionOf(std::string_view path)
{
    const size_t separator = path.find_last_of("\\/");
    const size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || (separator != std::string_view::npos && dot < separator)) return std::string(path);
    return std::string(path.substr(dot));
}

// Open commands look like `"C:\Program Files\App\app.exe" "%1"` or
// `%SystemRoot%\system32\mspaint.exe "%1"`: without quotes, the program ends
// three characters after the last dot when the arguments hold none. Commands
// whose arguments do hold a dot keep a placeholder and end up with the browser.
std::string ProgramOfOpenCommand(std::string_view command)
{
    std::string text;
    for (char c : command)
        if (c != '"') text += c;
    const size_t dot = text.rfind('.');
    if (dot == std::string::npos) return text.substr(0, 4);
    if (dot + 4 <= text.size()) text.resize(dot + 4);  // a dot among the last three characters keeps the whole text
    return text;
}

bool ExpandHandlerFolder(std::string& command, const LaunchSystem& system)
{
    const char* variable = nullptr;
    if (command.find("%SystemRoot%") != std::string::npos) variable = "windir";
    else if (command.find("%ProgramFiles%") != std::string::npos) variable = "ProgramFiles";
    if (!variable) return true;
    std::string value;
    if (!system.environment || !system.environment(variable, value)) return false;
    const size_t slash = command.find('\\');
    command = value + (slash == std::string::npos ? std::string() : command.substr(slash));
    return true;
}

bool LaunchWithHandlerUsing(std::string_view handlerIn, std::string_view document, const LaunchSystem& system)
{
    std::string handler(handlerIn);
    if (handler == "iexplore.exe") {
        std::string programs;
        if (!system.environment || !system.environment("ProgramFiles", programs)) return false;
        handler = Format("%s\\Internet Explorer\\%s", programs.c_str(), "iexplore.exe");
    }
    if (handler.empty()) return false;
    if (CommandStarted(system.launch({LaunchKind::Command, HandlerCommandLine(handler, document), kShowDefault}))) return true;
    return CommandStarted(system.launch({LaunchKind::Command, EditorCommandLine(document), kShowDefault}));
}

int OpenDocumentWith(std::string_view pathIn, const LaunchSystem& system)
{
    const std::string path = WithoutTrailingLineFeed(pathIn);
    if (Utf8Length(path) < 2) return 0;

    // Windows XP opens documents well by itself; nothing else is tried there.
    std::string product;
    if (system.productName && system.productName(product) && product.find("XP") != std::string::npos)
        return ShellOpenStarted(system.launch({LaunchKind::ShellOpen, path, kShowNormal})) ? 33 : 0;

    // The document may be a program itself.
    if (CommandStarted(system.launch({LaunchKind::Command, QuoteArgument(path), kShowNormal}))) return 33;

    std::string browser;
    if (!system.openCommand(".html", browser)) browser.clear();
    std::string handler;
    if (!system.openCommand(ExtensionOf(path), handler)) return 0;
    if (!ExpandHandlerFolder(handler, system)) return 0;
    // A placeholder left in the handler cannot be started as it stands.
    if (handler.find('%') != std::string::npos) handler = browser;
    return LaunchWithHandlerUsing(handler, path, system) ? 1 : 0;
}
