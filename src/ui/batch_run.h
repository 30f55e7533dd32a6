#pragma once
// The batch run over dropped files: the loop with its progress, pauses, Esc
// and end state. The Windows half (the drop handle, the folder search, the
// pause dialog, the hot key) is in batch_run_win.cpp.
#include <functional>
#include <optional>
#include <string>

#include "common/paths.h"
#include "common/state.h"
#include "engine/picture_job.h"
#include "ui/window_state.h"

constexpr int kPauseEvery = 10;      // the run pauses after every tenth picture
constexpr int kEscLastInputs = 10;   // within the last ten inputs Esc no longer stops the run

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

// What the loop needs of the window, the shell and the engine.
struct BatchHooks {
    std::function<std::optional<std::string>(int index)> inputName;  // empty: the name cannot be read
    std::function<void()> repaint;                                  // synchronous, before every picture
    std::function<PictureResult(const std::string& path)> runPicture;  // shows the job's message, if any
    std::function<EntryKind(const std::string& path)> probe;         // for LastDir
    std::function<void()> pause;  // the wait pause after every tenth picture, where Esc is taken in
};

struct BatchEnd {
    bool startEndTimer = false;  // a run with pictures: the run-end timer (kTimerRunEnd) turns the result back to idle
    bool endProgram = false;     // the output folder is full: the program ends once the result is painted
};

// The loop over state.iDropCount inputs (state.iFromList tells where they
// come from) and the end of the run: LastVarbo, LastFile, LastDir and
// VarboOver in the settings, the counters and iProgress in the window state;
// a run without pictures ends with its note ("Этот файл не подходит..." or,
// stopped by Esc, "Обработка файлов завершена...").
BatchEnd RunBatchLoop(WindowStateRecord& state, SettingsRecord& settings, const BatchHooks& hooks);
