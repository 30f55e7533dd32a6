#include "ui/batch_run_win.h"

#include <shellapi.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "common/files_win.h"
#include "common/gui_objects_win.h"
#include "common/messages.h"
#include "common/owners_win.h"
#include "common/state.h"
#include "common/text.h"
#include "common/wide_win.h"
#include "engine/job_memory.h"
#include "engine/picture_list.h"
#include "engine/run_folders_win.h"
#include "imaging/block_pool.h"
#include "ui/virtual_drop_win.h"
#include "ui/window_state.h"

namespace {

// Enough of a picture file's start to hold its header behind the usual
// metadata (EXIF with its thumbnail, XMP).
constexpr size_t kHeaderBytes = 256 * 1024;

BatchSeams& Seams()
{
    static BatchSeams seams;
    return seams;
}

// Jobs take memory from here before they decode; the first job in work
// always gets what it needs, the others wait until theirs fits.
class MemoryGate {
public:
    explicit MemoryGate(uint64_t budget) : budget_(budget) {}
    void Acquire(uint64_t bytes)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        freed_.wait(lock, [&] { return holders_ == 0 || used_ + bytes <= budget_; });
        used_ += bytes;
        ++holders_;
    }
    void Release(uint64_t bytes)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            used_ -= bytes;
            --holders_;
        }
        freed_.notify_all();
    }
private:
    std::mutex mutex_;
    std::condition_variable freed_;
    uint64_t budget_;
    uint64_t used_ = 0;
    int holders_ = 0;
};

// With VARBO_TEST_TIMES naming a file, a batch run writes where its time goes, one line an
// event: milliseconds since the drop reached the window, the event, the input's index (-1
// for the run). The bench reads it; it costs nothing when the variable is not set.
class RunTimes {
public:
    RunTimes()
    {
        if (const char* path = std::getenv("VARBO_TEST_TIMES"); path && *path) file_ = std::fopen(path, "ab");
        QueryPerformanceFrequency(&frequency_);
        QueryPerformanceCounter(&start_);
    }
    ~RunTimes()
    {
        if (file_) std::fclose(file_);
    }
    RunTimes(const RunTimes&) = delete;
    RunTimes& operator=(const RunTimes&) = delete;
    void Note(const char* event, int index = -1)
    {
        if (!file_) return;
        LARGE_INTEGER now;
        QueryPerformanceCounter(&now);
        const double ms = double(now.QuadPart - start_.QuadPart) * 1000 / double(frequency_.QuadPart);
        std::lock_guard<std::mutex> lock(mutex_);
        std::fprintf(file_, "%.2f %s %d\n", ms, event, index);
    }
private:
    std::FILE* file_ = nullptr;
    LARGE_INTEGER frequency_{}, start_{};
    std::mutex mutex_;
};

// A picture's work grows with its file: the batch starts the largest of the next few first.
// 0 for a file that cannot be asked.
uint64_t FileBytes(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (path.empty() || !GetFileAttributesExW(WidePath(WithoutTrailingLineFeed(path)).c_str(), GetFileExInfoStandard, &data)) return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

uint64_t AvailablePhysicalMemory()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    return GlobalMemoryStatusEx(&status) ? status.ullAvailPhys : 0;
}

