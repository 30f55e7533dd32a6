#pragma once
// Resizing pictures to an exact size.
#include "imaging/image.h"

// Lanczos-3 resize to exactly w x h, reducing or enlarging, each axis on its own. On failure
// (empty source, w or h out of range, no memory) out is left empty. out may be src itself.
bool Resize(const Image& src, int w, int h, Image& out);
