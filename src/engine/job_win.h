#pragma once
#include "engine/picture_job.h"

// One picture in, one JPEG out. The job's output folder must exist: when it
// is gone it is made again and this picture is skipped with a message, so the
// next one goes through.
PictureResult RunPictureJob(const PictureJob& job);
