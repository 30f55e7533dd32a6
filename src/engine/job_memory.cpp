#include "engine/job_memory.h"

#include <algorithm>

#include "engine/jpeg_load.h"
#include "engine/output_names.h"
#include "imaging/jpeg_io.h"
#include "imaging/picture_probe.h"

namespace {
constexpr uint64_t kMB = 1024 * 1024;
}

uint64_t EstimateJobPeakBytes(const PictureHeaderFacts& f, uint64_t fileBytes, int targetSize)
{
    if (!f.known || f.width <= 0 || f.height <= 0) return fileBytes * 10 + 64 * kMB;
    const uint64_t w = static_cast<uint64_t>(f.width), h = static_cast<uint64_t>(f.height);
    const Size2 target = OutputSize(static_cast<int>(std::min<uint64_t>(w, 65535)), static_cast<int>(std::min<uint64_t>(h, 65535)),
                                    targetSize > 0 ? targetSize : 901, false);
    const uint64_t result = uint64_t(target.width) * target.height * 3;
    uint64_t decoded, extra = 0;
    if (f.jpeg) {
        // The decoder keeps the engine's margin over the target; either side
        // may be the longer after turning, so the larger minimum is used.
        const int minSide = static_cast<int>(kJpegDecodeMargin * std::max(target.width, target.height));
        const int m = ChooseDctScale(static_cast<int>(w), static_cast<int>(h), minSide, minSide);
        decoded = ((w * m + 7) / 8) * ((h * m + 7) / 8) * 3;
        if (f.progressive) extra = w * h * 3;  // 16-bit coefficients of Y and two quarter-size chroma planes
    } else if (f.heif) {
        // The codec's own picture, libheif's copy of it and, for a turned or cropped picture,
        // the turned copy: planes of up to 3 bytes a pixel each (8-bit 4:4:4, or 10-bit 4:2:0).
        // Reduced by a whole factor on the way to BGR, the result is at most twice the target.
        const uint64_t minSide = 2 * std::max(target.width, target.height);
        const uint64_t factor = std::max<uint64_t>(1, std::max(w, h) / std::max<uint64_t>(1, minSide));
        decoded = ((w + factor - 1) / factor) * ((h + factor - 1) / factor) * 3;
        extra = w * h * 9;
    } else {
        decoded = w * h * 3;
        extra = w * h * 4;  // GDI+'s own bitmap
    }
    // Decoded picture, its turned copy, the resampler's intermediate (at most
    // the decoded size) and the result.
    return fileBytes + extra + 3 * decoded + result;
}

PictureHeaderFacts FactsFromHead(const uint8_t* head, size_t size)
{
    PictureHeaderFacts facts;
    const PictureProbe probe = ProbePicture(head, size);
    if (probe.format == PictureFormat::Jpeg) {
        JpegHeader header;
        if (!ReadJpegHeader(head, size, header)) return facts;
        facts.jpeg = true;
        facts.progressive = header.progressive;
        facts.width = header.width;
        facts.height = header.height;
    } else {
        facts.heif = probe.format == PictureFormat::Heif;
        facts.width = probe.width;
        facts.height = probe.height;
    }
    facts.known = facts.width > 0 && facts.height > 0;
    return facts;
}

uint64_t BatchMemoryBudget(uint64_t availablePhysical)
{
    return std::clamp<uint64_t>(availablePhysical / 2, 256 * kMB, 2048 * kMB);
}
