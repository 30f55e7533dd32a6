#include "ui/batch_run.h"

#include <algorithm>

#include "engine/picture_list.h"

std::string SourceFolderOf(const std::string& path, EntryKind kind)
{
    if (kind != EntryKind::Other) return path;
    const size_t cut = path.find_last_of("\\/");
    if (cut == std::string::npos) return path;
    // "C:" alone would mean the drive's current folder, not its root.
    if (cut > 0 && path[cut - 1] == ':') return path.substr(0, cut + 1);
    return path.substr(0, cut);
}

void ClearRunStatus(WindowStateRecord& state)
{
    state.iProgress = 0;
    state.iLatchedZone = 0;
    state.iSelectorLit = 0;
}

bool TakeRunEsc(WindowStateRecord& state)
{
    // The hot key is held only while a run goes, but an Esc pressed during
    // the last picture reaches the window after the run has ended: it must
    // not wipe the result that is on screen now.
    if (state.iRunning == 0) return false;
    state.iEscState = 1;
    ClearRunStatus(state);
    return true;
}

BatchEnd RunBatchLoop(WindowStateRecord& state, SettingsRecord& settings, const BatchHooks& hooks)
{
    state.iDropCount = std::clamp(state.iDropCount, 0, kMaxRunInputs);
    state.iTotalFiles = state.iDropCount;
    state.iEscState = 0;
    state.iFileIndex = 0;
    JobStop stop = JobStop::None;

    while (state.iFileIndex < state.iDropCount) {
        state.iRunning = 1;
        // Esc is taken in during the pauses; it stops the run unless fewer
        // than ten inputs are left, which are then simply finished.
        if (state.iFileIndex > 0 && state.iEscState == 1 && state.iFileIndex < state.iDropCount - kEscLastInputs) {
            state.iEscState = 2;
            break;
        }
        // A name the shell cannot give, or a dropped file that is no picture,
        // is passed over; names from a folder's list were filtered when listed.
        const std::optional<std::string> input = hooks.inputName(state.iFileIndex);
        if (input && !input->empty() && (state.iFromList || IsPictureName(*input))) {
            ++state.iProgress;
            hooks.repaint();
            const PictureResult out = hooks.runPicture(*input);
            if (out.made) {
                settings.LastVarbo = out.written;
                settings.LastFile = *input;
                settings.LastDir = SourceFolderOf(*input, hooks.probe(*input));
                if (state.iProgress % kPauseEvery == 0) hooks.pause();
            } else {
                // A failed picture is not counted, not even the one that found
                // the folder full. (An Esc during a box the job showed may have
                // set the count back to 0 already.)
                if (state.iProgress > 0) --state.iProgress;
                if (StopsTheRun(out.stop)) {
                    stop = out.stop;
                    settings.VarboOver = stop == JobStop::DesktopFull ? 1 : 2;
                    break;
                }
            }
        }
        ++state.iFileIndex;
    }

    state.iRunning = 0;
    BatchEnd end;
    if (state.iProgress > 0) {
        state.iDoneFiles = state.iProgress;
        state.iProgress = kProgressDoneWithPictures;
        end.startEndTimer = true;
    } else {
        // The end of a run without pictures is a note, so it stays its time
        // whatever else repaints the window meanwhile.
        state.iProgress = 0;
        ShowNote(state, state.iEscState == 2 ? kRunStoppedNote : kNothingMadeNote, kNoteTicks);
        state.iEscState = 0;
    }
    end.endProgram = stop == JobStop::FolderFull;
    return end;
}