// The workers that make pictures and the one writer that saves them, in the
// order the window hands them over. Each end is posted to the window.
class RunThreads {
public:
    // `copies`: the run's files have no paths, and each is copied to disk just before its picture.
    RunThreads(HWND window, const PictureJob& job, int workers, RunTimes& times, std::unique_ptr<VirtualCopies> copies)
        : window_(window), job_(job), gate_(BatchMemoryBudget(AvailablePhysicalMemory())), times_(times), copies_(std::move(copies))
    {
        workers_ = workers;
        for (int i = 0; i < workers; ++i) threads_.emplace_back([this] { WorkerLoop(); });
        threads_.emplace_back([this] { WriterLoop(); });
    }
    ~RunThreads()
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            closing_ = true;
            makeQueue_.clear();
            saveQueue_.clear();
        }
        wake_.notify_all();
        for (std::thread& t : threads_) t.join();
        ReleaseKeptBlocks();  // the run's picture buffers go back to the system
        for (auto& [index, slot] : slots_) VirtualDrop::TakeOver(std::move(slot.handed));  // never taken up: let go here
        copies_.reset();      // with every copy still on disk
    }
    RunThreads(const RunThreads&) = delete;
    RunThreads& operator=(const RunThreads&) = delete;

    void Make(int index, const std::string& path, bool last)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            slots_[index].path = path;
            slots_[index].last = last;
            // Each picture of files without paths gets the sender's data object
            // marshalled for the worker that makes it, which lets it go after the
            // copy: while the run goes, so this thread still answers for it.
            if (copies_) slots_[index].handed = copies_->drop().HandOver();
            makeQueue_.push_back(index);
        }
        wake_.notify_all();
    }
    void Save(int index)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            saveQueue_.push_back(index);
        }
        wake_.notify_all();
    }
    void Discard(int index)
    {
        std::string copy;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (auto it = slots_.find(index); it != slots_.end()) copy = it->second.path;
            slots_.erase(index);
        }
        if (copies_) copies_->Remove(copy);
    }
    // What a worker made of picture `index`: made or not, and why not.
    std::pair<bool, PictureResult> Made(int index)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = slots_.find(index);
        if (it == slots_.end()) return {false, PictureResult{}};
        std::pair<bool, PictureResult> out{!it->second.made.jpeg.empty(), it->second.made.failure};
        if (!out.first) slots_.erase(it);  // nothing of it is saved
        return out;
    }
    std::pair<PictureResult, EntryKind> Saved(int index)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        auto it = slots_.find(index);
        if (it == slots_.end()) return {PictureResult{}, EntryKind::Missing};
        std::pair<PictureResult, EntryKind> out{it->second.saved, it->second.sourceKind};
        slots_.erase(it);
        return out;
    }

