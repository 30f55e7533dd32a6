#pragma once
// What the main window's mouse, command and timer messages decide. The window
// procedure unpacks a message, asks here, and carries the answer out.
#include <cstdint>

#include "common/state.h"
#include "engine/photo_text.h"
#include "ui/window_state.h"
#include "ui/zones.h"

// Child-control ids of the settings panel.
constexpr int kIdTestButton = 701;
constexpr int kIdPasteButton = 702;
constexpr int kIdCloseButton = 703;
constexpr int kIdStripesRadio = 710;
constexpr int kIdFirstPlaceRadio = 711;
constexpr int kIdLastPlaceRadio = 719;
constexpr int kIdPhotoText = 721;
constexpr int kIdShowTextBox = 731;
constexpr int kIdCopyBox = 732;
constexpr int kIdKeepNamesBox = 733;
constexpr int kIdColourButton = 741;
constexpr int kIdFontIcon = 751;

// The lower band of the picture area: y > 154 in logical client pixels. A
// drop there replaces the test photo instead of starting a run.
bool OnLowerBand(int y);

struct MouseMoveOutcome {
    bool handCursor = false;
    bool repaint = false;
};
// A mouse move to client (x, y); nothing changes while a run's status is shown.
MouseMoveOutcome HandleMouseMove(WindowStateRecord& state, const SettingsRecord& settings, int x, int y,
                                 const PanelControlRects& panel);

enum class ClickAction {
    None,
    OpenRunFolder,          // the current run folder in the file manager
    ExplainNoRunYet,        // no run folder yet: say so
    RestoreInitialSettings,
    RemoveProgramFiles,
    OpenOutputFolder,
    ViewLastResult,         // the last picture made, or a note when it is gone
    CommitSelector,
    TogglePanel,
    OpenPhotoTextEditor,
    OpenSourceFolder,       // right click: the folder of the last source
    RestoreFirstPhotoText,  // right click: the first photo text and test photo
};
ClickAction LeftClickAction(const WindowStateRecord& state, const SettingsRecord& settings, int iOutSubfolderNo);
ClickAction RightClickAction(const WindowStateRecord& state);

enum class CommandEffect {
    None,                // a setting changed (or nothing to do)
    RunTestPicture,
    PastePhotoText,
    ClosePanel,
    EnableTextControls,
    DisableTextControls,
    ChooseColour,
    ChooseFont,
};
// A panel control's WM_COMMAND (wParam as it came): changes the settings the
// control stands for and answers what else must happen.
CommandEffect ApplyPanelCommand(uintptr_t wParam, SettingsRecord& settings);

// The ids of the 16 controls that follow "Показывать текст".
extern const int kTextControlIds[16];

struct NotesTickOutcome {
    bool restoreWindow = false;    // bring back the window a test minimised
    bool refreshPhotoText = false; // put the photo text into its field and repaint
    bool noteExpired = false;      // the note just ended: repaint to show the hint again
};
// The notes timer (700 ms). cursorY and desktopBottom count only when cursorKnown.
NotesTickOutcome HandleNotesTick(WindowStateRecord& state, const SettingsRecord& settings, bool minimised,
                                 bool cursorKnown, int cursorY, int desktopBottom);
