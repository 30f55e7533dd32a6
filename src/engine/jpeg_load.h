#pragma once
// A JPEG source made ready for the job: decoded at the size it needs, upright, in sRGB.
#include <string>

#include "engine/output_names.h"
#include "imaging/exif.h"
#include "imaging/image.h"

// WebPs are scaled by libwebp to no less than twice the target size, so the
// final Lanczos-3 resample has room to filter.
constexpr double kDecodeMargin = 2.0;
// JPEGs are reduced in the DCT domain to no less than 1.25 times the target, and
// the final Lanczos-3 of such a picture is a little sharper (its kernel 0.9 of
// the reduction left) to make up for the block averaging of the DCT scaling.
// Measured on the two bench sets (mean SSIM against a Lanczos reduction of the
// full source, vipsthumbnail 0.9473 and 0.9459): a margin of 2 gave 0.9479 and
// 0.9450, 1.5 gave 0.9473 and 0.9447, 1.25 gave 0.9466 and 0.9438, with the
// sharper kernel 0.9469 and 0.9444, and 1 only 0.9432 and 0.9409. From 2 to 1.25
// the decode and resample take a quarter fewer instructions: a 2560 x 1600
// photo decodes at 4/8, whose IDCT is libjpeg-turbo's SIMD one, not at 6/8.
constexpr double kJpegDecodeMargin = 1.25;
constexpr double kDctReducedKernelWidth = 0.9;

// The smallest size, in the stored orientation, that a JPEG of that stored size
// is decoded to for an upright target: the margin over the target, or the whole
// picture when that is not smaller.
Size2 JpegDecodeMinimum(int storedWidth, int storedHeight, bool turned, Size2 target);

// Whether the bytes begin like a JPEG file.
bool IsJpegData(const std::string& bytes);
// Resamples the picture to the target size (nothing to do when it has it), the
// kernel as in Resize. False when memory runs out.
bool ScaleTo(Image& picture, Size2 target, double kernelWidth = 1.0);

// The step that stands a decoded picture upright; tests put in one that fails.
using OrientStep = bool (*)(Image& picture, int orientation);
// The JPEG in `bytes` with its longer side `size` (or its own size with
// keepSize), upright by its EXIF orientation. False, and `out` empty, when the
// bytes are no JPEG we can read or memory runs out on the way: a picture that
// could not be turned is never saved lying on its side. `decodeThreads` as in DecodeJpeg.
bool LoadJpeg(const std::string& bytes, int size, bool keepSize, Image& out, int decodeThreads = 1,
              OrientStep orient = ApplyOrientation);
