#include "ui/panel_layout.h"

#include "ui/window_commands.h"

std::vector<ControlSpec> PanelControls(const SettingsRecord& s)
{
    constexpr int P = kPanelTop;
    using K = ControlKind;
    using F = ControlFont;
    std::vector<ControlSpec> c = {
        {K::Frame, "", kNoId, 6, P, 388, 85, F::None, false},
        // The caption doubles as the labels of the two check boxes laid over it.
        {K::GroupBox, "   Сохранять имена файлов         Показывать текст", kNoId, 6, P, 388, 85, F::Caption, false},
        {K::CheckBox, "", kIdShowTextBox, 216, P, 14, 18, F::Control, s.TrProtext != 0},
        {K::CheckBox, "", kIdKeepNamesBox, 10, P, 14, 18, F::Control, s.iTrSaveFileName != 0},
        {K::PushButton, "Тест", kIdTestButton, 230, P + 60, 48, 20, F::Control, false},
        {K::PushButton, "Вставить", kIdPasteButton, 284, P + 60, 78, 20, F::Control, false},
        {K::PushButton, "X", kIdCloseButton, 368, P + 60, 20, 20, F::Control, false},
        {K::CheckBox, "Копия", kIdCopyBox, 168, P + 60, 60, 20, F::Control, s.iTrProtextNoResize != 0},
        {K::GroupBox, "Место", kNoId, 9, P + 17, 80, 64, F::Control, false},
        {K::Radio, "Полоски", kIdStripesRadio, 92, P + 61, 70, 20, F::Control, s.iTrProtextN == kTextModeStripes},
    };
    // The 3 x 3 placement grid, row by row: 711 top left ... 719 bottom right.
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            const int place = row * 3 + col + 1;
            c.push_back({K::Radio, "", kIdStripesRadio + place, 15 + col * 26, P + 31 + row * 16, 16, 16, F::None,
                         s.iTrProtextN == place});
        }
    }
    c.push_back({K::EtchedFrame, "", kNoId, 96, P + 18, 263, 39, F::None, false});
    c.push_back({K::TextField, "Текст на фото.", kIdPhotoText, 100, P + 20, 257, 35, F::Caption, false});
    c.push_back({K::PushButton, " ", kIdColourButton, 363, P + 43, 24, 12, F::None, false});
    c.push_back({K::FontIcon, "icoFont", kIdFontIcon, 359, P + 10, 12, 16, F::None, false});
    return c;
}
