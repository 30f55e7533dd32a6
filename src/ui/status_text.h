#pragma once
// What the status line says, which lit cut-out goes over the background, and
// the texts of the dials: everything the painting decides before it draws.
#include <string>

#include "common/state.h"
#include "ui/window_state.h"

extern const char* const kGreetingText;  // what the status line holds before anything is chosen

enum class LitImage { None, SizeDial, QualityDial, ResultFolder, ResetCorner, PanelToggle };

constexpr int kProgressLineStartX = 24;
constexpr int kProgressLineY = 130;
constexpr size_t kStatusTextMaxChars = 511;  // the status line never takes more

struct StatusChoice {
    std::string text;            // UTF-8, at most kStatusTextMaxChars characters
    std::string fallback;        // shown instead when `text` cannot be converted for drawing
    LitImage lit = LitImage::None;
    bool blue = false;           // a selector is lit: the text asks for the mouse
    int progressLineEnd = -1;    // x of the progress line's right end (from x 24 at y 130); -1 no line
    bool showSubfolder = false;  // the run-folder number goes on the folder icon
};

// Chooses the status line for one paint; painting changes nothing. jobToFolder
// is the output mode of the last job: 1 output folder, 0 Desktop.
StatusChoice ChooseStatus(const WindowStateRecord& state, const SettingsRecord& settings, int iOutSubfolderNo, int jobToFolder);

// Right end of the progress line while file n is in work: 94, 188, 282, 376, then back to the start.
int ProgressLineEnd(int n);

// A value as the dials show it.
std::string ValueText(int value);
