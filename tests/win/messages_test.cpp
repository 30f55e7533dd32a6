// The one seam of all message boxes: captions, styles, answers, limits, and
// the log file that the end-to-end tests read.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "common/messages.h"
#include "temp_folder.h"

namespace {

struct Box {
    std::string text, caption;
    unsigned style = 0;
};

class MessageBoxes : public testing::Test {
protected:
    void SetUp() override
    {
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, unsigned style) {
            shown.push_back({text, caption, style});
            return answer;
        });
    }
    void TearDown() override { SetMessageBoxHook(nullptr); }
    std::vector<Box> shown;
    int answer = kAnswerYes;
};

std::string Repeat(const char* piece, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

} // namespace

TEST_F(MessageBoxes, CaptionsAndStyles)
{
    struct Row {
        const char* rule;
        std::function<void()> call;
        const char* caption;
        unsigned style;
    };
    const Row rows[] = {
        {"result, empty caption", [] { ShowResult("Готово", ""); }, "Результат", 0x40040},
        {"result, one character (two bytes)", [] { ShowResult("Готово", "Ж"); }, "Результат", 0x40040},
        {"result, two characters kept", [] { ShowResult("Готово", "Ок"); }, "Ок", 0x40040},
        {"message", [] { ShowMessage("Текст"); }, "Сообщение", 0x40040},
        {"question, one blank", [] { AskQuestion("Удалить?", " "); }, "Вопрос", 0x40024},
        {"question, own caption", [] { AskQuestion("Удалить?", "Сброс"); }, "Сброс", 0x40024},
    };
    for (const Row& row : rows) {
        shown.clear();
        row.call();
        ASSERT_EQ(shown.size(), 1u) << row.rule;
        EXPECT_EQ(shown[0].caption, row.caption) << row.rule;
        EXPECT_EQ(shown[0].style, row.style) << row.rule;
    }
}

TEST_F(MessageBoxes, AnswersAreYesOrNo)
{
    const std::pair<int, int> rows[] = {{IDYES, kAnswerYes}, {IDNO, kAnswerNo}, {IDCANCEL, kAnswerNo}, {0, kAnswerNo}};
    for (auto [button, expected] : rows) {
        answer = button;
        EXPECT_EQ(AskQuestion("?", " "), expected) << "button " << button;
    }
}

TEST_F(MessageBoxes, LongTextsAreCutByCharacters)
{
    ShowResult(Repeat("я", 1100), Repeat("ж", 300));
    ShowMessage(Repeat("😀", 1100));
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[0].text, Repeat("я", 1023));
    EXPECT_EQ(shown[0].caption, Repeat("ж", 255));
    EXPECT_EQ(shown[1].text, Repeat("😀", 1023));
}

TEST(MessageLog, BoxesGoToTheFileNamedByTheEnvironment)
{
    TempFolder dir;
    const std::string log = dir / "messages.txt";
    _putenv_s("VARBO_TEST_MESSAGES", log.c_str());
    _putenv_s("VARBO_TEST_ANSWER", "yes");
    ShowMessage("Строка 1\nСтрока 2");
    const int yes = AskQuestion("Удалить?", " ");
    _putenv_s("VARBO_TEST_ANSWER", "no");
    const int no = AskQuestion("Ещё?", "Сброс");
    _putenv_s("VARBO_TEST_MESSAGES", "");
    _putenv_s("VARBO_TEST_ANSWER", "");
    EXPECT_EQ(yes, kAnswerYes);
    EXPECT_EQ(no, kAnswerNo);
    EXPECT_EQ(ReadBytes(log), "Сообщение\tСтрока 1\\nСтрока 2\nВопрос\tУдалить?\nСброс\tЕщё?\n");
}
