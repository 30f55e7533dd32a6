#include "ui/window_commands.h"

#include "ui/selectors.h"

const int kTextControlIds[16] = {
    kIdPhotoText, kIdCopyBox, kIdTestButton, kIdPasteButton, 711, 712, 713, 714,
    715, 716, 717, 718, 719, kIdStripesRadio, kIdColourButton, kIdFontIcon,
};

bool OnLowerBand(int y)
{
    return y > 154;
}

MouseMoveOutcome HandleMouseMove(WindowStateRecord& state, const SettingsRecord& settings, int x, int y,
                                 const PanelControlRects& panel)
{
    MouseMoveOutcome out;
    if (state.iRunning || state.iProgress != 0) return out;  // the hover state is frozen while a run or its result shows
    state.iDropOnText = OnLowerBand(y) ? 1 : 0;
    const int zone = ClassifyZone(x, y, panel);
    out.handCursor = ZoneShowsHand(zone);
    out.repaint = ApplySelectorMove(state, settings, zone, x);
    return out;
}

ClickAction LeftClickAction(const WindowStateRecord& state, const SettingsRecord& settings, int iOutSubfolderNo)
{
    switch (state.iHoverZone) {
    case kZoneResultFolder:
        return iOutSubfolderNo != 0 ? ClickAction::OpenRunFolder : ClickAction::ExplainNoRunYet;
    case kZoneResetCorner:
        // Two steps: a changed size is reset first; at 901 the corner offers the removal.
        return settings.MaxPix != kMaxPixDefault ? ClickAction::RestoreInitialSettings : ClickAction::RemoveProgramFiles;
    case kZoneBand: return ClickAction::OpenOutputFolder;
    case kZoneLastResult: return ClickAction::ViewLastResult;
    case kZoneSizeSlide:
    case kZoneQualitySlide: return ClickAction::CommitSelector;
    case kZonePanelToggle: return ClickAction::TogglePanel;
    case kZonePhotoText: return settings.TrProtext ? ClickAction::OpenPhotoTextEditor : ClickAction::None;
    default: return ClickAction::None;
    }
}

ClickAction RightClickAction(const WindowStateRecord& state)
{
    switch (state.iHoverZone) {
    case kZoneResultFolder: return ClickAction::OpenSourceFolder;
    case kZonePhotoText: return ClickAction::RestoreFirstPhotoText;
    default: return ClickAction::None;
    }
}

CommandEffect ApplyPanelCommand(uintptr_t wParam, SettingsRecord& settings)
{
    const int id = static_cast<int>(wParam & 0xFFFF);
    if (id >= kIdFirstPlaceRadio && id <= kIdLastPlaceRadio) {
        settings.iTrProtextN = id - kIdStripesRadio;
        return CommandEffect::None;
    }
    switch (id) {
    case kIdTestButton: return CommandEffect::RunTestPicture;
    case kIdPasteButton: return CommandEffect::PastePhotoText;
    case kIdCloseButton: return CommandEffect::ClosePanel;
    case kIdStripesRadio: settings.iTrProtextN = kTextModeStripes; return CommandEffect::None;
    case kIdShowTextBox:
        settings.TrProtext = settings.TrProtext ? 0 : 1;
        return settings.TrProtext ? CommandEffect::EnableTextControls : CommandEffect::DisableTextControls;
    case kIdCopyBox: settings.iTrProtextNoResize = settings.iTrProtextNoResize ? 0 : 1; return CommandEffect::None;
    case kIdKeepNamesBox:
        // 0 -> 1 -> 0; a stray value from a hand-edited settings file also lands on 0.
        settings.iTrSaveFileName = settings.iTrSaveFileName + 1 >= 2 ? 0 : settings.iTrSaveFileName + 1;
        return CommandEffect::None;
    case kIdColourButton: return CommandEffect::ChooseColour;
    case kIdFontIcon:
        // Only the icon's click notification (code 0 in the high word); other
        // notifications of the static (double click, enable) are not a choice.
        return wParam == static_cast<uintptr_t>(kIdFontIcon) ? CommandEffect::ChooseFont : CommandEffect::None;
    default: return CommandEffect::None;
    }
}

NotesTickOutcome HandleNotesTick(WindowStateRecord& state, const SettingsRecord& settings, bool minimised,
                                 bool cursorKnown, int cursorY, int desktopBottom)
{
    NotesTickOutcome out;
    // A window that a test picture minimised comes back when the cursor nears the bottom edge of the screen.
    if (minimised && cursorKnown && state.iPanelOpen && settings.TrProtext && cursorY + 24 > desktopBottom)
        out.restoreWindow = true;
    if (state.iPanelOpen) out.refreshPhotoText = true;
    if (state.iNoteTicks > 0) {
        --state.iNoteTicks;
        out.noteExpired = state.iNoteTicks == 0;
    }
    return out;
}
