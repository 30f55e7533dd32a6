#include "imaging/heif_io.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

#include <libheif/heif.h>

#include "imaging/heif_meta.h"
#include "imaging/icc_profile.h"
#include "imaging/nclx.h"
#include "imaging/picture_probe.h"
#include "imaging/planar.h"

// libheif is C++ behind a C interface; an exception that escapes it (memory running out
// inside a decoder) is caught here and makes the picture fail.

namespace {

// An Exif item larger than this is no camera's: it is left out, the picture still made.
constexpr size_t kMaxExifBytes = 4u << 20;

struct ContextDeleter {
    void operator()(heif_context* p) const { heif_context_free(p); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* p) const { heif_image_handle_release(p); }
};
struct ImageDeleter {
    void operator()(heif_image* p) const { heif_image_release(p); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* p) const { heif_decoding_options_free(p); }
};
struct NclxDeleter {
    void operator()(heif_color_profile_nclx* p) const { heif_nclx_color_profile_free(p); }
};
using Context = std::unique_ptr<heif_context, ContextDeleter>;
using Handle = std::unique_ptr<heif_image_handle, HandleDeleter>;
using HeifImage = std::unique_ptr<heif_image, ImageDeleter>;
using Options = std::unique_ptr<heif_decoding_options, OptionsDeleter>;
using Nclx = std::unique_ptr<heif_color_profile_nclx, NclxDeleter>;

// What libheif may allocate and read, as much as the probe lets through: the picture's pixels
// (kMaxPixels; each side is checked by us), one plane of 16-bit samples of such a picture, the
// items of a file with the most tiles we take, and a colour profile as large as we read one.
void LimitContext(heif_context* context)
{
    heif_security_limits* limits = heif_context_get_security_limits(context);
    limits->max_image_size_pixels = kMaxPixels;
    limits->max_number_of_tiles = kMaxHeifTiles;
    limits->max_memory_block_size = 2 * kMaxPixels + (1u << 20);
    limits->max_items = kMaxHeifItems;
    limits->max_children_per_box = kMaxHeifItems;
    limits->max_color_profile_size = kMaxIccProfileBytes;
}

// The file read (its bytes are not copied: they must outlive the context) and its primary image.
// libheif follows a file's items by calling itself, from one picture to those it is made of: a
// file whose items go round in a circle would never come back (a stack overflow ends the whole
// program on Windows). So the items are checked on the boxes before libheif reads them.
bool OpenPrimary(const uint8_t* data, size_t size, int threads, Context& context, Handle& primary)
{
    if (!data || size == 0 || !ProbePicture(data, size).heifItemsSound) return false;
    context.reset(heif_context_alloc());
    if (!context) return false;
    LimitContext(context.get());
    // 0: the tiles are decoded on the calling thread, one by one.
    heif_context_set_max_decoding_threads(context.get(), threads > 1 ? threads : 0);
    if (heif_context_read_from_memory_without_copy(context.get(), data, size, nullptr).code != heif_error_Ok) return false;
    heif_image_handle* handle = nullptr;
    if (heif_context_get_primary_image_handle(context.get(), &handle).code != heif_error_Ok || !handle) return false;
    primary.reset(handle);
    return true;
}

bool SizeAcceptable(int width, int height)
{
    return width > 0 && height > 0 && width <= kMaxSide && height <= kMaxSide && int64_t{width} * height <= kMaxPixels;
}

SamplePlane PlaneOf(const heif_image* image, heif_channel channel)
{
    SamplePlane plane;
    if (!heif_image_has_channel(image, channel)) return plane;
    int stride = 0;
    plane.data = heif_image_get_plane_readonly(image, channel, &stride);
    plane.stride = stride;
    plane.width = heif_image_get_width(image, channel);
    plane.height = heif_image_get_height(image, channel);
    plane.bits = heif_image_get_bits_per_pixel_range(image, channel);
    return plane;
}

// libheif turns every picture (YCbCr of any subsampling, grey) into RGB planes at its own bit
// depth, with the matrix and range the codec's stream or the file's nclx box gives.
PlanarPicture PlanesOf(heif_image* image)
{
    PlanarPicture picture;
    picture.red = PlaneOf(image, heif_channel_R);
    picture.green = PlaneOf(image, heif_channel_G);
    picture.blue = PlaneOf(image, heif_channel_B);
    picture.alpha = PlaneOf(image, heif_channel_Alpha);
    picture.premultiplied = picture.alpha.data && heif_image_is_premultiplied_alpha(image);
    picture.width = picture.red.width;
    picture.height = picture.red.height;
    return picture;
}

// Every plane the picture's size, of 1 to 16 bits: what PlanarToBgr reads is what libheif made.
bool PlanesMatch(const PlanarPicture& picture)
{
    for (const SamplePlane* plane : {&picture.red, &picture.green, &picture.blue, &picture.alpha}) {
        if (plane == &picture.alpha && !plane->data) continue;
        if (!plane->data || plane->width != picture.width || plane->height != picture.height || plane->bits < 1 || plane->bits > 16)
            return false;
    }
    return true;
}

// The file's ICC profile, or its nclx box read as one. (The converted image no longer carries
// the colour description of the codec's own stream.)
std::vector<uint8_t> ColourProfileOf(heif_image_handle* handle)
{
    std::vector<uint8_t> profile;
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type == heif_color_profile_type_prof || type == heif_color_profile_type_rICC) {
        const size_t size = heif_image_handle_get_raw_color_profile_size(handle);
        if (size == 0) return profile;
        profile.resize(size);
        if (heif_image_handle_get_raw_color_profile(handle, profile.data()).code != heif_error_Ok) profile.clear();
        return profile;
    }
    // An nclx box of values libheif does not know is reported as an error, with the
    // description allocated all the same: it is freed either way, and read as sRGB.
    heif_color_profile_nclx* nclx = nullptr;
    const heif_error read = heif_image_handle_get_nclx_color_profile(handle, &nclx);
    const Nclx owner(nclx);
    if (read.code == heif_error_Ok && nclx) profile = ProfileForNclx(nclx->color_primaries, nclx->transfer_characteristics);
    return profile;
}

