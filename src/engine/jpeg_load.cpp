#include "engine/jpeg_load.h"

#include "imaging/colour.h"
#include "imaging/icc_profile.h"
#include "imaging/jpeg_io.h"
#include "imaging/resample.h"

bool IsJpegData(const std::string& bytes)
{
    return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xD8 &&
           static_cast<unsigned char>(bytes[2]) == 0xFF;
}

bool ScaleTo(Image& picture, Size2 target, double kernelWidth)
{
    if (picture.width == target.width && picture.height == target.height) return true;
    Image scaled;
    if (!Resize(picture, target.width, target.height, scaled, kernelWidth)) return false;
    picture = std::move(scaled);
    return true;
}

// Let the decoder do the bulk of a reduction in the DCT domain; an enlargement
// decodes at full size and is left to the resampler.
Size2 JpegDecodeMinimum(int storedWidth, int storedHeight, bool turned, Size2 target)
{
    const int minWidth = static_cast<int>((turned ? target.height : target.width) * kJpegDecodeMargin);
    const int minHeight = static_cast<int>((turned ? target.width : target.height) * kJpegDecodeMargin);
    if (minWidth >= storedWidth || minHeight >= storedHeight) return {storedWidth, storedHeight};
    return {minWidth, minHeight};
}

bool LoadJpeg(const std::string& bytes, int size, bool keepSize, Image& out, int decodeThreads, OrientStep orient)
{
    out.Clear();
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    JpegHeader header;
    if (!ReadJpegHeader(data, bytes.size(), header)) return false;
    const bool turned = header.orientation >= 5;  // the picture stands on its side in the file
    const int uprightWidth = turned ? header.height : header.width;
    const int uprightHeight = turned ? header.width : header.height;
    const Size2 target = OutputSize(uprightWidth, uprightHeight, size, keepSize);

    const Size2 minimum = JpegDecodeMinimum(header.width, header.height, turned, target);
    if (!DecodeJpeg(data, bytes.size(), minimum.width, minimum.height, out, decodeThreads)) return false;
    const bool dctReduced = out.width < header.width;
    if (!orient(out, header.orientation)) {
        out.Clear();
        return false;
    }
    // Colours are managed on the reduced picture, which is a fraction of the full one.
    ConvertToSrgb(out, ExtractIccProfile(data, bytes.size()));
    if (!ScaleTo(out, target, dctReduced ? kDctReducedKernelWidth : 1.0)) {
        out.Clear();
        return false;
    }
    return true;
}
