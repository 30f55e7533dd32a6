#pragma once
// The batch run over dropped files: which names are pictures, the list of a
// dropped folder, and the loop with its progress, pauses, Esc and end state.
// The Windows half (the drop handle, the folder search, the pause dialog, the
// hot key) is in batch_run_win.cpp.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "common/paths.h"
#include "common/state.h"
#include "ui/window_state.h"

constexpr int kMaxRunInputs = 9000;  // files of one drop, pictures of one dropped folder
constexpr int kPauseEvery = 10;      // the run pauses after every tenth picture
constexpr int kEscLastInputs = 10;   // within the last ten inputs Esc no longer stops the run

// True when the path ends like a picture the engine reads: its last five
// characters, ASCII lower-cased, hold ".jpeg", ".jpg", ".bmp", ".gif",
// ".png", ".tif", ".wmf" or ".emf"; paths under 6 or over 511 characters never.
bool IsPictureName(std::string_view path);

// Name order of an NTFS folder listing: UTF-16 code units compared one by
// one after upper-casing each, so case never decides and "ё" comes before "а".
bool NtfsNameLess(std::string_view a, std::string_view b);

// One entry of a folder search.
struct ListedEntry {
    std::string name;
    bool folder = false;
    uint64_t size = 0;
};
// The full paths of a dropped folder's pictures in name order, at most 9000.
// Sub-folders, empty files and names that are no pictures are left out.
std::vector<std::string> FolderPicturePaths(std::string_view folder, std::vector<ListedEntry> entries);
// DropFolderList.txt: one path a line, each line ended by CR LF.
std::string FolderListText(const std::vector<std::string>& paths);
// The paths of a list file's text (CR LF or LF): blank lines skipped, at most 9000.
std::vector<std::string> ParseFolderList(std::string_view text);

// The folder the last source came from: the path cut before its last
// separator when it names a file, the path itself when it names a folder
// or no longer exists. A file at a drive's root keeps "C:\".
std::string SourceFolderOf(const std::string& path, EntryKind kind);

// A drop (that is not ignored) and the run's Esc key both begin here: the
// status line and the selector latch are cleared.
void ClearRunStatus(WindowStateRecord& state);
// The Esc hot key while a run goes: marks the Esc and clears the status.
// Answers false (and changes nothing) when no run is going.
bool TakeRunEsc(WindowStateRecord& state);

struct PictureOutcome {
    bool made = false;     // a picture was written
    int stopCode = 0;      // when not made: 0 none, 1 Desktop full, 2 output folder full
    std::string outFile;   // when made: the file written
};

// What the loop needs of the window, the shell and the engine.
struct BatchHooks {
    std::function<std::optional<std::string>(int index)> inputName;  // empty: the name cannot be read
    std::function<void()> repaint;                                  // synchronous, before every picture
    std::function<PictureOutcome(const std::string& path)> runPicture;
    std::function<EntryKind(const std::string& path)> probe;         // for LastDir
    std::function<void()> pause;  // the wait pause after every tenth picture, where Esc is taken in
};

struct BatchEnd {
    bool startEndTimer = false;  // a run with pictures: timer 602 turns the result back to idle
    bool endProgram = false;     // the output folder is full: the program ends once the result is painted
};

// The loop over state.iDropCount inputs (state.iFromList tells where they
// come from) and the end of the run: LastVarbo, LastFile, LastDir and
// VarboOver in the settings, the counters and iProgress in the window state.
BatchEnd RunBatchLoop(WindowStateRecord& state, SettingsRecord& settings, const BatchHooks& hooks);
