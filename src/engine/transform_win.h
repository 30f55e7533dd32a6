#pragma once
#include <string>

#include "engine/output_names.h"
#include "engine/picture_job.h"
#include "imaging/image.h"

// Loads a picture file at the size the job needs: the longer side `size`, or
// its own size when keepSize is set; upright by its EXIF orientation; in sRGB
// (through its colour profile, if it has one). False for anything that is not
// a readable picture.
bool LoadPicture(const std::string& path, int size, bool keepSize, Image& out);
// The output file name in the job's run folder: the source's own name with
// kept names, else the first free number of the job's mode; a refusal with
// its stop when every number is taken.
NameChoice ChooseOutputName(const PictureJob& job, int size);
// One picture: name, load, scale, text, JPEG, written whole into the run
// folder (or to the test picture's path).
PictureResult TransformPicture(const PictureJob& job);
