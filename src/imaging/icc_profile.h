#pragma once
// The ICC colour profile embedded in a picture file, read from the file's bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

// The largest profile we take. Real ones are a few kilobytes (matrix/curve profiles of cameras
// and phones) up to a few megabytes (printer tables); JPEG's own limit is 255 chunks of 65519 bytes.
constexpr size_t kMaxIccProfileBytes = 16u << 20;

// The profile of a JPEG (APP2 "ICC_PROFILE" chunks, joined in sequence order), PNG (iCCP), TIFF
// (tag 34675) or WebP (ICCP chunk) file. Empty when there is none, or when what there is cannot
// be a profile: chunks missing, repeated or disagreeing on their count, a length past the data,
// compressed data that does not inflate, no ICC header.
std::vector<uint8_t> ExtractIccProfile(const uint8_t* data, size_t size);
