#pragma once
// The pictures the window makes one at a time (one handed over by a second
// copy, the test picture) run on a thread of their own. The window thread
// waits for the result, as its callers need it, but meanwhile keeps painting
// and running its timers: it never runs a picture job itself.
#include <functional>

#include "engine/picture_job.h"

using JobRunner = std::function<PictureResult(const PictureJob&)>;

// The job's result. Input (clicks, keys, drops, the close button) waits in the
// queue until it is in, so nothing acts on a picture half made. A runner other
// than the engine's is for tests.
PictureResult RunJobBesideWindow(const PictureJob& job, const JobRunner& run = {});

// Whether such a job is under way: a picture handed over meanwhile is asked to
// come back later.
bool JobBesideWindowRunning();