// The first Exif item: a 4-byte offset, then that many bytes before the TIFF header.
std::vector<uint8_t> ExifOf(heif_image_handle* handle)
{
    heif_item_id id = 0;
    if (heif_image_handle_get_list_of_metadata_block_IDs(handle, "Exif", &id, 1) != 1) return {};
    const size_t size = heif_image_handle_get_metadata_size(handle, id);
    if (size < 4 || size > kMaxExifBytes) return {};
    std::vector<uint8_t> item(size);
    if (heif_image_handle_get_metadata(handle, id, item.data()).code != heif_error_Ok) return {};
    const uint64_t offset = uint64_t{item[0]} << 24 | uint64_t{item[1]} << 16 | uint64_t{item[2]} << 8 | item[3];
    if (offset > size - 4) return {};
    return std::vector<uint8_t>(item.begin() + 4 + static_cast<ptrdiff_t>(offset), item.end());
}

bool Decode(const uint8_t* data, size_t size, int minWidth, int minHeight, int threads, Image& out, HeifExtras* extras)
{
    // What libheif would believe of a grid's or an overlay's size, transforms given twice, and
    // the items the picture is made of are checked on the boxes first.
    if (!ClaimedSizeAcceptable(ProbePicture(data, size))) return false;
    Context context;
    Handle primary;
    if (!OpenPrimary(data, size, threads, context, primary)) return false;
    // A picture without its extent (ispe: some early encoders left it out) is as large as its
    // coded stream says; libde265 and dav1d bound that themselves, and the picture that comes
    // out must pass our limits like any other.
    const int width = heif_image_handle_get_width(primary.get()), height = heif_image_handle_get_height(primary.get());
    const bool declared = width != 0 || height != 0;
    if (declared && !SizeAcceptable(width, height)) return false;
    Options options(heif_decoding_options_alloc());
    if (!options) return false;
    // Each chroma sample stands for its 2 x 2 pixels, as before libheif learnt to interpolate:
    // the reduction to the target averages them anyway, and a photo's pixels stay what they were.
    options->color_conversion_options.preferred_chroma_upsampling_algorithm = heif_chroma_upsampling_nearest_neighbor;
    options->color_conversion_options.only_use_preferred_chroma_algorithm = 1;
    heif_image* decoded = nullptr;
    if (heif_decode_image(primary.get(), &decoded, heif_colorspace_RGB, heif_chroma_444, options.get()).code != heif_error_Ok ||
        !decoded)
        return false;
    const HeifImage image(decoded);
    const PlanarPicture planar = PlanesOf(decoded);
    // The decoded picture is the one the header announced, or nothing.
    if (!PlanesMatch(planar) || !SizeAcceptable(planar.width, planar.height)) return false;
    if (declared && (planar.width != width || planar.height != height)) return false;
    if (!PlanarToBgr(planar, ChoosePlanarReduction(planar.width, planar.height, minWidth, minHeight), out)) return false;
    if (extras) {
        extras->iccProfile = ColourProfileOf(primary.get());
        extras->exif = ExifOf(primary.get());
    }
    return true;
}

}  // namespace

bool ReadHeifHeader(const uint8_t* data, size_t size, HeifHeader& out)
{
    out = HeifHeader();
    try {
        Context context;
        Handle primary;
        if (!OpenPrimary(data, size, 1, context, primary)) return false;
        out.width = heif_image_handle_get_width(primary.get());
        out.height = heif_image_handle_get_height(primary.get());
        out.bitDepth = heif_image_handle_get_luma_bits_per_pixel(primary.get());
        out.alpha = heif_image_handle_has_alpha_channel(primary.get()) != 0;
        if ((out.width > 0 && out.height > 0) || (out.width == 0 && out.height == 0)) return true;
        out = HeifHeader();
        return false;
    } catch (...) {
        out = HeifHeader();
        return false;
    }
}

bool DecodeHeif(const uint8_t* data, size_t size, int minWidth, int minHeight, int threads, Image& out, HeifExtras* extras)
{
    out.Clear();
    if (extras) *extras = HeifExtras();
    bool ok = false;
    try {
        ok = Decode(data, size, minWidth, minHeight, threads, out, extras);
    } catch (...) {
        ok = false;
    }
    if (!ok) {
        out.Clear();
        if (extras) *extras = HeifExtras();
    }
    return ok;
}
