#pragma once
// Resizing pictures to an exact size.
#include "imaging/image.h"

// Lanczos-3 resize to exactly w x h, reducing or enlarging, each axis on its own. A reduction
// stretches the kernel by kernelWidth times the reduction factor (never below plain
// interpolation): 1 filters exactly what the smaller picture cannot hold, less is sharper.
// On failure (empty source, w or h out of range, kernelWidth not above 0, no memory) out is
// left empty. out may be src itself.
bool Resize(const Image& src, int w, int h, Image& out, double kernelWidth = 1.0);
