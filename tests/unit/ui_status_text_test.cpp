// What the status line says and what is lit, paint by paint.
#include <gtest/gtest.h>

#include <string>

#include "common/text.h"
#include "ui/status_text.h"

namespace {

const char* const kDragHint = "Мышкой перетащите папку с фото\nили файлы (1- 9000)  в окно программы.";

struct HintRow {
    int zone;
    int maxPix;
    const char* text;
    LitImage lit;
};

TEST(ChooseStatus, HoverHintsWordForWord)
{
    const HintRow rows[] = {
        {0, 901, kDragHint, LitImage::None},
        {1, 901, kDragHint, LitImage::None},  // a dial without its selector lit has no hint of its own
        {3, 901, "Открыть папку с результатом, правой - открыть источник.", LitImage::ResultFolder},
        {5, 901, "Удалить служебные файлы программы\nи записи в реестре.", LitImage::ResetCorner},
        {5, 1000, "1. Вернуть начальные установки.\n2. Удалить файлы программы.", LitImage::ResetCorner},
        {5, 900, "1. Вернуть начальные установки.\n2. Удалить файлы программы.", LitImage::ResetCorner},
        {6, 901, "Открыть папку Varbo_Photo,\nв которую Варбо помещает фотографии.", LitImage::None},
        {7, 901, "Смотреть последнее фото, созданное Варбо.", LitImage::None},
        {11, 901, "Дополнительные настройки\n (октрыть / закрыть).", LitImage::PanelToggle},
        {21, 901, "Создать и открыть фото с текстом.", LitImage::None},
        {22, 901, "Вставить текст из буфера обмена.", LitImage::None},
        {23, 901, "Как расположить текст на фото: справа, слева, в углу, по центру и т.п.", LitImage::None},
        {26, 901, "Изменить надпись на фото. Чтобы изменить фон, перетащите фото на текст.", LitImage::None},
        {27, 901, "Выбрать цвет текста.", LitImage::None},
        {28, 901, "Выбрать шрифт (вид, стиль, размер).", LitImage::None},
        {29, 901, "Копия: размер фото не изменится,\nпросто добавится текст.", LitImage::None},
        {30, 901, "Вид текста: горизонтальные полосы мелким шрифтом.", LitImage::None},
        {99, 901, kDragHint, LitImage::None},
    };
    for (const HintRow& r : rows) {
        WindowStateRecord state;
        state.iHoverZone = r.zone;
        SettingsRecord settings;
        settings.MaxPix = r.maxPix;
        const StatusChoice c = ChooseStatus(state, settings, 0, 1);
        EXPECT_EQ(c.text, r.text) << "zone " << r.zone << ", MaxPix " << r.maxPix;
        EXPECT_EQ(c.lit, r.lit) << "zone " << r.zone;
        EXPECT_FALSE(c.blue) << "zone " << r.zone;
        EXPECT_EQ(c.progressLineEnd, -1) << "zone " << r.zone;
    }
}

TEST(ChooseStatus, FirstPaintShowsTheDragHintInWhiteAndNoFolderNumber)
{
    WindowStateRecord state;
    const StatusChoice c = ChooseStatus(state, SettingsRecord{}, 0, 0);
    EXPECT_EQ(c.text, kDragHint);
    EXPECT_FALSE(c.blue);
    EXPECT_FALSE(c.showSubfolder);
    EXPECT_EQ(c.lit, LitImage::None);
}

TEST(ChooseStatus, HoveredFolderHidesItsNumber)
{
    WindowStateRecord state;
    EXPECT_TRUE(ChooseStatus(state, SettingsRecord{}, 4, 1).showSubfolder);
    state.iHoverZone = 3;
    EXPECT_FALSE(ChooseStatus(state, SettingsRecord{}, 4, 1).showSubfolder);
}

struct SelectorRow {
    const char* rule;
    int lit, zone;
    const char* text;
    LitImage image;
};

TEST(ChooseStatus, SelectorsLightTheirDialAndTurnTheTextBlue)
{
    const SelectorRow rows[] = {
        {"size latched", 1, 1, "Проведите мышкой по синим буквам, чтобы задать размер Варбо в пикселях.", LitImage::SizeDial},
        {"size latched, crossing the gap", 1, 0, "Проведите мышкой по синим буквам, чтобы задать размер Варбо в пикселях.", LitImage::SizeDial},
        {"size sliding", 1, 8, "Выбрать нужное значение и щелкнуть мышкой.", LitImage::SizeDial},
        {"quality latched", 2, 2, "Проведите мышкой по синим буквам, чтобы установить процент качества.", LitImage::QualityDial},
        {"quality sliding", 2, 9, "Выбрать нужное значение и щелкнуть мышкой.", LitImage::QualityDial},
    };
    for (const SelectorRow& r : rows) {
        WindowStateRecord state;
        state.iSelectorLit = r.lit;
        state.iHoverZone = r.zone;
        const StatusChoice c = ChooseStatus(state, SettingsRecord{}, 0, 1);
        EXPECT_EQ(c.text, r.text) << r.rule;
        EXPECT_EQ(c.lit, r.image) << r.rule;
        EXPECT_TRUE(c.blue) << r.rule;
    }
}

TEST(ChooseStatus, NoteWinsOverHintsAndSelectors)
{
    WindowStateRecord state;
    ShowNote(state, "Файл Варбо ещё не создан....", 4);
    state.iSelectorLit = 1;
    state.iHoverZone = 8;
    const StatusChoice c = ChooseStatus(state, SettingsRecord{}, 0, 1);
    EXPECT_EQ(c.text, "Файл Варбо ещё не создан....");
    EXPECT_EQ(c.lit, LitImage::None) << "no lit dial under a note";
    EXPECT_TRUE(c.blue) << "the colour still follows the lit selector";
}

TEST(ChooseStatus, ProgressWinsOverNoteHoverAndSelectors)
{
    WindowStateRecord state;
    state.iProgress = 3;
    state.iTotalFiles = 45;
    ShowNote(state, "заметка", 4);
    state.iSelectorLit = 2;
    state.iHoverZone = 3;
    const StatusChoice c = ChooseStatus(state, SettingsRecord{}, 7, 1);
    EXPECT_EQ(c.text, "Варбо треплет файлы: 3 из 45.\nПрервать обработку: Esc.");
    EXPECT_EQ(c.lit, LitImage::None) << "no lit images during a run";
    EXPECT_EQ(c.progressLineEnd, 282);
    EXPECT_EQ(c.fallback, "Добрый день! Пора на работу!");
    EXPECT_TRUE(c.showSubfolder);
}

TEST(ProgressLineEnd, GrowsByFifthsAndCollapsesEveryFifthFile)
{
    const int ends[][2] = {{1, 94}, {2, 188}, {3, 282}, {4, 376}, {5, 24}, {6, 94}, {10, 24}, {15, 24}, {9000, 24}};
    for (const auto& e : ends) EXPECT_EQ(ProgressLineEnd(e[0]), e[1]) << "file " << e[0];
}

TEST(ChooseStatus, RunWithPicturesSaysWhereTheyWentAndStays)
{
    WindowStateRecord state;
    state.iProgress = kProgressDoneWithPictures;
    state.iDoneFiles = 12;
    StatusChoice c = ChooseStatus(state, SettingsRecord{}, 1, 1);
    EXPECT_EQ(c.text, "Готово! Файлы Варбо (12)\nсозданы в папке Varbo_Photo.");
    EXPECT_EQ(c.fallback, "Так получилось...");
    EXPECT_EQ(c.progressLineEnd, -1);
    EXPECT_EQ(state.iProgress, kProgressDoneWithPictures) << "timer 602 clears it, not the paint";
    c = ChooseStatus(state, SettingsRecord{}, 1, 0);
    EXPECT_EQ(c.text, "Готово! Файлы Варбо (12)\nсозданы на Рабочем столе.");
}

TEST(ChooseStatus, PaintingLeavesTheStateAlone)
{
    WindowStateRecord state;
    state.iEscState = 2;
    state.iNoteTicks = 3;
    state.NoteText = "Этот файл не подходит...";
    state.iHoverZone = 6;
    const WindowStateRecord before = state;
    const StatusChoice c = ChooseStatus(state, SettingsRecord{}, 0, 1);
    EXPECT_EQ(c.text, "Этот файл не подходит...") << "a note outlives any number of paints";
    EXPECT_EQ(state.iEscState, before.iEscState);
    EXPECT_EQ(state.iNoteTicks, before.iNoteTicks);
}

TEST(ShowNote, LongTextsAreCutWholeCharactersOnly)
{
    std::string typed;
    for (int i = 0; i < 2000; ++i) typed += "Ж";  // 4000 bytes
    WindowStateRecord state;
    ShowNote(state, typed, 4);
    EXPECT_EQ(state.NoteText.size(), 1022u) << "511 two-byte letters fit in 1023 bytes";
    EXPECT_TRUE(IsValidUtf8(state.NoteText));
    EXPECT_EQ(state.iNoteTicks, 4);

    const StatusChoice c = ChooseStatus(state, SettingsRecord{}, 0, 1);
    EXPECT_EQ(Utf8Length(c.text), 511u);
    EXPECT_TRUE(IsValidUtf8(c.text));
}

TEST(Utf8BytePrefix, NeverSplitsACharacter)
{
    EXPECT_EQ(Utf8BytePrefix("ЖЖЖ", 5), "ЖЖ");
    EXPECT_EQ(Utf8BytePrefix("ЖЖЖ", 6), "ЖЖЖ");
    EXPECT_EQ(Utf8BytePrefix("abc", 2), "ab");
    EXPECT_EQ(Utf8BytePrefix("a😀", 4), "a");
    EXPECT_EQ(Utf8BytePrefix("a😀", 5), "a😀");
}

TEST(ValueText, PlainDecimal)
{
    EXPECT_EQ(ValueText(901), "901");
    EXPECT_EQ(ValueText(82), "82");
    EXPECT_EQ(ValueText(-1), "-1");
}

} // namespace
