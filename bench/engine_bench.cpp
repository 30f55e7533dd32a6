// Times the picture engine in-process: every picture of a folder loaded at the
// job's size (DCT-domain reduction, orientation, resample), encoded as JPEG and
// written, exactly as a batch run does it, minus the naming.
//   varbo_bench.exe IN_FOLDER OUT_FOLDER SIZE QUALITY [gdiplus|colour|turbo]
// With "gdiplus" the final resample is GDI+'s DrawImageRectI in its
// high-quality bicubic mode instead of the engine's Lanczos filter, to compare.
// With "colour" each JPEG is only reduced, and the conversion of the reduced
// picture to sRGB through its embedded profile is timed on its own.
// With "turbo" the pictures are encoded by libjpeg-turbo (standard tables,
// optimised Huffman tables, 4:2:0), as the program did before mozjpeg, to
// compare bytes, quality and encode time.
// With "-j N", N threads take the pictures one after another, as a batch
// run's workers do. Prints one line per picture and the wall time of the
// whole; the peak memory of the process last. Each picture's line also has
// the DCT scale M/8 its JPEG decodes at.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <mutex>
#include <thread>
#include <vector>

#include <jpeglib.h>

#include "common/files_win.h"
#include "common/owners_win.h"
#include "common/paths.h"
#include "engine/jpeg_load.h"
#include "engine/transform_win.h"
#include "imaging/gdiplus_win.h"
#include "engine/output_names.h"
#include "imaging/colour.h"
#include "imaging/exif.h"
#include "imaging/icc_profile.h"
#include "imaging/jpeg_io.h"

static double Seconds()
{
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The engine's JPEG path up to the final resample: DCT-domain reduction to the
// engine's margin over the target, then orientation.
static bool DecodeReduced(const std::string& path, int size, Image& decoded, Size2& target, std::string& bytes)
{
    JpegHeader header;
    if (!ReadFileBytes(path, bytes)) return false;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (!ReadJpegHeader(data, bytes.size(), header)) return false;
    const bool turned = OrientationSwapsSides(header.orientation);
    target = OutputSize(turned ? header.height : header.width, turned ? header.width : header.height, size, false);
    const Size2 minimum = JpegDecodeMinimum(header.width, header.height, turned, target);
    if (!DecodeJpeg(data, bytes.size(), minimum.width, minimum.height, decoded)) return false;
    ApplyOrientation(decoded, header.orientation);
    return true;
}

// The DCT scale M/8 the engine decodes a JPEG at for this size (0 for no JPEG),
// so that the bench can time libjpeg-turbo's djpeg at the same scale.
static int DctScaleOf(const std::string& path, int size)
{
    std::string bytes;
    JpegHeader header;
    if (!ReadFileBytes(path, bytes) || !ReadJpegHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), header)) return 0;
    const bool turned = OrientationSwapsSides(header.orientation);
    const Size2 target = OutputSize(turned ? header.height : header.width, turned ? header.width : header.height, size, false);
    const Size2 minimum = JpegDecodeMinimum(header.width, header.height, turned, target);
    return ChooseDctScale(header.width, header.height, minimum.width, minimum.height);
}

// The same, the final resample done by GDI+.
static bool LoadWithGdiplusResample(const std::string& path, int size, Image& out)
{
    std::string bytes;
    Image decoded;
    Size2 target;
    if (!DecodeReduced(path, size, decoded, target, bytes) || !out.Allocate(target.width, target.height)) return false;
    GdipImage source = WrapImage(decoded), dest = WrapImage(out);
    GdipGraphics graphics;
    if (!source || !dest || gp::GdipGetImageGraphicsContext(dest.get(), graphics.out()) != Gdiplus::Ok) return false;
    gp::GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBicubic);
    gp::GdipSetPixelOffsetMode(graphics.get(), Gdiplus::PixelOffsetModeHalf);
    return gp::GdipDrawImageRectI(graphics.get(), source.get(), 0, 0, target.width, target.height) == Gdiplus::Ok;
}

