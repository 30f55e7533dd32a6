#pragma once
// The size and quality selectors: hover a dial to latch it, move down into the
// band where the mouse x picks a candidate, click to commit.
#include "common/state.h"
#include "ui/window_state.h"

constexpr int kSizeStep = 10;
constexpr int kQualityStep = 1;

// The value that mouse x picks on the 360-pixel track from x 20 to 380, rounded down to a multiple of step.
int SelectorValue(int step, int x, int low, int high);

// Latch and slide for a mouse move whose zone is already classified (and in
// state.iHoverZone). Turns the band into the sliding zones 8 and 9. Answers
// whether the window must repaint.
bool ApplySelectorMove(WindowStateRecord& state, const SettingsRecord& settings, int zone, int x);

// A click in a sliding band: the shown candidate becomes the setting.
void CommitSelector(WindowStateRecord& state, SettingsRecord& settings);

// After the settings' size and quality were reset: the dials show them, and
// no hover, lit selector or run status is left.
void ShowResetSettings(WindowStateRecord& state, const SettingsRecord& settings);

// The mouse left the window: no hover, no latch.
void ClearHover(WindowStateRecord& state);
