#include "ui/batch_run.h"

#include <algorithm>
#include <utility>

#include "engine/picture_list.h"

namespace {
// Pictures made ahead of the one being saved wait in memory as JPEGs; this
// many at most, so a slow picture at the head cannot pile up the rest. Enough
// for the small pictures that one worker makes while another makes a large
// one that was started early for its size.
constexpr int kMadeAheadPerWorker = 8;
}

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

int WorkerCount(unsigned logicalProcessors)
{
    return std::clamp(static_cast<int>(logicalProcessors), 1, kMaxWorkers);
}

BatchCoordinator::BatchCoordinator(WindowStateRecord& state, SettingsRecord& settings, int workers, Hooks hooks)
    : state_(state), settings_(settings), hooks_(std::move(hooks)), workers_(std::max(1, workers))
{
    state_.iDropCount = std::clamp(state_.iDropCount, 0, kMaxRunInputs);
    state_.iTotalFiles = state_.iDropCount;
    state_.iEscState = 0;
    state_.iFileIndex = 0;
    steps_.assign(static_cast<size_t>(state_.iDropCount), Step::Waiting);
    paths_.assign(steps_.size(), std::string());
    weights_.assign(steps_.size(), 0);
    weighed_.assign(steps_.size(), false);
}

void BatchCoordinator::Start()
{
    state_.iRunning = 1;
    Pump();
    SaveNext();
}

bool BatchCoordinator::DispatchOver() const
{
    return stopStarting_ || considered_ >= state_.iDropCount;
}

// The input to start next: the first one not yet started, or with weights the
// heaviest of the next kLookAhead; -1 when none is left.
int BatchCoordinator::ChooseNext()
{
    while (next_ < state_.iDropCount && steps_[next_] != Step::Waiting) ++next_;
    if (next_ >= state_.iDropCount) return -1;
    if (!hooks_.inputWeight) return next_;
    int best = next_;
    const int end = std::min(state_.iDropCount, next_ + kLookAhead);
    for (int i = next_; i < end; ++i) {
        if (steps_[i] != Step::Waiting) continue;
        if (!weighed_[i]) {
            weights_[i] = hooks_.inputWeight(i);
            weighed_[i] = true;
        }
        if (weights_[i] > weights_[best]) best = i;
    }
    return best;
}

// A folder's list, and the pictures among files without paths, hold only pictures.
bool BatchCoordinator::NamesFiltered() const
{
    return state_.iFromList || hooks_.sourcesWithoutPaths;
}

// Whether an input not yet started is a picture, so more will start.
bool BatchCoordinator::PictureWaiting() const
{
    for (int i = next_; i < state_.iDropCount; ++i) {
        if (steps_[i] != Step::Waiting) continue;
        const std::optional<std::string> input = hooks_.inputName(i);
        if (input && !input->empty() && (NamesFiltered() || IsPictureName(*input))) return true;
    }
    return false;
}

// Starts pictures while a worker is free. A name the shell cannot give, or a
// dropped file that is no picture, is passed over; names from a folder's list,
// and those of files without paths, were filtered before. When as many made
// pictures wait to be saved as may, only the one the writer waits for is started.
void BatchCoordinator::Pump()
{
    while (!DispatchOver() && making_ < workers_) {
        const bool heldFull = waitingToSave_ >= kMadeAheadPerWorker * workers_;
        if (heldFull && (nextSave_ >= state_.iDropCount || steps_[nextSave_] != Step::Waiting)) break;
        // Esc stops the start of new pictures unless fewer than ten inputs
        // are left, which are then simply finished.
        if (considered_ > 0 && state_.iEscState == 1 && considered_ < state_.iDropCount - kEscLastInputs) {
            state_.iEscState = 2;
            stopStarting_ = true;
            break;
        }
        const int index = heldFull ? nextSave_ : ChooseNext();
        if (index < 0) break;
        ++considered_;
        state_.iFileIndex = considered_;
        const std::optional<std::string> input = hooks_.inputName(index);
        if (!input || input->empty() || (!NamesFiltered() && !IsPictureName(*input))) {
            steps_[index] = Step::Skipped;
            ChooseNext();  // moves next_ past it
            continue;
        }
        paths_[index] = *input;
        steps_[index] = Step::Making;
        ++making_;
        ChooseNext();
        hooks_.make(index, *input, !PictureWaiting());
    }
}

