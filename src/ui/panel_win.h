#pragma once
// The main window's child controls: the two picture statics and the settings panel.
#include <windows.h>

#include <string>
#include <vector>

#include "common/owners_win.h"
#include "common/state.h"
#include "ui/zones.h"

// The two control fonts and the font icon for one DPI, made for the window
// and deleted with it (made anew when the window moves to another DPI).
struct PanelFonts {
    GdiObject<HFONT> control;  // Verdana (or Arial) 13 logical pixels
    GdiObject<HFONT> caption;  // Arial bold 16
    IconHandle fontIcon;       // ICOFONT at 16 logical pixels; none at 96 dpi, where the static loads its own
    explicit PanelFonts(int dpi);
};

// The main window's children, in the order they are made.
struct ChildWindows {
    HWND background = nullptr;
    HWND display = nullptr;     // the surface the painting draws on
    std::vector<HWND> panel;    // one for each entry of PanelControls (null where one failed)
};

// Children 1 and 2 (the background static and the display the painting draws
// on), then the panel's controls with their fonts and initial states, laid
// out for `dpi`. Sizes the window to a 400 x 160 client area on the way.
ChildWindows CreateChildControls(HWND window, const SettingsRecord& settings, const PanelFonts& fonts, int dpi);
// Places every child at its layout position scaled for `dpi` and gives the panel the fonts made for it.
void LayOutChildControls(const ChildWindows& children, const SettingsRecord& settings, const PanelFonts& fonts, int dpi);
// The colour button.
HWND ColourButton(HWND window);
// Enables or disables the 16 controls that follow "Показывать текст".
void EnableTextControls(HWND window, bool enable);
// Sets the client area to 400 x 250 (open) or 400 x 160 (closed) logical
// pixels at `dpi` (the window's), keeping the window's position.
void SetPanelClientArea(HWND window, bool open, int dpi);
// The rectangles of the panel controls that have zones, in logical client pixels.
PanelControlRects CurrentPanelRects(HWND window, int dpi);
// Puts a text into the panel's photo-text field (at most 500 characters of it).
void SetPhotoTextField(HWND window, const std::string& text);
