// What the photo-text flows decide: the clipboard paste, the editor's save and the font dialog.
#include <gtest/gtest.h>

#include <string>

#include "ui/photo_text_flows.h"

namespace {

std::string Repeat(const std::string& piece, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

TEST(PlanPaste, EmptyShortOrAsk)
{
    struct Row {
        std::string clipboard;
        PasteStep step;
        const char* rule;
    } rows[] = {
        {"", PasteStep::ClipboardEmpty, "nothing on the clipboard"},
        {"abc", PasteStep::TooShort, "3 characters"},
        {"абв", PasteStep::TooShort, "3 characters in 6 bytes: characters count"},
        {"a\r\nb", PasteStep::TooShort, "CR LF is one line break: 3 characters"},
        {"abcd", PasteStep::Ask, "4 characters"},
        {"🙂🙂🙂🙂", PasteStep::Ask, "4 characters beyond the BMP"},
    };
    for (const Row& r : rows) EXPECT_EQ(PlanPaste(r.clipboard).step, r.step) << r.rule;
}

TEST(PlanPaste, TheQuestionShowsWhatAYesStores)
{
    const PastePlan plan = PlanPaste("Привет из\r\nбуфера");
    EXPECT_EQ(plan.text, "Привет из\nбуфера");
    EXPECT_EQ(plan.question,
              "Текст из буфера обмена:   \n------------------\n\nПривет из\nбуфера\n------------------\n\n"
              "Хотите поместить его на фотографию?");
}

TEST(PlanPaste, LongTextsAreCutAt500Characters)
{
    EXPECT_EQ(PlanPaste(Repeat("x", 700)).text, Repeat("x", 500));
    // 700 Cyrillic letters are 1400 bytes; a cut at 500 bytes would keep 250 letters.
    EXPECT_EQ(PlanPaste(Repeat("ж", 700)).text, Repeat("ж", 500));
    EXPECT_EQ(PlanPaste(Repeat("ж", 500)).text, Repeat("ж", 500)) << "exactly 500 stays whole";
}

TEST(EditorTextToKeep, ShortTextsGiveTheDefault)
{
    struct Row {
        std::string edited;
        std::string kept;
        const char* rule;
    } rows[] = {
        {"", ProtextDefault, "cleared"},
        {"abc", ProtextDefault, "3 characters"},
        {"abcd", "abcd", "4 characters"},
        {"жжжж", "жжжж", "4 Cyrillic characters (8 bytes)"},
        {"one\r\ntwo", "one\ntwo", "the edit's CR LF is kept as LF"},
        {Repeat("ф", 600), Repeat("ф", 510), "at most 510 characters"},
    };
    for (const Row& r : rows) EXPECT_EQ(EditorTextToKeep(r.edited), r.kept) << r.rule;
}

TEST(FontDialog, StartsFromTheStyleAndTakesTheChoice)
{
    struct StartRow {
        int style;
        bool bold, italic;
    } starts[] = {{0, false, false}, {1, true, false}, {2, false, true}, {3, true, true}};
    for (const StartRow& r : starts) {
        EXPECT_EQ(FontStartFromStyle(r.style).bold, r.bold) << "FontStyle " << r.style;
        EXPECT_EQ(FontStartFromStyle(r.style).italic, r.italic) << "FontStyle " << r.style;
    }

    struct ChoiceRow {
        bool bold, italic;
        int style;
    } choices[] = {{false, false, 0}, {true, false, 1}, {false, true, 2}, {true, true, 3}};
    for (const ChoiceRow& r : choices) {
        SettingsRecord s;
        EXPECT_TRUE(ApplyFontChoice({"DejaVu Serif", 125, -17, r.bold, r.italic}, s));
        EXPECT_EQ(s.FontStyle, r.style) << "bold " << r.bold << ", italic " << r.italic;
        EXPECT_EQ(s.FontName, "DejaVu Serif");
        EXPECT_EQ(s.FontSize, 12) << "12.5 points are 12";
        EXPECT_EQ(s.FontHeight, -17);
    }
}

TEST(FontDialog, AOneLetterFaceChangesNothing)
{
    SettingsRecord s;
    const SettingsRecord before = s;
    EXPECT_FALSE(ApplyFontChoice({"X", 300, -40, true, true}, s));
    EXPECT_EQ(s.FontName, before.FontName);
    EXPECT_EQ(s.FontSize, before.FontSize);
    EXPECT_EQ(s.FontStyle, before.FontStyle);
    EXPECT_EQ(s.FontHeight, before.FontHeight);
    EXPECT_TRUE(ApplyFontChoice({"Ж2", 300, -40, false, false}, s)) << "2 characters are a face";
}

} // namespace
