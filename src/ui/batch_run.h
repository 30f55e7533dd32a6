#pragma once
// A batch run over dropped files, as the window thread drives it. Pictures
// are made on worker threads, several at once, started in drop order or,
// given their weights, the heaviest of the next few first; they
// are saved one after another in drop order, so each gets the name a
// one-at-a-time run would give it, and counted as they are saved. Esc, a full
// run folder, an output that cannot be written and the closing of the window
// stop the start of new pictures. The coordinator never waits and starts no
// thread: batch_run_win.cpp gives it the workers and the writer.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/paths.h"
#include "common/state.h"
#include "engine/picture_job.h"
#include "ui/window_state.h"

constexpr int kEscLastInputs = 10;  // within the last ten inputs Esc no longer stops the run
constexpr int kMaxWorkers = 8;

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

// How many workers make pictures at once: one per logical processor, at most 8.
int WorkerCount(unsigned logicalProcessors);

struct BatchEnd {
    bool startEndTimer = false;  // a run with pictures: the run-end timer turns the result back to idle
    bool endProgram = false;     // the output folder is full: the program ends once the result is painted
    bool closeWindow = false;    // the window was closed during the run: it goes now
};

class BatchCoordinator {
public:
    struct Hooks {
        // The name of input `index`; empty when the shell cannot give it.
        std::function<std::optional<std::string>(int index)> inputName;
        // Starts making picture `index` on a worker; its end comes back through OnMade.
        // `last`: no other picture of the run will start, so it may take the cores that the
        // other workers give up as they finish.
        std::function<void(int index, const std::string& path, bool last)> make;
        // Hands made picture `index` to the writer; its end comes back through OnSaved.
        std::function<void(int index)> save;
        // Drops what was made for a picture that will not be saved.
        std::function<void(int index)> discard;
        // A picture's message for the user.
        std::function<void(const std::string& message, const std::string& caption)> show;
        // Optional: how much work input `index` is (its file's size will do). With it the
        // heaviest of the next kLookAhead inputs starts first, so that a large picture late
        // in the drop does not leave a core idle at the end of the run.
        std::function<uint64_t(int index)> inputWeight;
        // The inputs are files without paths, already filtered, whose copies are gone
        // once their pictures are made: LastFile and LastDir keep naming the last
        // source that has a path.
        bool sourcesWithoutPaths = false;
    };
    static constexpr int kLookAhead = 16;

    // state.iDropCount inputs (from a folder's list when state.iFromList);
    // `workers` pictures are made at once.
    BatchCoordinator(WindowStateRecord& state, SettingsRecord& settings, int workers, Hooks hooks);
    // Starts the first pictures.
    void Start();
    // Picture `index` was made (made: its JPEG waits with the caller), or failed.
    void OnMade(int index, bool made, const PictureResult& failure);
    // Picture `index` was saved, or not; `sourceKind` tells what its source is now (for LastDir).
    void OnSaved(int index, const PictureResult& result, EntryKind sourceKind);
    // The Esc hot key (after TakeRunEsc took it).
    void OnEsc();
    // The window's close button: no new pictures; the window goes once the run is over.
    void OnClose();
    bool Finished() const;
    // The end of the run: LastVarbo, LastFile, LastDir and VarboOver in the
    // settings, the counters and iProgress in the window state; a run without
    // pictures ends with its note. Call once, when Finished().
    BatchEnd End();

private:
    enum class Step { Waiting, Skipped, Making, Made, Failed, Saving, Saved };
    void Pump();
    int ChooseNext();
    bool NamesFiltered() const;
    bool PictureWaiting() const;
    void SaveNext();
    void Stop(JobStop stop);
    bool DispatchOver() const;

    WindowStateRecord& state_;
    SettingsRecord& settings_;
    Hooks hooks_;
    int workers_;
    std::vector<Step> steps_;
    std::vector<std::string> paths_;
    int next_ = 0;        // the first input not yet started or passed over
    int considered_ = 0;  // inputs started or passed over
    std::vector<uint64_t> weights_;
    std::vector<bool> weighed_;
    int nextSave_ = 0;    // the next input, in drop order, to be saved or passed over
    int making_ = 0;
    int waitingToSave_ = 0;
    bool saving_ = false;
    bool stopStarting_ = false;  // Esc, a stop or the close button: no new pictures
    bool discardRest_ = false;   // a full folder or a failed write: nothing after it is saved
    bool closing_ = false;
    JobStop stop_ = JobStop::None;
};
