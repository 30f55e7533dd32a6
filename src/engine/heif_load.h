#pragma once
// A HEIC/HEIF or AVIF source made ready for the job: upright as the phone showed it, in sRGB.
#include <string>

#include "imaging/exif.h"
#include "imaging/image.h"

// The primary image of the HEIF file in `bytes` with its longer side `size` (or its own size
// with keepSize). `decodeThreads` > 1 (a picture made on its own) decodes a grid's tiles on
// every core. `exif`, when given, gets the fields of the file's Exif item (its orientation only
// repeats the turns the file makes, which are applied already). False, and `out` empty, when
// the bytes are no HEIF picture we can read.
bool LoadHeif(const std::string& bytes, int size, bool keepSize, Image& out, int decodeThreads = 1, ExifFields* exif = nullptr);
