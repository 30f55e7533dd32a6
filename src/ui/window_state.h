#pragma once
// The main window's state: one process-wide record, written by the window
// procedure and the batch run, read by the painting.
#include <string>

constexpr int kProgressDoneWithPictures = 100000;  // a run ended with pictures (shown for a second)
constexpr int kNoteTicks = 4;                      // a note lives four ticks of timer 603, about 2.8 s
constexpr size_t kNoteTextMaxBytes = 1023;

extern const char* const kNothingMadeNote;  // a run ended without pictures
extern const char* const kRunStoppedNote;   // a run stopped by Esc before its first picture was counted

struct WindowStateRecord {
    // Hover and selectors.
    int iHoverZone = 0;    // zone under the mouse, 0 none
    int iPrevZone = 0;     // zone at the previous mouse move
    int iLatchedZone = 0;  // last nonzero classified zone: 1 size selector latched, 2 quality
    int iSelectorLit = 0;  // 0 none, 1 size, 2 quality
    int MaxPixShown = 0;   // the values in the dials: candidates while a selector slides
    int ProtsShown = 0;
    int iSlideTick = 0;    // set by the selector tick (kTimerSlide), cleared when a sliding selector takes a value
    int iPanelOpen = 0;
    int iDropOnText = 0;   // 1 when the last mouse position had y > 154 (the cursor; a drop goes by its own point)

    // Batch run.
    int iProgress = 0;     // 0 idle, 1..N file in work, or one of the kProgressDone values
    int iTotalFiles = 0;
    int iDoneFiles = 0;
    int iRunning = 0;
    int iEscState = 0;     // 0 none, 1 Esc pressed, 2 run stopped by Esc
    int iRunToFolder = 0;  // output-folder flag of the jobs: 1 from the first drop on
    int iDropCount = 0;
    int iFromList = 0;
    int iFileIndex = 0;

    // Status note and exit.
    std::string NoteText;
    int iNoteTicks = 0;
    int iRemoved = 0;      // the program's files were removed: no settings saved at exit
};

extern WindowStateRecord WindowState;

// Shows `text` in the status line for `ticks` ticks of the notes timer (kTimerNotes, 700 ms) instead of the hint.
void ShowNote(WindowStateRecord& state, const std::string& text, int ticks);
// At most maxBytes bytes of a UTF-8 text, cut before a character that would not fit whole.
std::string Utf8BytePrefix(const std::string& text, size_t maxBytes);