// Saves are one at a time, in drop order; what failed or was passed over is
// stepped past. Once nothing more starts, the first input that never started
// ends the saving: what was made after it (started early for its size) is not
// saved, so a stopped run's pictures are the first of the drop, in order.
void BatchCoordinator::SaveNext()
{
    while (!saving_ && nextSave_ < state_.iDropCount) {
        Step& step = steps_[nextSave_];
        if (step == Step::Waiting) {
            if (!DispatchOver()) return;  // not started yet
            discardRest_ = true;
            step = Step::Skipped;
        }
        if (step == Step::Skipped || step == Step::Failed) {
            ++nextSave_;
            continue;
        }
        if (step != Step::Made) return;  // still being made
        if (discardRest_) {
            hooks_.discard(nextSave_);
            step = Step::Failed;
            --waitingToSave_;
            ++nextSave_;
            continue;
        }
        step = Step::Saving;
        --waitingToSave_;
        saving_ = true;
        hooks_.save(nextSave_);
    }
}

void BatchCoordinator::Stop(JobStop stop)
{
    stop_ = stop;
    stopStarting_ = true;
    discardRest_ = true;
    if (stop == JobStop::FolderFull) settings_.VarboOver = 2;
}

void BatchCoordinator::OnMade(int index, bool made, const PictureResult& failure)
{
    if (index < 0 || index >= static_cast<int>(steps_.size()) || steps_[index] != Step::Making) return;
    --making_;
    if (made) {
        steps_[index] = Step::Made;
        ++waitingToSave_;
    } else {
        // A failed picture is skipped and not counted.
        steps_[index] = Step::Failed;
        if (!failure.message.empty() && !discardRest_) hooks_.show(failure.message, failure.caption);
    }
    SaveNext();
    Pump();
}

void BatchCoordinator::OnSaved(int index, const PictureResult& result, EntryKind sourceKind)
{
    if (index < 0 || index >= static_cast<int>(steps_.size()) || steps_[index] != Step::Saving) return;
    saving_ = false;
    ++nextSave_;
    if (result.made) {
        steps_[index] = Step::Saved;
        ++state_.iProgress;
        settings_.LastVarbo = result.written;
        if (!hooks_.sourcesWithoutPaths) {
            settings_.LastFile = paths_[index];
            settings_.LastDir = SourceFolderOf(paths_[index], sourceKind);
        }
    } else {
        steps_[index] = Step::Failed;
        if (StopsTheRun(result.stop)) Stop(result.stop);
        if (!result.message.empty()) hooks_.show(result.message, result.caption);
    }
    SaveNext();
    Pump();
}

void BatchCoordinator::OnEsc()
{
    Pump();
    SaveNext();  // the writer may wait for a picture that will now never start
}

void BatchCoordinator::OnClose()
{
    closing_ = true;
    stopStarting_ = true;
    SaveNext();
}

bool BatchCoordinator::Finished() const
{
    if (!DispatchOver() || making_ > 0 || saving_) return false;
    // After a stop nothing more is saved; otherwise everything started is settled first.
    return discardRest_ || waitingToSave_ == 0;
}

BatchEnd BatchCoordinator::End()
{
    // What was made after a stop is never saved.
    for (int i = nextSave_; i < state_.iDropCount; ++i) {
        if (steps_[i] == Step::Made) hooks_.discard(i);
    }
    state_.iRunning = 0;
    BatchEnd end;
    if (state_.iEscState == 2) {
        // Stopped by Esc; the pictures that were in work are kept all the same.
        state_.iDoneFiles = state_.iProgress;
        state_.iProgress = 0;
        ShowNote(state_, kRunStoppedNote, kNoteTicks);
        state_.iEscState = 0;
    } else if (state_.iProgress > 0) {
        state_.iDoneFiles = state_.iProgress;
        state_.iProgress = kProgressDoneWithPictures;
        end.startEndTimer = true;
    } else {
        // The end of a run without pictures is a note, so it stays its time
        // whatever else repaints the window meanwhile.
        state_.iProgress = 0;
        ShowNote(state_, kNothingMadeNote, kNoteTicks);
        state_.iEscState = 0;
    }
    end.endProgram = stop_ == JobStop::FolderFull;
    end.closeWindow = closing_;
    return end;
}
