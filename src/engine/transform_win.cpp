#include "engine/transform_win.h"

#include <windows.h>

#include <algorithm>

#include "common/files_win.h"
#include "common/folders_win.h"
#include "common/text.h"
#include "engine/failure_messages.h"
#include "engine/heif_load.h"
#include "engine/jpeg_load.h"
#include "engine/output_names.h"
#include "engine/photo_text.h"
#include "engine/photo_text_win.h"
#include "imaging/colour.h"
#include "imaging/exif.h"
#include "imaging/gdiplus_win.h"
#include "imaging/icc_profile.h"
#include "imaging/jpeg_io.h"
#include "imaging/picture_probe.h"
#include "imaging/resample.h"
#include "imaging/webp_io.h"

namespace {
constexpr size_t kMaxPictureFileBytes = 1024u << 20;

// libwebp scales while it decodes, to any size; an animation gives its first frame.
bool LoadWebp(const std::string& bytes, int size, bool keepSize, Image& out)
{
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    WebpHeader header;
    if (!ReadWebpHeader(data, bytes.size(), header)) return false;
    const Size2 target = OutputSize(header.width, header.height, size, keepSize);
    const int minWidth = static_cast<int>(target.width * kDecodeMargin);
    const int minHeight = static_cast<int>(target.height * kDecodeMargin);
    if (!DecodeWebp(data, bytes.size(), minWidth, minHeight, out)) return false;
    ConvertToSrgb(out, ExtractIccProfile(data, bytes.size()));
    return ScaleTo(out, target);
}

// Vector art is drawn straight at the output size, so it comes out sharp. A
// WMF without the placeable header does not say how large it is meant to be
// (nor does GDI+ read one): it is refused like any file that is no picture.
bool LoadMetafile(std::string&& bytes, const PictureProbe& probe, int size, bool keepSize, Image& out)
{
    if (probe.width <= 0 || probe.height <= 0) return false;
    const Size2 target = OutputSize(static_cast<int>(probe.width), static_cast<int>(probe.height), size, keepSize);
    return RenderMetafile(std::move(bytes), target.width, target.height, out);
}

} // namespace

bool LoadPicture(const std::string& path, int size, bool keepSize, Image& out, ExifFields& exif, int decodeThreads)
{
    out.Clear();
    exif = ExifFields{};
    std::string bytes;
    if (!ReadFileBytes(path, bytes, kMaxPictureFileBytes) || bytes.empty()) return false;
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    // JPEG, PNG, WebP and TIFF; a format whose EXIF takes its decoder to find sets `exif` in its own branch.
    exif = ReadPictureExif(data, bytes.size());
    if (IsJpegData(bytes)) return LoadJpeg(bytes, size, keepSize, out, decodeThreads);
    // A header that claims a gigantic picture is refused before a decoder tries to allocate it.
    const PictureProbe probe = ProbePicture(data, bytes.size());
    if (!ClaimedSizeAcceptable(probe)) return false;
    if (probe.format == PictureFormat::Webp) return LoadWebp(bytes, size, keepSize, out);
    if (probe.format == PictureFormat::Heif) return LoadHeif(bytes, size, keepSize, out, decodeThreads, &exif);
    if (probe.format == PictureFormat::Emf || probe.format == PictureFormat::Wmf)
        return LoadMetafile(std::move(bytes), probe, size, keepSize, out);
    const std::vector<uint8_t> profile = ExtractIccProfile(data, bytes.size());
    if (!DecodeWithGdiplus(std::move(bytes), out)) return false;
    ConvertToSrgb(out, profile);
    return ScaleTo(out, OutputSize(out.width, out.height, size, keepSize));
}

namespace {

int JobSize(const PictureJob& job)
{
    return job.size > 0 ? job.size : kMaxPixDefault;
}

PictureResult Failure(JobStop stop, std::string message = {}, std::string caption = " ")
{
    PictureResult result;
    result.stop = stop;
    result.message = std::move(message);
    result.caption = std::move(caption);
    return result;
}

} // namespace

NameChoice ChooseOutputName(const PictureJob& job, int size, int first)
{
    if (job.keepNames) return {KeptOutputName(size, job.source), JobStop::None};
    const std::string runFolder = WithoutTrailingLineFeed(job.runFolder);
    return ChooseNumberedName(
        size, [&](const std::string& candidate) { return PathExists(JoinPath(runFolder, candidate)); }, first);
}

