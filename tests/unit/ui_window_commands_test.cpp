// What clicks, panel commands and the notes timer decide.
#include <gtest/gtest.h>

#include <algorithm>

#include "ui/panel_layout.h"
#include "ui/window_commands.h"

namespace {

struct ClickRow {
    const char* rule;
    int zone;
    int maxPix;
    int trProtext;
    int subfolderNo;
    ClickAction action;
};

TEST(LeftClickAction, ByZone)
{
    const ClickRow rows[] = {
        {"folder with a run folder opens it", 3, 901, 0, 4, ClickAction::OpenRunFolder},
        {"folder before any run explains", 3, 901, 0, 0, ClickAction::ExplainNoRunYet},
        {"corner with a changed size resets", 5, 1000, 0, 0, ClickAction::RestoreInitialSettings},
        {"corner at 901 offers the removal", 5, 901, 0, 0, ClickAction::RemoveProgramFiles},
        {"band opens the output folder", 6, 901, 0, 0, ClickAction::OpenOutputFolder},
        {"last-result corner", 7, 901, 0, 0, ClickAction::ViewLastResult},
        {"size sliding commits", 8, 901, 0, 0, ClickAction::CommitSelector},
        {"quality sliding commits", 9, 901, 0, 0, ClickAction::CommitSelector},
        {"panel toggle", 11, 901, 0, 0, ClickAction::TogglePanel},
        {"photo text with text on opens the editor", 26, 901, 1, 0, ClickAction::OpenPhotoTextEditor},
        {"photo text with text off does nothing", 26, 901, 0, 0, ClickAction::None},
        {"size dial itself does nothing", 1, 901, 0, 0, ClickAction::None},
        {"quality dial itself does nothing", 2, 901, 0, 0, ClickAction::None},
        {"nowhere", 0, 901, 0, 0, ClickAction::None},
        {"buttons act themselves", 21, 901, 1, 0, ClickAction::None},
    };
    for (const ClickRow& r : rows) {
        WindowStateRecord state;
        state.iHoverZone = r.zone;
        SettingsRecord settings;
        settings.MaxPix = r.maxPix;
        settings.TrProtext = r.trProtext;
        EXPECT_EQ(LeftClickAction(state, settings, r.subfolderNo), r.action) << r.rule;
    }
}

TEST(RightClickAction, FolderAndPhotoTextOnly)
{
    WindowStateRecord state;
    state.iHoverZone = 3;
    EXPECT_EQ(RightClickAction(state), ClickAction::OpenSourceFolder);
    state.iHoverZone = 26;
    EXPECT_EQ(RightClickAction(state), ClickAction::RestoreFirstPhotoText) << "whatever TrProtext holds";
    for (int zone : {0, 1, 5, 6, 7, 8, 11, 21}) {
        state.iHoverZone = zone;
        EXPECT_EQ(RightClickAction(state), ClickAction::None) << zone;
    }
}

TEST(ApplyPanelCommand, PlacementAndStripes)
{
    const int rows[][2] = {{711, 1}, {713, 3}, {715, 5}, {719, 9}, {710, 10}};
    for (const auto& r : rows) {
        SettingsRecord s;
        EXPECT_EQ(ApplyPanelCommand(static_cast<uintptr_t>(r[0]), s), CommandEffect::None);
        EXPECT_EQ(s.iTrProtextN, r[1]) << "id " << r[0];
    }
}

TEST(ApplyPanelCommand, ShowTextTogglesAndSaysWhichWayTheControlsGo)
{
    SettingsRecord s;
    EXPECT_EQ(ApplyPanelCommand(731, s), CommandEffect::EnableTextControls);
    EXPECT_EQ(s.TrProtext, 1);
    EXPECT_EQ(ApplyPanelCommand(731, s), CommandEffect::DisableTextControls);
    EXPECT_EQ(s.TrProtext, 0);
}

TEST(ApplyPanelCommand, CopyToggles)
{
    SettingsRecord s;
    ApplyPanelCommand(732, s);
    EXPECT_EQ(s.iTrProtextNoResize, 1);
    ApplyPanelCommand(732, s);
    EXPECT_EQ(s.iTrProtextNoResize, 0);
}

TEST(ApplyPanelCommand, KeepNamesSteps)
{
    const int rows[][2] = {{0, 1}, {1, 0}, {2, 0}, {7, 0}};
    for (const auto& r : rows) {
        SettingsRecord s;
        s.iTrSaveFileName = r[0];
        ApplyPanelCommand(733, s);
        EXPECT_EQ(s.iTrSaveFileName, r[1]) << "from " << r[0];
    }
}

TEST(ApplyPanelCommand, ButtonsAndDialogs)
{
    SettingsRecord s;
    EXPECT_EQ(ApplyPanelCommand(701, s), CommandEffect::RunTestPicture);
    EXPECT_EQ(ApplyPanelCommand(702, s), CommandEffect::PastePhotoText);
    EXPECT_EQ(ApplyPanelCommand(703, s), CommandEffect::ClosePanel);
    EXPECT_EQ(ApplyPanelCommand(741, s), CommandEffect::ChooseColour);
    EXPECT_EQ(ApplyPanelCommand(751, s), CommandEffect::ChooseFont);
    EXPECT_EQ(ApplyPanelCommand(751 | (1u << 16), s), CommandEffect::None) << "double click notification";
    EXPECT_EQ(ApplyPanelCommand(751 | (3u << 16), s), CommandEffect::None) << "disable notification";
    EXPECT_EQ(ApplyPanelCommand(1, s), CommandEffect::None);
    EXPECT_EQ(s.iTrProtextN, 5) << "unchanged by buttons";
}

TEST(HandleNotesTick, NoteLivesItsTicksAndSaysWhenItEnds)
{
    WindowStateRecord state;
    SettingsRecord s;
    ShowNote(state, "n", 2);
    NotesTickOutcome out = HandleNotesTick(state, s, false, true, 0, 1024);
    EXPECT_EQ(state.iNoteTicks, 1);
    EXPECT_FALSE(out.noteExpired);
    out = HandleNotesTick(state, s, false, true, 0, 1024);
    EXPECT_EQ(state.iNoteTicks, 0);
    EXPECT_TRUE(out.noteExpired);
    out = HandleNotesTick(state, s, false, true, 0, 1024);
    EXPECT_EQ(state.iNoteTicks, 0);
    EXPECT_FALSE(out.noteExpired);
}

struct RestoreRow {
    const char* rule;
    bool minimised, cursorKnown;
    int panelOpen, trProtext, cursorY;
    bool restore;
};

TEST(HandleNotesTick, MinimisedWindowComesBackNearTheBottomEdge)
{
    const RestoreRow rows[] = {
        {"cursor within 24 px of the bottom", true, true, 1, 1, 1001, true},
        {"cursor exactly 24 px above the bottom", true, true, 1, 1, 1000, false},
        {"panel closed", true, true, 0, 1, 1020, false},
        {"photo text off", true, true, 1, 0, 1020, false},
        {"not minimised", false, true, 1, 1, 1020, false},
        {"cursor unknown", true, false, 1, 1, 1020, false},
    };
    for (const RestoreRow& r : rows) {
        WindowStateRecord state;
        state.iPanelOpen = r.panelOpen;
        SettingsRecord s;
        s.TrProtext = r.trProtext;
        EXPECT_EQ(HandleNotesTick(state, s, r.minimised, r.cursorKnown, r.cursorY, 1024).restoreWindow, r.restore)
            << r.rule;
    }
}

TEST(HandleNotesTick, OpenPanelGetsThePhotoTextEveryTick)
{
    WindowStateRecord state;
    SettingsRecord s;
    EXPECT_FALSE(HandleNotesTick(state, s, false, true, 0, 1024).refreshPhotoText);
    state.iPanelOpen = 1;
    EXPECT_TRUE(HandleNotesTick(state, s, false, true, 0, 1024).refreshPhotoText);
}

TEST(PanelControls, PlacementGridAndInitialChecks)
{
    SettingsRecord s;
    s.iTrProtextN = 5;
    s.TrProtext = 1;
    const auto controls = PanelControls(s);
    EXPECT_EQ(controls.size(), 23u) << "children 3 to 25";
    auto find = [&](int id) { return *std::find_if(controls.begin(), controls.end(), [id](const ControlSpec& c) { return c.id == id; }); };
    const struct { int id, x, y; } grid[] = {{711, 15, 193}, {713, 67, 193}, {715, 41, 209}, {717, 15, 225}, {719, 67, 225}};
    for (const auto& g : grid) {
        EXPECT_EQ(find(g.id).x, g.x) << g.id;
        EXPECT_EQ(find(g.id).y, g.y) << g.id;
    }
    for (int id = 710; id <= 719; ++id) EXPECT_EQ(find(id).checked, id == 715) << id;
    EXPECT_TRUE(find(731).checked);
    EXPECT_FALSE(find(733).checked);

    s.iTrProtextN = 10;
    const auto stripes = PanelControls(s);
    for (const ControlSpec& c : stripes) {
        if (c.kind == ControlKind::Radio) {
            EXPECT_EQ(c.checked, c.id == 710) << c.id;
        }
    }
}

} // namespace