// Times the reduction and, on its own, the conversion of the reduced picture
// to sRGB through the file's embedded profile. False when nothing converted.
static bool TimeColour(const std::string& path, int size, double& decodeSeconds, double& colourSeconds)
{
    std::string bytes;
    Image decoded;
    Size2 target;
    const double start = Seconds();
    if (!DecodeReduced(path, size, decoded, target, bytes)) return false;
    const double decodedAt = Seconds();
    const bool converted = ConvertToSrgb(decoded, ExtractIccProfile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
    colourSeconds = Seconds() - decodedAt;
    decodeSeconds = decodedAt - start;
    std::printf("colour %s %dx%d decode %.1f ms, to sRGB %.1f ms\n", converted ? "ok" : "NONE", decoded.width, decoded.height,
                decodeSeconds * 1000, colourSeconds * 1000);
    return converted;
}

// libjpeg-turbo's encoder with the settings the program had before mozjpeg.
// libjpeg's own error handler ends the process on an error: fine for a bench.
static bool EncodeWithLibjpegTurbo(const Image& image, int quality, std::vector<uint8_t>& out)
{
    jpeg_compress_struct cinfo;
    jpeg_error_mgr err;
    cinfo.err = jpeg_std_error(&err);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width);
    cinfo.image_height = static_cast<JDIMENSION>(image.height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_EXT_BGR;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    cinfo.optimize_coding = TRUE;
    cinfo.comp_info[0].h_samp_factor = 2;
    cinfo.comp_info[0].v_samp_factor = 2;
    cinfo.density_unit = 1;
    cinfo.X_density = cinfo.Y_density = 300;
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.Row(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    out.assign(buffer, buffer + size);
    std::free(buffer);
    return true;
}

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: varbo_bench IN_FOLDER OUT_FOLDER SIZE QUALITY [gdiplus|colour|turbo] [-j WORKERS]\n");
        return 2;
    }
    const std::string in = argv[1], out = argv[2];
    const int size = std::atoi(argv[3]), quality = std::atoi(argv[4]);
    bool gdiplusResample = false, colour = false, turbo = false;
    int workers = 1;
    for (int i = 5; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "gdiplus") gdiplusResample = true;
        else if (arg == "colour") colour = true;
        else if (arg == "turbo") turbo = true;
        else if (arg == "-j" && i + 1 < argc) workers = std::max(1, std::atoi(argv[++i]));
    }
    GdiplusSession gdiplus;

    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    const FindHandle search(FindFirstFileA(JoinPath(in, "*").c_str(), &found));
    if (search) {
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
        } while (FindNextFileA(search.get(), &found));
    }

    if (colour) {
        int converted = 0;
        double decodeTotal = 0, colourTotal = 0, decodeSeconds = 0, colourSeconds = 0;
        for (const std::string& name : names) {
            converted += TimeColour(JoinPath(in, name), size, decodeSeconds, colourSeconds);
            decodeTotal += decodeSeconds;
            colourTotal += colourSeconds;
        }
        std::printf("colour total %d pictures decode %.3f s to sRGB %.3f s\n", converted, decodeTotal, colourTotal);
        return converted == static_cast<int>(names.size()) ? 0 : 1;
    }

    // Each worker takes the next picture until none is left, as a batch run's workers do.
    std::atomic<size_t> next{0};
    std::atomic<int> done{0};
    std::mutex printing;
    auto work = [&] {
        for (size_t i = next++; i < names.size(); i = next++) {
            const double start = Seconds();
            Image picture;
            ExifFields exif;
            std::vector<uint8_t> jpeg;
            const std::string path = JoinPath(in, names[i]);
            bool ok = gdiplusResample ? LoadWithGdiplusResample(path, size, picture) : LoadPicture(path, size, false, picture, exif);
            const double encodeStart = Seconds();
            ok = ok && (turbo ? EncodeWithLibjpegTurbo(picture, quality, jpeg)
                              : EncodeJpeg(picture, quality, jpeg, MakeExifApp1(exif, picture.width, picture.height)));
            const double encodeTook = Seconds() - encodeStart;
            ok = ok && WriteFileReplacing(JoinPath(out, names[i]), jpeg.data(), jpeg.size());
            const double took = Seconds() - start;
            done += ok;
            std::lock_guard<std::mutex> lock(printing);
            std::printf("%s %s %dx%d %.1f ms %zu bytes scale %d encode %.1f ms\n", ok ? "ok" : "FAILED", names[i].c_str(), picture.width,
                        picture.height, took * 1000, jpeg.size(), DctScaleOf(path, size), encodeTook * 1000);
        }
    };
    const double start = Seconds();
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w) threads.emplace_back(work);
    work();
    for (std::thread& t : threads) t.join();
    const double total = Seconds() - start;

    PROCESS_MEMORY_COUNTERS memory{};
    GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory);
    std::printf("total %d pictures %.3f s with %d workers\n", done.load(), total, workers);
    std::printf("peak %.1f MB\n", static_cast<double>(memory.PeakPagefileUsage) / (1024.0 * 1024.0));
    return done == static_cast<int>(names.size()) ? 0 : 1;
}
