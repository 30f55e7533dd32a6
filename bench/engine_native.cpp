// The picture engine's JPEG and HEIF paths natively, for profiling (valgrind's
// callgrind counts instructions, which the machine's load does not disturb;
// perf shows where the time goes): every JPEG or HEIF picture of a folder
// loaded at the job's size (DCT-domain reduction, orientation,
// colour, resample) and encoded, as a batch run's worker does it; with an
// output folder the pictures are written there too.
//   engine_native IN_FOLDER SIZE QUALITY [OUT_FOLDER]
// Built only in a tree without sanitizers (-DVARBO_NATIVE_SANITIZE=OFF).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/heif_load.h"
#include "engine/jpeg_load.h"
#include "imaging/jpeg_io.h"

namespace fs = std::filesystem;

static double Milliseconds(std::chrono::steady_clock::time_point from)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: engine_native IN_FOLDER SIZE QUALITY [OUT_FOLDER]\n");
        return 2;
    }
    const fs::path in = argv[1];
    const int size = std::atoi(argv[2]), quality = std::atoi(argv[3]);
    const fs::path out = argc > 4 ? fs::path(argv[4]) : fs::path();
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(in))
        if (entry.is_regular_file() && entry.path().filename().string()[0] != '.') files.push_back(entry.path());
    std::sort(files.begin(), files.end());

    int failed = 0;
    double loadTotal = 0, encodeTotal = 0;
    for (const fs::path& file : files) {
        std::string bytes(fs::file_size(file), '\0');
        std::ifstream(file, std::ios::binary).read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        const auto start = std::chrono::steady_clock::now();
        Image picture;
        std::vector<uint8_t> jpeg;
        const std::string ext = file.extension().string();
        const bool heif = ext == ".heic" || ext == ".heif" || ext == ".hif" || ext == ".avif";
        const bool loaded = heif ? LoadHeif(bytes, size, false, picture) : LoadJpeg(bytes, size, false, picture);
        const double loadMs = Milliseconds(start);
        const auto encodeStart = std::chrono::steady_clock::now();
        const bool ok = loaded && EncodeJpeg(picture, quality, jpeg);
        const double encodeMs = Milliseconds(encodeStart);
        if (ok && !out.empty()) std::ofstream(out / file.filename(), std::ios::binary).write(reinterpret_cast<const char*>(jpeg.data()), static_cast<std::streamsize>(jpeg.size()));
        failed += !ok;
        loadTotal += loadMs;
        encodeTotal += encodeMs;
        std::printf("%s %s %dx%d load %.1f ms encode %.1f ms %zu bytes\n", ok ? "ok" : "FAILED", file.filename().c_str(), picture.width,
                    picture.height, loadMs, encodeMs, jpeg.size());
    }
    std::printf("total %zu pictures load %.1f ms encode %.1f ms\n", files.size(), loadTotal, encodeTotal);
    return failed == 0 ? 0 : 1;
}
