#pragma once
// The main window's child controls: the two picture statics and the settings panel.
#include <windows.h>

#include <string>

#include "common/owners_win.h"
#include "common/state.h"
#include "ui/zones.h"

// The two control fonts, made once for the window and deleted with it.
struct PanelFonts {
    GdiObject<HFONT> control;  // Verdana (or Arial) 13
    GdiObject<HFONT> caption;  // Arial bold 16
    PanelFonts();
};

// Children 1 and 2 (the background static and the display the painting draws
// on), then the panel's controls with their fonts and initial states. Sizes
// the window to a 400 x 160 client area on the way. Answers the display child.
HWND CreateChildControls(HWND window, const SettingsRecord& settings, const PanelFonts& fonts);
// The colour button.
HWND ColourButton(HWND window);
// Enables or disables the 16 controls that follow "Показывать текст".
void EnableTextControls(HWND window, bool enable);
// Sets the client area to 400 x 250 (open) or 400 x 160 (closed), keeping the window's position.
void SetPanelClientArea(HWND window, bool open);
// The rectangles of the panel controls that have zones, in client pixels.
PanelControlRects CurrentPanelRects(HWND window);
// Puts a text into the panel's photo-text field (at most 500 characters of it).
void SetPhotoTextField(HWND window, const std::string& text);