private:
    struct Slot {
        std::string path;
        bool last = false;  // the run's last picture to start: it decodes as one made on its own
        MadePicture made;
        PictureResult saved;
        EntryKind sourceKind = EntryKind::Missing;
        ComObject<IStream> handed;  // the data object for the worker, when the files have no paths
    };

    // Waits for work of one queue; false when the run is over.
    bool Next(std::deque<int>& queue, int& index, std::string& path, bool* last = nullptr, ComObject<IStream>* handed = nullptr)
    {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [&] { return closing_ || !queue.empty(); });
        if (closing_) return false;
        index = queue.front();
        queue.pop_front();
        path = slots_[index].path;
        if (last) *last = slots_[index].last;
        if (handed) *handed = std::move(slots_[index].handed);
        return true;
    }

    // A file without a path is copied to disk first; its copy is the source
    // from then on, for the writer's kept name and file times too.
    std::string CopyOf(int index, ComObject<IStream> handed)
    {
        const std::string copy = copies_->Make(index, VirtualDrop::TakeOver(std::move(handed)).get());
        std::lock_guard<std::mutex> lock(mutex_);
        slots_[index].path = copy;
        return copy;
    }

    void WorkerLoop()
    {
        // Files without paths come through COM.
        std::optional<ComApartment> com;
        if (copies_) com.emplace(ComApartment::Kind::Multithreaded);
        int index = 0;
        std::string path;
        bool last = false;
        ComObject<IStream> handed;
        while (Next(makeQueue_, index, path, &last, &handed)) {
            times_.Note("make", index);
            if (copies_) {
                try {
                    path = CopyOf(index, std::move(handed));
                } catch (...) {
                    path.clear();
                }
            }
            PictureJob job = job_;
            job.source = path;
            // The cores of the workers that run out of pictures go to the run's last one: a
            // HEIF photo's tiles, a large progressive JPEG's two halves.
            if (last && workers_ > 1) job.decodeThreads = 2;
            MadePicture made;
            // A copy that did not come whole is a picture that failed.
            if (!path.empty()) {
                try {
                    std::string head;
                    uint64_t fileBytes = 0;
                    const uint64_t need = ReadFileHead(path, kHeaderBytes, head, fileBytes)
                        ? EstimateJobPeakBytes(FactsFromHead(reinterpret_cast<const uint8_t*>(head.data()), head.size()), fileBytes, job.size)
                        : 0;
                    gate_.Acquire(need);
                    try {
                        made = Seams().make ? Seams().make(job, index) : MakePicture(job);
                    } catch (...) {
                        made = MadePicture{};
                    }
                    gate_.Release(need);
                } catch (...) {
                    made = MadePicture{};  // one picture failed; the run goes on
                }
            }
            if (made.jpeg.empty() && made.failure.stop == JobStop::None) made.failure.stop = JobStop::Unreadable;
            if (made.jpeg.empty() && copies_) copies_->Remove(path);
            times_.Note("made", index);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                slots_[index].made = std::move(made);
            }
            PostMessageA(window_, kMsgPictureMade, static_cast<WPARAM>(index), 0);
        }
    }

    void WriterLoop()
    {
        int index = 0;
        std::string path;
        int nextNumber = 1;  // pictures are saved in drop order: the next free number is past the last one made
        while (Next(saveQueue_, index, path)) {
            std::vector<uint8_t> jpeg;
            {
                std::lock_guard<std::mutex> lock(mutex_);
                jpeg = std::move(slots_[index].made.jpeg);
            }
            PictureJob job = job_;
            job.source = path;  // a kept name comes from it
            job.firstNumber = nextNumber;
            PictureResult saved;
            try {
                saved = Seams().save ? Seams().save(job, jpeg) : SavePicture(job, jpeg);
            } catch (...) {
                saved = PictureResult{};
                saved.stop = JobStop::SaveFailed;
            }
            if (saved.made && saved.number > 0) nextNumber = saved.number + 1;
            times_.Note("saved", index);
            const EntryKind kind = ProbeEntry(path);
            if (copies_) copies_->Remove(path);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                Slot& slot = slots_[index];
                slot.saved = std::move(saved);
                slot.sourceKind = kind;
            }
            PostMessageA(window_, kMsgPictureSaved, static_cast<WPARAM>(index), 0);
        }
    }

    HWND window_;
    const PictureJob job_;
    MemoryGate gate_;
    RunTimes& times_;
    int workers_ = 1;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<int> makeQueue_, saveQueue_;
    std::map<int, Slot> slots_;
    bool closing_ = false;
    std::unique_ptr<VirtualCopies> copies_;
    std::vector<std::thread> threads_;
};

// The run that goes, if any. The job template is made once, for every picture
// of the run alike.
struct ActiveRun {
    HWND window = nullptr;
    std::vector<std::string> inputs;
    std::shared_ptr<VirtualDrop> virtualFiles;  // the inputs are files without paths
    std::function<void()> progress;
    bool holdsEsc = false;
    int lastRunNo = 0;
    std::string lastRunFolder;
    std::unique_ptr<RunTimes> times = std::make_unique<RunTimes>();  // from the drop on; the threads note into it
    std::unique_ptr<RunThreads> threads;
    std::unique_ptr<BatchCoordinator> coordinator;
    RunObjectLog objects;
};
std::unique_ptr<ActiveRun> g_run;

// A job's message waits its turn: one box at a time, never a box inside a box
// (a box's own message loop lets the next ends of pictures through).
std::deque<std::pair<std::string, std::string>> g_boxes;
bool g_showingBox = false;

void ShowWaitingBoxes()
{
    if (g_showingBox) return;
    g_showingBox = true;
    while (!g_boxes.empty()) {
        const auto [text, caption] = g_boxes.front();
        g_boxes.pop_front();
        ShowResult(text, caption);
    }
    g_showingBox = false;
}

// Fails when another program holds Esc; the run then cannot be stopped, and goes on.
bool RegisterRunHotKey(HWND window)
{
    return RegisterHotKey(window, kRunHotKeyId, 0, VK_ESCAPE) != 0;
}

