#pragma once
#include <string>

#include "imaging/image.h"

// Loads a picture file at the size the job needs: the longer side `size`, or
// its own size when keepSize is set; upright by its EXIF orientation. False
// for anything that is not a readable picture.
bool LoadPicture(const std::string& path, int size, bool keepSize, Image& out);
// One picture: name, load, scale, text, JPEG at `quality`, written whole into
// the run folder (or as Test2.jpg). Answers 1 when the file is on disk.
int TransformPicture(const std::string& path, int size, int quality, int testRun);
