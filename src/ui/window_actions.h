#pragma once
// What the main window asks of the batch run (ui/batch_run_win.cpp) and the
// photo-text flows (ui/photo_text_flows_win.cpp). The window procedure calls
// these and nothing else of theirs. (Opening folders and documents, the reset
// and the removal come from shell/.)
#include <windows.h>

// Batch run. WM_DROPFILES: starts a run, replaces the test photo (a drop on
// the lower band, iDropOnText 1) or is ignored during a run; releases the
// drop handle. WM_HOTKEY: the Esc hot key of a run (RegisterRunHotKey).
void HandleDroppedFiles(HWND window, HDROP drop);
void HandleRunHotKey(HWND window, int hotKeyId);

// Photo-text flows behind the settings panel.
void OpenPhotoTextEditor(HWND window);
void PastePhotoText(HWND window);
void RestoreFirstPhotoText(HWND window);
void RunTestPicture(HWND window);
// The colour dialog: true and the chosen 0x00BBGGRR colour, or false when cancelled.
bool ChooseTextColor(HWND window, int& colour);
// The font dialog; changes FontName, FontSize, FontStyle and FontHeight on OK.
void ChooseTextFont(HWND window);

