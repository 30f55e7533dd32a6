#pragma once
// How much memory one picture job needs at its peak, told from the picture's
// header before it is decoded, so a batch run can keep the pictures in work
// within a budget.
#include <cstddef>
#include <cstdint>

struct PictureHeaderFacts {
    bool known = false;         // false: the header could not be read
    bool jpeg = false;
    bool progressive = false;
    int64_t width = 0, height = 0;  // as stored
    bool heif = false;          // HEVC or AV1: decoded at full size, whatever the target
};

// Bytes at the job's peak: the file in memory, the decoded picture (for a
// JPEG at its DCT-reduced size), the turned copy and the resampler's
// intermediate and result; a progressive JPEG also holds its coefficients
// whole; a HEIF picture holds its planes at full size several times over;
// other formats go through a 32-bit GDI+ bitmap at full size first.
// A picture whose header says nothing counts as ten times its file, and 64 MB.
uint64_t EstimateJobPeakBytes(const PictureHeaderFacts& facts, uint64_t fileBytes, int targetSize);

// What the first bytes of a picture file tell: its kind and claimed size.
PictureHeaderFacts FactsFromHead(const uint8_t* head, size_t size);

// How much the pictures in work may take together: half the memory that is
// free, at least 256 MB and at most 2 GB. One picture alone is always allowed.
uint64_t BatchMemoryBudget(uint64_t availablePhysical);
