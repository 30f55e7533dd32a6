#pragma once
// The batch run's Windows half: dropped names, the folder search, the worker
// threads and the writer, and the Esc hot key. The window thread only starts
// pictures, takes their ends as messages and repaints.
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/picture_job.h"
#include "engine/transform_win.h"
#include "ui/batch_run.h"

constexpr int kRunHotKeyId = 811;                  // Esc, while a batch run goes
constexpr UINT kMsgPictureMade = WM_APP + 1;       // wParam: the input's index
constexpr UINT kMsgPictureSaved = WM_APP + 2;      // wParam: the input's index

class VirtualDrop;

// What a drop brought: dropped files (or one folder) by their paths, or files
// without paths.
struct DroppedItems {
    POINT at{};                                       // the drop point, client pixels
    UINT count = 0;                                   // the items dropped
    std::vector<std::optional<std::string>> paths;    // the first 9000 of them (none where the shell gives no name)
    std::shared_ptr<VirtualDrop> virtualFiles;
};

// How many names a drop holds, and one of them (empty when the shell cannot give it).
UINT DroppedCount(HDROP drop);
std::optional<std::string> DroppedName(HDROP drop, UINT index);
// The count and the names of a drop handle, read while the drop is ours (not its point).
DroppedItems ItemsOfDrop(HDROP drop);

// The pictures of a dropped folder in name order (at most 9000), also written to DropFolderList.txt.
std::vector<std::string> ScanDropFolder(const std::string& folder);

// Starts a batch run over what was dropped: a folder's pictures, the dropped
// files or the pictures among files without paths. `progress` asks for a
// repaint as pictures are counted. Esc is the run's hot key for its length.
// Answers the end at once when there was nothing to start; otherwise the end
// comes from HandleBatchMessage.
std::optional<BatchEnd> StartBatchRun(HWND window, DroppedItems items, std::function<void()> progress);
bool BatchRunning();
// kMsgPictureMade and kMsgPictureSaved: answers the end once the run is over.
std::optional<BatchEnd> HandleBatchMessage(UINT message, WPARAM wParam);
// WM_HOTKEY: the run's Esc. Answers the end when that ended the run.
std::optional<BatchEnd> HandleRunHotKey(int hotKeyId);
// The close button during a run: no new pictures; the window goes at the end,
// which is answered here when nothing is in work any more.
std::optional<BatchEnd> CloseDuringRun();
// The window is going regardless: waits for the pictures in work and drops them.
void AbandonBatchRun();

// Seams for tests: how a worker makes a picture and how the writer saves it;
// empty ones put the engine back.
struct BatchSeams {
    std::function<MadePicture(const PictureJob& job, int index)> make;
    std::function<PictureResult(const PictureJob& job, const std::vector<uint8_t>& jpeg)> save;
    int workers = 0;  // 0: one per logical processor
};
void SetBatchSeams(BatchSeams seams);
