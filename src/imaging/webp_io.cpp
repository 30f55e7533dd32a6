#include "imaging/webp_io.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <utility>
#include <vector>

#include <webp/decode.h>
#include <webp/demux.h>

namespace {

bool SizeAcceptable(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && int64_t{width} * height <= kMaxPixels;
}

// Premultiplied BGRA over white: each colour plus the white that shows through, 255 - alpha.
void ComposeOnWhite(const uint8_t* bgra, int width, uint8_t* bgr)
{
    for (int x = 0; x < width; ++x, bgra += 4, bgr += 3) {
        const int clear = 255 - bgra[3];
        bgr[0] = static_cast<uint8_t>(bgra[0] + clear);
        bgr[1] = static_cast<uint8_t>(bgra[1] + clear);
        bgr[2] = static_cast<uint8_t>(bgra[2] + clear);
    }
}

// The canvas after the first frame: the decoder blends it onto a transparent canvas at its
// offset (the file's background colour is only a hint, which viewers ignore too).
bool DecodeFirstFrame(const uint8_t* data, size_t size, Image& out)
{
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) return false;
    options.color_mode = MODE_bgrA;
    options.use_threads = 0;
    const WebPData webp{data, size};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&webp, &options);
    if (!decoder) return false;
    WebPAnimInfo info;
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    bool ok = WebPAnimDecoderGetInfo(decoder, &info) && SizeAcceptable(static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height)) &&
              WebPAnimDecoderGetNext(decoder, &canvas, &timestamp) && canvas &&
              out.Allocate(static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height));
    if (ok)
        for (int y = 0; y < out.height; ++y) ComposeOnWhite(canvas + size_t{info.canvas_width} * 4 * y, out.width, out.Row(y));
    WebPAnimDecoderDelete(decoder);
    return ok;
}

} // namespace

bool ReadWebpHeader(const uint8_t* data, size_t size, WebpHeader& out)
{
    out = WebpHeader();
    WebPBitstreamFeatures features;
    if (!data || size == 0 || WebPGetFeatures(data, size, &features) != VP8_STATUS_OK) return false;
    out.width = features.width;
    out.height = features.height;
    out.animated = features.has_animation != 0;
    return true;
}

// libwebp decodes the whole frame in any case, but with scaling it shrinks the rows (in YUV,
// for a lossy picture) before turning them into BGR, so a big picture never exists in memory
// at full size as pixels of ours.
bool DecodeWebp(const uint8_t* data, size_t size, int minWidth, int minHeight, Image& out)
{
    out.Clear();
    WebPDecoderConfig config;
    if (!data || size == 0 || !WebPInitDecoderConfig(&config) || WebPGetFeatures(data, size, &config.input) != VP8_STATUS_OK)
        return false;
    const WebPBitstreamFeatures& features = config.input;
    if (!SizeAcceptable(features.width, features.height)) return false;
    if (features.has_animation) return DecodeFirstFrame(data, size, out);

    int width = features.width, height = features.height;
    if (minWidth < width && minHeight < height && (minWidth > 0 || minHeight > 0)) {
        const double scale = std::max(double(minWidth) / width, double(minHeight) / height);
        width = std::max(1, std::min(width, static_cast<int>(std::ceil(width * scale))));
        height = std::max(1, std::min(height, static_cast<int>(std::ceil(height * scale))));
        config.options.use_scaling = 1;
        config.options.scaled_width = width;
        config.options.scaled_height = height;
    }
    Image image;
    if (!image.Allocate(width, height)) return false;
    std::vector<uint8_t> bgra;
    WebPDecBuffer& buffer = config.output;
    buffer.is_external_memory = 1;
    if (features.has_alpha) {
        try {
            bgra.resize(size_t{4} * width * height);
        } catch (const std::bad_alloc&) {
            return false;
        }
        buffer.colorspace = MODE_bgrA;
        buffer.u.RGBA.rgba = bgra.data();
        buffer.u.RGBA.stride = 4 * width;
        buffer.u.RGBA.size = bgra.size();
    } else {
        buffer.colorspace = MODE_BGR;
        buffer.u.RGBA.rgba = image.pixels.data();
        buffer.u.RGBA.stride = image.stride;
        buffer.u.RGBA.size = image.pixels.size();
    }
    const bool ok = WebPDecode(data, size, &config) == VP8_STATUS_OK;
    WebPFreeDecBuffer(&buffer);
    if (!ok) return false;
    if (features.has_alpha)
        for (int y = 0; y < height; ++y) ComposeOnWhite(bgra.data() + size_t{4} * width * y, width, image.Row(y));
    out = std::move(image);
    return true;
}
