#pragma once
// The picture of the main window's upper 400 x 160 pixels, composed off screen.
#include <windows.h>

#include <cstdint>

#include "common/state.h"
#include "ui/window_state.h"

struct PaintSurface {
    HWND display = nullptr;       // the full-size child the picture is shown on
    HWND colourButton = nullptr;  // gets the photo-text colour while the panel is open
};

// Composes the whole picture into the back buffer and shows it on the
// display. Answers 1, or 0 when the background cannot be drawn (then nothing is drawn).
int PaintMainWindow(WindowStateRecord& state, const SettingsRecord& settings, const FolderRecord& folders,
                    const PaintSurface& surface);

// The back buffer as the last paint left it (for tests): false before the first successful paint.
bool BackBufferPixel(int x, int y, uint32_t& argb);
