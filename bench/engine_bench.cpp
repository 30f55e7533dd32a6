// Times the picture engine in-process: every picture of a folder loaded at the
// job's size (DCT-domain reduction, orientation, resample), encoded as JPEG and
// written, exactly as a batch run does it, minus the naming.
//   varbo_bench.exe IN_FOLDER OUT_FOLDER SIZE QUALITY [gdiplus]
// With "gdiplus" the final resample is GDI+'s DrawImageRectI in its
// high-quality bicubic mode instead of the engine's Lanczos filter, to compare.
// With "-j N", N threads take the pictures one after another, as a batch
// run's workers do. Prints one line per picture and the wall time of the
// whole; the peak memory of the process last.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <string>
#include <mutex>
#include <thread>
#include <vector>

#include "common/files_win.h"
#include "common/owners_win.h"
#include "common/paths.h"
#include "engine/transform_win.h"
#include "imaging/gdiplus_win.h"
#include "engine/output_names.h"
#include "imaging/exif.h"
#include "imaging/jpeg_io.h"

static double Seconds()
{
    static LARGE_INTEGER frequency = [] { LARGE_INTEGER f; QueryPerformanceFrequency(&f); return f; }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// The engine's own path up to the final resample, which GDI+ does here.
static bool LoadWithGdiplusResample(const std::string& path, int size, Image& out)
{
    std::string bytes;
    JpegHeader header;
    Image decoded;
    if (!ReadFileBytes(path, bytes)) return false;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    if (!ReadJpegHeader(data, bytes.size(), header)) return false;
    const bool turned = OrientationSwapsSides(header.orientation);
    const Size2 target = OutputSize(turned ? header.height : header.width, turned ? header.width : header.height, size, false);
    const int minW = std::min(2 * (turned ? target.height : target.width), header.width);
    const int minH = std::min(2 * (turned ? target.width : target.height), header.height);
    if (!DecodeJpeg(data, bytes.size(), minW, minH, decoded)) return false;
    ApplyOrientation(decoded, header.orientation);
    if (!out.Allocate(target.width, target.height)) return false;
    GdipImage source = WrapImage(decoded), dest = WrapImage(out);
    GdipGraphics graphics;
    if (!source || !dest || gp::GdipGetImageGraphicsContext(dest.get(), graphics.out()) != Gdiplus::Ok) return false;
    gp::GdipSetInterpolationMode(graphics.get(), Gdiplus::InterpolationModeHighQualityBicubic);
    gp::GdipSetPixelOffsetMode(graphics.get(), Gdiplus::PixelOffsetModeHalf);
    return gp::GdipDrawImageRectI(graphics.get(), source.get(), 0, 0, target.width, target.height) == Gdiplus::Ok;
}

int main(int argc, char** argv)
{
    if (argc < 5) {
        std::fprintf(stderr, "usage: varbo_bench IN_FOLDER OUT_FOLDER SIZE QUALITY [gdiplus] [-j WORKERS]\n");
        return 2;
    }
    const std::string in = argv[1], out = argv[2];
    const int size = std::atoi(argv[3]), quality = std::atoi(argv[4]);
    bool gdiplusResample = false;
    int workers = 1;
    for (int i = 5; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "gdiplus") gdiplusResample = true;
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

    // Each worker takes the next picture until none is left, as a batch run's workers do.
    std::atomic<size_t> next{0};
    std::atomic<int> done{0};
    std::mutex printing;
    auto work = [&] {
        for (size_t i = next++; i < names.size(); i = next++) {
            const double start = Seconds();
            Image picture;
            std::vector<uint8_t> jpeg;
            const std::string path = JoinPath(in, names[i]);
            const bool ok =
                (gdiplusResample ? LoadWithGdiplusResample(path, size, picture) : LoadPicture(path, size, false, picture)) &&
                EncodeJpeg(picture, quality, jpeg) && WriteFileReplacing(JoinPath(out, names[i]), jpeg.data(), jpeg.size());
            const double took = Seconds() - start;
            done += ok;
            std::lock_guard<std::mutex> lock(printing);
            std::printf("%s %s %dx%d %.1f ms %zu bytes\n", ok ? "ok" : "FAILED", names[i].c_str(), picture.width,
                        picture.height, took * 1000, jpeg.size());
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
