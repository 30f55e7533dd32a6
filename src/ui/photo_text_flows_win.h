#pragma once
// The photo-text flows' Windows half: the editor dialog, the clipboard, the
// colour and font dialogs, the test picture and the test photo. The entry
// points the window procedure calls are declared in ui/window_actions.h.
#include <windows.h>

#include <optional>
#include <string>

// Control ids of the dialog PROTEXTDIALOG (resources/resource_ids.h has the same numbers).
constexpr int kIdProtextEdit = 801;
constexpr int kIdProtextSave = 901;
constexpr int kIdProtextClose = 902;

// The procedure of the photo-text editor (dialog PROTEXTDIALOG).
INT_PTR CALLBACK ProtextDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The clipboard's text, at most maxUnits UTF-16 units of it; empty when there is none or it is busy.
std::string ReadClipboardText(HWND owner, size_t maxUnits);
// A drop on the lower band: one dropped file becomes the test photo Test.jpg.
void ReplaceTestPhoto(HWND window, unsigned droppedCount, const std::optional<std::string>& firstPath);
// Forgets the colour dialog's custom colours and last colour (for tests).
void ResetColourDialogMemory();
