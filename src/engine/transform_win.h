#pragma once
#include <string>
#include <vector>

#include "engine/output_names.h"
#include "engine/picture_job.h"
#include "imaging/exif.h"
#include "imaging/image.h"

// Loads a picture file at the size the job needs: the longer side `size`, or
// its own size when keepSize is set; upright by its EXIF orientation; in sRGB
// (through its colour profile, if it has one); `exif` gets the fields of its
// EXIF that outputs keep. False for anything that is not a readable picture.
// `decodeThreads` as in PictureJob.
bool LoadPicture(const std::string& path, int size, bool keepSize, Image& out, ExifFields& exif, int decodeThreads = 1);
// The output file name in the job's run folder: the source's own name with
// kept names, else the first free number from `first` on; a refusal with its
// stop when every number is taken.
NameChoice ChooseOutputName(const PictureJob& job, int size, int first = 1);

// A picture made in memory: the JPEG, or why there is none.
struct MadePicture {
    std::vector<uint8_t> jpeg;
    PictureResult failure;  // when jpeg is empty
};
// Load, scale, text, JPEG: everything but the name and the file. Any thread.
MadePicture MakePicture(const PictureJob& job);
// Names the picture in the run folder and writes it whole (or writes the test
// picture). Pictures saved one after another in drop order get the names one
// after another.
PictureResult SavePicture(const PictureJob& job, const std::vector<uint8_t>& jpeg);
// One picture from start to end: a full run folder stops it before the
// source is read; then MakePicture and SavePicture.
PictureResult TransformPicture(const PictureJob& job);
