#pragma once
// The corner command's first step: size and quality back to their first values.
#include "common/state.h"

// Size, quality and their bounds to the first values, VarboOver 0, LastFile
// empty; the photo text, font, colour and folders are the user's work and stay.
void RestoreInitialSettings(SettingsRecord& settings);
