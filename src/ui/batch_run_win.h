#pragma once
// The batch run's Windows half: dropped names, the folder search, the wait
// pause and the Esc hot key. HandleDroppedFiles and HandleRunHotKey, which the
// window procedure calls, are declared in ui/window_actions.h.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "ui/batch_run.h"

constexpr UINT_PTR kTimerWaitPause = 621;  // the wait dialog's own 1.5-second timer

// The pictures of a dropped folder in name order (at most 9000), also written to DropFolderList.txt.
std::vector<std::string> ScanDropFolder(const std::string& folder);
// The procedure of the wait pause (dialog WAIT).
INT_PTR CALLBACK WaitDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Tests run the loop with a picture job of their own; an empty one puts the engine back.
using PictureJob = std::function<PictureOutcome(const std::string& path)>;
void SetBatchPictureJob(PictureJob job);
