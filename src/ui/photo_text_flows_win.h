#pragma once
// The photo-text flows behind the settings panel: the editor dialog, the
// clipboard, the colour and font dialogs, the test picture and the test
// photo. They change the settings and the panel's field; what the window must
// do afterwards (a note, a repaint, a timer) they answer.
#include <windows.h>

#include <optional>
#include <string>

// The editor (dialog PROTEXTDIALOG); the field shows what was saved.
void OpenPhotoTextEditor(HWND window);
// The clipboard's text as the photo text, after a question.
void PastePhotoText(HWND window);
// The first photo text back, and the first test photo over Test.jpg. True when the test photo came back.
bool RestoreFirstPhotoText(HWND window);
// The test picture Test2.jpg made and opened. True when it was made.
bool RunTestPicture(HWND window);
// The colour dialog: true and the chosen 0x00BBGGRR colour, or false when cancelled.
bool ChooseTextColor(HWND window, int& colour);
// The font dialog; changes FontName, FontSize, FontStyle and FontHeight on OK.
void ChooseTextFont(HWND window);
// A drop on the lower band: one dropped file becomes the test photo Test.jpg.
// True when it was replaced; a refusal is explained in a box.
bool ReplaceTestPhoto(unsigned droppedCount, const std::optional<std::string>& firstPath);

// The clipboard's text, at most maxUnits UTF-16 units of it; empty when there is none or it is busy.
std::string ReadClipboardText(HWND owner, size_t maxUnits);
// Forgets the colour dialog's custom colours and last colour (for tests).
void ResetColourDialogMemory();