MadePicture MakePicture(const PictureJob& job)
{
    MadePicture made;
    const std::string source = WithoutTrailingLineFeed(job.source);
    const int quality = job.quality <= 0 ? kJobQualityDefault : std::min(job.quality, 100);
    // The marker is resolved anew for every picture from the job's own text.
    const std::string text =
        PreparePictureText(job.text.text, [&](bool dateOnly) { return FileDateText(source, dateOnly); });

    // No name is cut to fit: a path past what Windows takes fails its picture, and says so.
    if (PathTooLongForSystem(source)) {
        made.failure = Failure(JobStop::Unreadable, PathTooLongMessage(source));
        return made;
    }
    const bool withText = job.text.mode != 0;
    Image picture;
    ExifFields exif;
    if (!LoadPicture(source, JobSize(job), withText && job.text.keepSize, picture, exif, job.decodeThreads)) {
        made.failure = Failure(JobStop::Unreadable);
        return made;
    }
    if (withText && !DrawPictureText(picture, job.text, text)) {
        made.failure = Failure(JobStop::FontUnusable, kFontUnusableMessage, job.text.fontName);
        return made;
    }
    // Date taken, camera and copyright go on; GPS, serial numbers and the rest never do.
    if (!EncodeJpeg(picture, quality, made.jpeg, MakeExifApp1(exif, picture.width, picture.height)))
        made.failure = Failure(JobStop::Unreadable);  // only when memory runs out
    return made;
}

// Numbered names are claimed by the write itself: a name that another copy of
// the program took since it was chosen is passed over for the next free one,
// so two copies never write over each other's pictures.
PictureResult SavePicture(const PictureJob& job, const std::vector<uint8_t>& jpeg)
{
    PictureResult result;
    if (!job.testPicture.empty()) {
        const std::string path = WithoutTrailingLineFeed(job.testPicture);
        if (const WriteResult written = WriteFileReplacing(path, jpeg.data(), jpeg.size()); !written)
            return Failure(JobStop::SaveFailed, SaveFailedMessage(FolderOf(path), written.error));
        result.made = true;
        result.written = path;
        return result;
    }
    // Varbo_Photo removed while the program runs: it is made again and this
    // picture skipped with a word; a batch run goes on with its next picture.
    if (const std::string output = WithoutTrailingLineFeed(job.outputFolder); !output.empty() && !PathExists(output)) {
        if (!MakeFolder(output)) return Failure(JobStop::SaveFailed, SaveFailedMessage(FolderOf(output), GetLastError()));
        return Failure(JobStop::None, kFolderCreatedMessage);
    }
    // The run folder is made with the first picture that goes into it.
    const std::string runFolder = WithoutTrailingLineFeed(job.runFolder);
    if (MakeFolderPath(runFolder) == 0) return Failure(JobStop::SaveFailed, SaveFailedMessage(runFolder, GetLastError()));
    const int size = JobSize(job);
    for (int first = job.firstNumber;;) {
        const NameChoice name = ChooseOutputName(job, size, first);
        if (name.name.empty()) return Failure(name.stop, kFolderFullMessage);
        const std::string path = JoinPath(runFolder, name.name);
        const WriteResult written =
            job.keepNames ? WriteFileReplacing(path, jpeg.data(), jpeg.size()) : WriteNewFile(path, jpeg.data(), jpeg.size());
        if (written.nameTaken) {
            first = name.number + 1;
            continue;
        }
        if (!written) return Failure(JobStop::SaveFailed, SaveFailedMessage(runFolder, written.error));
        // Sorted by date, the pictures stand where their sources stand. A
        // destination that refuses the times still has the picture, with its own.
        CopyFileTimes(job.source, path);
        result.made = true;
        result.written = path;
        result.number = name.number;
        return result;
    }
}

PictureResult TransformPicture(const PictureJob& job)
{
    // A full run folder stops before any work is done, in a test run too.
    const NameChoice name = ChooseOutputName(job, JobSize(job));
    if (name.name.empty()) return Failure(name.stop, kFolderFullMessage);
    const MadePicture made = MakePicture(job);
    if (made.jpeg.empty()) return made.failure;
    return SavePicture(job, made.jpeg);
}
