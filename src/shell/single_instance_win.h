#pragma once
// One copy of the program at a time, without losing pictures: a start with a
// picture that finds another copy running hands the picture to that copy's
// window, or waits for its turn when the running copy has no window.
#include <windows.h>

#include <functional>
#include <string>

#include "common/owners_win.h"

// How one copy of the program finds the other: the mutex it holds and its main window.
struct InstanceNames {
    const char* mutex;
    const char* windowClass;
    const char* windowTitle;
};

// Holds the single-instance mutex; ownership ends with the object (or the process).
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    bool Open(const char* name);        // false when no mutex of that name can be made
    bool WaitTurn(unsigned milliseconds);  // true once this thread owns the mutex
    bool owned() const { return owned_; }

private:
    FileHandle mutex_;
    bool owned_ = false;
};

// True when this copy is the one that runs (it then holds `lock`); also true
// when no mutex can be made at all, since then nothing can be coordinated.
bool AcquireInstance(const InstanceNames& names, InstanceLock& lock);

struct HandOffTiming {
    unsigned sendTimeoutMs = 30000;     // one wait for the window's answer
    unsigned retryMs = 250;             // between two tries, waiting on the mutex meanwhile
    unsigned giveUpMs = 60 * 60 * 1000; // after this, the picture is processed here all the same
};

// taken: the running copy's window processed the picture and jobResult is its
// job's result. Otherwise this copy must process the picture itself: its turn
// has come (`lock` is owned) or the wait was given up.
struct HandOffResult {
    bool taken = false;
    int jobResult = 0;
};
HandOffResult HandOffToRunningCopy(const std::string& picture, const InstanceNames& names, InstanceLock& lock,
                                   const HandOffTiming& timing = {});

// What the main window gives the hand-off: whether it can take a picture now,
// and how it processes one (answers the job's result, 1 or 0).
struct HandOffTarget {
    bool busy = false;
    std::function<int(const std::string& picture)> process;
};
// The window procedure's answer to WM_COPYDATA.
LRESULT HandleCopyData(const COPYDATASTRUCT* data, const HandOffTarget& target);
