#pragma once
// The program's three message boxes. They all go through one hook, so tests
// can watch them instead of waiting on a real box.
#include <functional>
#include <string>

constexpr int kAnswerYes = 6;
constexpr int kAnswerNo = 7;

// Topmost information box; a caption under 2 characters gives "Результат".
void ShowResult(const std::string& text, const std::string& caption);
// Topmost information box titled "Сообщение".
void ShowMessage(const std::string& text);
// Topmost yes/no question; a caption of one blank gives "Вопрос". Answers 6 (yes) or 7 (no).
int AskQuestion(const std::string& text, const std::string& caption);

// What every box comes down to: its text, caption and MB_ style word; the
// answer is the button's id. The default shows a real box.
using MessageBoxHook = std::function<int(const std::string& text, const std::string& caption, unsigned style)>;
void SetMessageBoxHook(MessageBoxHook hook);  // an empty hook restores the real boxes
