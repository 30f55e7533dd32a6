#pragma once
// The corner command's first step: size and quality back to their first values.
#include "common/state.h"

// The main window's fields that the reset clears; the window owns them.
struct ResetWindowFields {
    int& MaxPixShown;
    int& ProtsShown;
    int& iHoverZone;
    int& iSelectorLit;
    int& iProgress;
};

// Size, quality and their bounds to the first values, VarboOver 0, LastFile empty; the caller repaints.
void RestoreInitialSettings(SettingsRecord& settings, const ResetWindowFields& window);