// The run is over: Esc goes back to the other programs, the threads end, and
// a run that made no picture leaves the folder icon on the last run folder
// that exists.
BatchEnd FinishRun()
{
    std::unique_ptr<ActiveRun> run = std::move(g_run);
    const int made = WindowState.iProgress;
    const BatchEnd end = run->coordinator->End();
    run->threads.reset();
    run->times->Note("threads ended");
    if (run->virtualFiles) run->virtualFiles->End(DROPEFFECT_COPY);
    if (run->holdsEsc) UnregisterHotKey(run->window, kRunHotKeyId);
    run->objects.End(made);
    if (!IsFolder(JoinPath(Settings.Varbo_Photo, Folders.OutSubfolder))) {
        Folders.iOutSubfolderNo = run->lastRunNo;
        Folders.OutSubfolder = run->lastRunFolder;
    }
    return end;
}

} // namespace

UINT DroppedCount(HDROP drop)
{
    return DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
}

// The wide form: a 512-byte buffer of the 8-bit form would cut long Cyrillic paths.
std::optional<std::string> DroppedName(HDROP drop, UINT index)
{
    const UINT length = DragQueryFileW(drop, index, nullptr, 0);
    if (length == 0) return std::nullopt;
    std::wstring name(length + 1, L'\0');
    if (DragQueryFileW(drop, index, name.data(), length + 1) != length) return std::nullopt;
    name.resize(length);
    return Narrow(name);
}

DroppedItems ItemsOfDrop(HDROP drop)
{
    DroppedItems items;
    items.count = DroppedCount(drop);
    const UINT read = std::min<UINT>(items.count, kMaxRunInputs);
    items.paths.reserve(read);
    for (UINT i = 0; i < read; ++i) items.paths.push_back(DroppedName(drop, i));
    return items;
}

