#pragma once
#include <string>

#include "imaging/image.h"

// Loads a picture file at the size the job needs: the longer side `size`, or
// its own size when keepSize is set; upright by its EXIF orientation. False
// for anything that is not a readable picture.
bool LoadPicture(const std::string& path, int size, bool keepSize, Image& out);
// The output file name in the current run folder: the source's own name with
// kept names, else the first free number; empty (after the full-folder message,
// with iJobStop set) when the run folder is full.
std::string ChooseOutputName(const std::string& sourcePath, int size);
void RecordLastOutFile(const std::string& path);
// One picture: name, load, scale, text, JPEG at `quality`, written whole into
// the run folder (or as Test2.jpg). Answers 1 when the file is on disk.
int TransformPicture(const std::string& path, int size, int quality, int testRun);
