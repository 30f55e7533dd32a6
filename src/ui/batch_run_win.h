#pragma once
// The batch run's Windows half: dropped names, the folder search, the wait
// pause and the Esc hot key.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/picture_job.h"
#include "ui/batch_run.h"

constexpr int kRunHotKeyId = 811;          // Esc, while a batch run goes
constexpr UINT_PTR kTimerWaitPause = 621;  // the wait dialog's own 1.5-second timer

// How many names a drop holds, and one of them (empty when the shell cannot give it).
UINT DroppedCount(HDROP drop);
std::optional<std::string> DroppedName(HDROP drop, UINT index);

// The pictures of a dropped folder in name order (at most 9000), also written to DropFolderList.txt.
std::vector<std::string> ScanDropFolder(const std::string& folder);

// A batch run over what was dropped: a folder's pictures or the dropped
// files. `repaint` shows the progress at once. Esc is this run's hot key for
// its length. Answers what the window must do at its end.
BatchEnd RunDroppedFiles(HWND window, HDROP drop, const std::function<void()>& repaint);
// WM_HOTKEY: the run's Esc.
void HandleRunHotKey(int hotKeyId);

// The procedure of the wait pause (dialog WAIT).
INT_PTR CALLBACK WaitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Tests run the loop with a picture job of their own; an empty one puts the engine back.
using PictureRunner = std::function<PictureResult(const PictureJob& job)>;
void SetBatchPictureJob(PictureRunner runner);
