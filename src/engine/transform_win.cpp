#include "engine/transform_win.h"

#include <windows.h>

#include "app/folders_win.h"
#include "common/files_win.h"
#include "common/messages.h"
#include "common/state.h"
#include "common/text.h"
#include "engine/job_params.h"
#include "engine/job_state_win.h"
#include "engine/output_names.h"
#include "engine/photo_text.h"
#include "engine/photo_text_win.h"
#include "imaging/exif.h"
#include "imaging/gdiplus_win.h"
#include "imaging/jpeg_io.h"
#include "imaging/picture_probe.h"
#include "imaging/resample.h"

namespace {

constexpr size_t kMaxPictureFileBytes = 1024u << 20;
constexpr double kDecodeMargin = 2.0;

bool IsJpegData(const std::string& bytes)
{
    return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF && static_cast<unsigned char>(bytes[1]) == 0xD8 &&
           static_cast<unsigned char>(bytes[2]) == 0xFF;
}

bool ScaleTo(Image& picture, Size2 target)
{
    if (picture.width == target.width && picture.height == target.height) return true;
    Image scaled;
    if (!Resize(picture, target.width, target.height, scaled)) return false;
    picture = std::move(scaled);
    return true;
}

bool LoadJpeg(const std::string& bytes, int size, bool keepSize, Image& out)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    JpegHeader header;
    if (!ReadJpegHeader(data, bytes.size(), header)) return false;
    const bool turned = header.orientation >= 5;  // the picture stands on its side in the file
    const int uprightWidth = turned ? header.height : header.width;
    const int uprightHeight = turned ? header.width : header.height;
    const Size2 target = OutputSize(uprightWidth, uprightHeight, size, keepSize);

    // Let the decoder do the bulk of a reduction in the DCT domain; an
    // enlargement decodes at full size and is left to the resampler.
    int minWidth = static_cast<int>((turned ? target.height : target.width) * kDecodeMargin);
    int minHeight = static_cast<int>((turned ? target.width : target.height) * kDecodeMargin);
    if (minWidth >= header.width || minHeight >= header.height) {
        minWidth = header.width;
        minHeight = header.height;
    }
    if (!DecodeJpeg(data, bytes.size(), minWidth, minHeight, out)) return false;
    ApplyOrientation(out, header.orientation);
    return ScaleTo(out, target);
}

} // namespace

bool LoadPicture(const std::string& path, int size, bool keepSize, Image& out)
{
    out.Clear();
    std::string bytes;
    if (!ReadFileBytes(path, bytes, kMaxPictureFileBytes) || bytes.empty()) return false;
    if (IsJpegData(bytes)) return LoadJpeg(bytes, size, keepSize, out);
    // A header that claims a gigantic picture is refused before GDI+ tries to allocate it.
    if (!ClaimedSizeAcceptable(ProbePicture(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))) return false;
    bytes.clear();
    bytes.shrink_to_fit();
    if (!DecodeWithGdiplus(path, out)) return false;
    return ScaleTo(out, OutputSize(out.width, out.height, size, keepSize));
}

std::string ChooseOutputName(const std::string& sourcePath, int size)
{
    if (JobParams.iJobKeepNames) return KeptOutputName(size, sourcePath);
    const std::string runFolder = JoinPath(Settings.Varbo_Photo, Folders.OutSubfolder);
    NameChoice choice = ChooseNumberedName(size, JobState.iJobToFolder,
                                           [&](const std::string& candidate) { return PathExists(JoinPath(runFolder, candidate)); });
    if (choice.name.empty()) {
        ShowResult(choice.stopCode == 1 ? kDesktopFullMessage : kFolderFullMessage, " ");
        JobResult.iJobStop = choice.stopCode;
    }
    return choice.name;
}

void RecordLastOutFile(const std::string& path)
{
    JobResult.LastOutFile = path;
}

int TransformPicture(const std::string& path, int size, int quality, int testRun)
{
    const JobParamsRecord& job = JobParams;
    // The marker is resolved anew for every picture from the job's own text.
    const std::string text = PreparePictureText(job.JobText, [&](bool dateOnly) { return FileDateText(path, dateOnly); });
    if (quality <= 0) quality = 80;
    if (quality > 100) quality = 100;
    if (size <= 0) size = 901;
    SetCurrentDirectoryA(JobState.JobDeskDir.c_str());

    const std::string runFolder = JoinPath(Settings.Varbo_Photo, Folders.OutSubfolder);
    // The name is settled before the picture is read, in a test run too.
    const std::string name = ChooseOutputName(path, size);
    if (name.empty()) return 0;

    const bool keepSize = job.iJobTextMode != 0 && job.iJobNoResize != 0;
    Image picture;
    if (!LoadPicture(path, size, keepSize, picture)) return 0;
    if (job.iJobTextMode != 0 && !DrawPictureText(picture, text)) return 0;

    std::vector<uint8_t> jpeg;
    if (!EncodeJpeg(picture, quality, jpeg)) return 0;
    picture.Clear();

    std::string outPath;
    if (testRun) {
        outPath = JoinPath(WithoutTrailingLineFeed(Folders.DataFolder), "Test2.jpg");
    } else {
        // The run folder is made on the first picture that goes into it.
        if (MakeFolderPath(runFolder) == 0) return 0;
        outPath = JoinPath(runFolder, name);
    }
    if (!WriteFileReplacing(outPath, jpeg.data(), jpeg.size())) return 0;
    RecordLastOutFile(outPath);
    return 1;
}
