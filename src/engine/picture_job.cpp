#include "engine/picture_job.h"

#include "common/paths.h"
#include "common/text.h"
#include "engine/photo_text.h"

bool StopsTheRun(JobStop stop)
{
    return stop == JobStop::FolderFull || stop == JobStop::SaveFailed;
}

PhotoText PrepareJob(const SettingsRecord& s)
{
    PhotoText t;
    t.fontName = s.FontName;
    t.fontSize = s.FontSize;
    t.colour = s.Color;
    t.fontStyle = s.FontStyle;
    t.keepSize = s.iTrProtextNoResize != 0;
    t.text = Utf8Prefix(s.Protext, 511);
    if (s.iTrProtextN == kTextModeStripes && NormaliseSpaces(t.text, 511) == 0) t.text = ProtextDefault;
    t.mode = s.TrProtext != 0 ? s.iTrProtextN : 0;
    return t;
}

namespace {

PictureJob SettingsJob(const SettingsRecord& s, const FolderRecord& f)
{
    PictureJob job;
    job.size = s.MaxPix;
    job.quality = s.Prots;
    job.outputFolder = s.Varbo_Photo;
    job.runFolder = JoinPath(s.Varbo_Photo, f.OutSubfolder);
    job.keepNames = s.iTrSaveFileName != 0;
    return job;
}

} // namespace

PictureJob BatchPictureJob(const SettingsRecord& s, const FolderRecord& f)
{
    PictureJob job = SettingsJob(s, f);
    job.text = PrepareJob(s);
    return job;
}

PictureJob StartPictureJob(const SettingsRecord& s, const FolderRecord& f, const std::string& desktop)
{
    PictureJob job = SettingsJob(s, f);
    job.quality = 0;
    job.outputFolder = desktop;
    job.decodeThreads = 2;
    return job;
}

PictureJob TestPictureJob(const SettingsRecord& s, const FolderRecord& f, const std::string& desktop, bool runToFolder)
{
    PictureJob job = SettingsJob(s, f);
    job.text = PrepareJob(s);
    job.text.mode = s.iTrProtextN;
    if (!runToFolder) job.outputFolder = desktop;
    job.testPicture = JoinPath(f.DataFolder, "Test2.jpg");
    job.decodeThreads = 2;
    return job;
}

int NormaliseSpaces(std::string& text, int limit)
{
    std::string out;
    int written = 0;
    int walked = 0;
    char previous = ' ';
    const std::string_view in = text;
    for (size_t i = 0; i < in.size() && walked < 3 * limit && written < limit; ++walked) {
        // One character: a whole UTF-8 sequence.
        size_t len = Utf8Prefix(in.substr(i), 1).size();
        std::string_view ch = in.substr(i, len);
        i += len;
        const bool blank = ch == " " || ch == "\r" || ch == "\n";
        if (blank) {
            if (previous == ' ') continue;
            out += ' ';
            previous = ' ';
        } else {
            out += ch;
            previous = ch[0];
        }
        ++written;
    }
    text = written < 4 ? std::string(ProtextDefault) : out;
    return written;
}
