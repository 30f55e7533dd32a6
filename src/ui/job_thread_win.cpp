#include "ui/job_thread_win.h"

#include <windows.h>

#include <thread>

#include "common/owners_win.h"
#include "engine/job_win.h"
#include "imaging/block_pool.h"

namespace {

bool g_running = false;

}  // namespace

bool JobBesideWindowRunning()
{
    return g_running;
}

PictureResult RunJobBesideWindow(const PictureJob& job, const JobRunner& run)
{
    const JobRunner& runner = run ? run : JobRunner(RunPictureJob);
    FileHandle done(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done) return runner(job);  // no event to wait on: made here, as a last resort

    PictureResult result;
    g_running = true;
    std::thread worker([&] {
        try {
            result = runner(job);
        } catch (...) {
            result = PictureResult{};  // a failed picture, never an exception across threads
        }
        SetEvent(done.get());
    });
    // Messages sent by other threads and processes (a picture handed over) are
    // delivered by PeekMessage whatever its filter; of the posted ones only
    // paints and timers are taken.
    HANDLE events[] = {done.get()};
    while (MsgWaitForMultipleObjectsEx(1, events, INFINITE, QS_PAINT | QS_TIMER | QS_SENDMESSAGE, MWMO_INPUTAVAILABLE) !=
           WAIT_OBJECT_0) {
        MSG message;
        if (PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageW(&message);  // one per turn: a window that never validates cannot hold us
        while (PeekMessageW(&message, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) DispatchMessageW(&message);
    }
    worker.join();
    ReleaseKeptBlocks();
    g_running = false;
    return result;
}