std::vector<std::string> ScanDropFolder(const std::string& folder)
{
    std::vector<ListedEntry> entries;
    WIN32_FIND_DATAW found;
    const FindHandle search(FindFirstFileW(WidePath(JoinPath(WithoutTrailingLineFeed(folder), "*.*")).c_str(), &found));
    if (search) {
        do {
            ListedEntry entry;
            entry.name = Narrow(found.cFileName);
            entry.folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            entry.size = (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
            entries.push_back(std::move(entry));
        } while (FindNextFileW(search.get(), &found));
    }
    std::vector<std::string> paths = FolderPicturePaths(WithoutTrailingLineFeed(folder), std::move(entries));
    const std::string text = FolderListText(paths);
    // A list that cannot be written (a read-only data folder) does not stop the run.
    WriteFileReplacing(Folders.ListFile, text.data(), text.size());
    return paths;
}

std::optional<BatchEnd> StartBatchRun(HWND window, DroppedItems items, std::function<void()> progress)
{
    WindowStateRecord& state = WindowState;
    auto run = std::make_unique<ActiveRun>();
    run->window = window;
    run->progress = std::move(progress);
    state.iRunToFolder = 1;
    state.iFromList = 0;

    // One folder: its pictures, listed and sorted; DropFolderList.txt is its
    // record on disk. Files without paths: the pictures among them, by the
    // names their copies will have. Otherwise the dropped names.
    const std::optional<std::string> only = items.count == 1 && !items.paths.empty() ? items.paths[0] : std::nullopt;
    if (items.virtualFiles) {
        run->virtualFiles = items.virtualFiles;
        for (const VirtualInput& input : items.virtualFiles->inputs()) run->inputs.push_back(input.fileName);
    } else if (only && IsFolder(*only)) {
        run->inputs = ScanDropFolder(*only);
        state.iFromList = 1;
    } else {
        run->inputs.reserve(items.paths.size());
        for (const std::optional<std::string>& path : items.paths) run->inputs.push_back(path.value_or(std::string()));
    }
    state.iDropCount = static_cast<int>(run->inputs.size());
    run->times->Note("listed");

    run->lastRunNo = Folders.iOutSubfolderNo;
    run->lastRunFolder = Folders.OutSubfolder;
    std::string runFolder;
    Folders.iOutSubfolderNo = ScanRunFolders(Settings.Varbo_Photo, runFolder);
    Folders.OutSubfolder = runFolder;
    const PictureJob job = BatchPictureJob(Settings, Folders);

    const int workers = Seams().workers > 0 ? Seams().workers : WorkerCount(std::thread::hardware_concurrency());
    ActiveRun* self = run.get();
    run->threads = std::make_unique<RunThreads>(
        window, job, workers, *run->times,
        run->virtualFiles ? std::make_unique<VirtualCopies>(run->virtualFiles, Folders.DataFolder) : nullptr);
    BatchCoordinator::Hooks hooks;
    hooks.inputName = [self](int index) -> std::optional<std::string> {
        if (index >= static_cast<int>(self->inputs.size()) || self->inputs[index].empty()) return std::nullopt;
        return self->inputs[index];
    };
    hooks.make = [self](int index, const std::string& path, bool last) { self->threads->Make(index, path, last); };
    hooks.save = [self](int index) { self->threads->Save(index); };
    hooks.discard = [self](int index) { self->threads->Discard(index); };
    hooks.show = [](const std::string& text, const std::string& caption) { g_boxes.emplace_back(text, caption); };
    hooks.inputWeight = [self](int index) -> uint64_t {
        if (index >= static_cast<int>(self->inputs.size())) return 0;
        if (self->virtualFiles) return self->virtualFiles->inputs()[static_cast<size_t>(index)].size.value_or(0);
        return FileBytes(self->inputs[index]);
    };
    hooks.sourcesWithoutPaths = self->virtualFiles != nullptr;
    run->coordinator = std::make_unique<BatchCoordinator>(state, Settings, workers, std::move(hooks));
    // Esc is ours only while the run goes; the rest of the time other programs get it.
    run->holdsEsc = state.iDropCount > 0 && RegisterRunHotKey(window);

    g_run = std::move(run);
    g_run->coordinator->Start();
    g_run->progress();
    if (g_run->coordinator->Finished()) return FinishRun();
    return std::nullopt;
}

bool BatchRunning()
{
    return g_run != nullptr;
}

std::optional<BatchEnd> HandleBatchMessage(UINT message, WPARAM wParam)
{
    if (!g_run) return std::nullopt;
    const int index = static_cast<int>(wParam);
    if (message == kMsgPictureMade) {
        const auto [made, failure] = g_run->threads->Made(index);
        g_run->coordinator->OnMade(index, made, failure);
    } else if (message == kMsgPictureSaved) {
        const auto [result, kind] = g_run->threads->Saved(index);
        g_run->coordinator->OnSaved(index, result, kind);
        g_run->progress();
        g_run->times->Note("painted", index);
        g_run->objects.Sample();
    }
    std::optional<BatchEnd> end;
    if (g_run->coordinator->Finished()) end = FinishRun();
    ShowWaitingBoxes();
    return end;
}

std::optional<BatchEnd> HandleRunHotKey(int hotKeyId)
{
    if (hotKeyId != kRunHotKeyId || !g_run || !TakeRunEsc(WindowState)) return std::nullopt;
    g_run->coordinator->OnEsc();
    g_run->progress();
    if (g_run->coordinator->Finished()) return FinishRun();
    return std::nullopt;
}

std::optional<BatchEnd> CloseDuringRun()
{
    if (!g_run) return std::nullopt;
    g_run->coordinator->OnClose();
    if (g_run->coordinator->Finished()) return FinishRun();
    return std::nullopt;
}

void AbandonBatchRun()
{
    if (!g_run) return;
    std::unique_ptr<ActiveRun> run = std::move(g_run);
    run->threads.reset();  // waits for the pictures in work
    if (run->virtualFiles) run->virtualFiles->End(DROPEFFECT_COPY);
    if (run->holdsEsc) UnregisterHotKey(run->window, kRunHotKeyId);
    WindowState.iRunning = 0;
}

void SetBatchSeams(BatchSeams seams)
{
    Seams() = std::move(seams);
}
