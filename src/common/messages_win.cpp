#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "common/messages.h"
#include "common/text.h"

// The end-to-end tests run the real program, where nobody can answer a box:
// with VARBO_TEST_MESSAGES set, each box is appended to that file as
// "caption<TAB>text" (line feeds as \n) and answered with VARBO_TEST_ANSWER
// ("yes" or "no", default "no") instead of being shown.
static int LogTestMessage(const char* logPath, const std::string& text, const std::string& caption)
{
    std::string line = caption + "\t";
    for (char c : text) line += c == '\n' ? std::string("\\n") : std::string(1, c);
    line += "\n";
    if (FILE* f = std::fopen(logPath, "ab")) {
        std::fwrite(line.data(), 1, line.size(), f);
        std::fclose(f);
    }
    const char* answer = std::getenv("VARBO_TEST_ANSWER");
    return answer && std::string(answer) == "yes" ? IDYES : IDNO;
}

static int ShowSystemMessageBox(const std::string& text, const std::string& caption, unsigned style)
{
    if (const char* logPath = std::getenv("VARBO_TEST_MESSAGES"); logPath && *logPath)
        return LogTestMessage(logPath, text, caption);
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), style);
}

namespace {

constexpr unsigned kTopmost = 0x40000;
constexpr unsigned kIconInformation = 0x40;
constexpr unsigned kIconQuestion = 0x20;
constexpr unsigned kYesNo = 0x4;

MessageBoxHook& Hook()
{
    static MessageBoxHook hook;
    return hook;
}

} // namespace

void SetMessageBoxHook(MessageBoxHook hook)
{
    Hook() = std::move(hook);
}

static int Show(const std::string& text, const std::string& caption, unsigned style)
{
    if (Hook()) return Hook()(text, caption, style);
    return ShowSystemMessageBox(text, caption, style);
}

void ShowResult(const std::string& text, const std::string& caption)
{
    Show(Utf8Prefix(text, 1023), Utf8Length(caption) < 2 ? "Результат" : Utf8Prefix(caption, 255), kTopmost | kIconInformation);
}

void ShowMessage(const std::string& text)
{
    Show(Utf8Prefix(text, 1023), "Сообщение", kTopmost | kIconInformation);
}

int AskQuestion(const std::string& text, const std::string& caption)
{
    int answer = Show(Utf8Prefix(text, 1023), caption == " " ? "Вопрос" : Utf8Prefix(caption, 511),
                      kTopmost | kIconQuestion | kYesNo);
    return answer == kAnswerYes ? kAnswerYes : kAnswerNo;
}
