#pragma once
// What the photo-text flows behind the settings panel decide: the clipboard
// paste, the editor's save, the font dialog's start and result, and their
// message texts. The dialogs themselves are in photo_text_flows_win.cpp.
#include <string>
#include <string_view>

#include "common/state.h"

extern const char* const kClipboardEmptyText;
extern const char* const kClipboardTooShortText;
extern const char* const kFirstTextRestoredNote;
extern const char* const kOneFileForTestPhotoText;
extern const char* const kTestPhotoReplacedNote;
extern const char* const kTestPhotoNotReplacedText;

enum class PasteStep { ClipboardEmpty, TooShort, Ask };
struct PastePlan {
    PasteStep step = PasteStep::ClipboardEmpty;
    std::string text;      // the text that a "yes" puts on the photos (at most 500 characters)
    std::string question;  // the question that shows it
};
// The paste of a clipboard text (line ends as they came): empty, shorter than 4 characters, or the question.
PastePlan PlanPaste(std::string_view clipboardText);

// What the editor's save keeps: at most 510 characters, and the default text
// for 3 characters or fewer. Line ends are taken as LF.
std::string EditorTextToKeep(std::string_view edited);

// The font the font dialog starts from: FontStyle 1 bold, 2 italic, 3 both.
struct FontStartStyle {
    bool bold = false;
    bool italic = false;
};
FontStartStyle FontStartFromStyle(int fontStyle);

struct FontDialogChoice {
    std::string face;
    int pointSizeTenths = 0;  // the dialog's size in tenths of a point
    int height = 0;           // the logical font's height
    bool bold = false;
    bool italic = false;
};
// Applies an OK of the font dialog; a face under 2 characters changes nothing. Answers whether it changed.
bool ApplyFontChoice(const FontDialogChoice& choice, SettingsRecord& settings);
