#pragma once
// One picture job: everything it needs comes in as a PictureJob and
// everything it gives back goes out as a PictureResult. The engine keeps
// nothing between jobs and reads no process-wide record, so jobs may run on
// any thread, side by side.
#include <string>

#include "common/state.h"

// Why a job made no picture. The result's `message`, when there is one,
// says it to the user.
enum class JobStop {
    None,          // made, or skipped without a reason to stop (the output folder was just made again)
    FolderFull,    // numbers 1..24999 all taken in the run folder
    Unreadable,    // the source is no picture we can read (a path longer than Windows takes has a message)
    FontUnusable,  // the photo text's font cannot be made
    SaveFailed,    // the output could not be written: a full disk, a folder gone or locked, a name the
                   // system refuses; the message names the folder and the system's reason, and no
                   // partial file is left. The next picture would most likely fail the same way.
};

// The photo text as PrepareJob takes it from the settings.
struct PhotoText {
    int mode = 0;                   // 0 no text, 1..9 a place of the 3 x 3 grid, 10 stripes
    std::string text;               // "_Date_" / "_Date_Time_" become each source's file date
    std::string fontName = "Arial";
    int fontSize = 21;              // pixels
    int fontStyle = 0;              // 1 bold, 2 italic, 3 both
    int colour = -1;                // 0x00BBGGRR, red in the low byte; -1 is white
    bool keepSize = false;          // copy mode: with a text the picture keeps its size
};

struct PictureJob {
    std::string source;
    int size = 0;                   // the longer side in pixels; 0 means kMaxPixDefault
    int quality = 0;                // JPEG quality 1..100; 0 means kJobQualityDefault
    std::string outputFolder;       // must exist for the job to run (Varbo_Photo, or the Desktop for a start with a picture)
    std::string runFolder;          // where the picture goes; made with the first picture
    std::string testPicture;        // when set, the picture is written here instead (the test command's Test2.jpg)
    bool keepNames = false;         // "v901_<source name>.jpg" instead of the next free number
    int firstNumber = 1;            // numbered names are looked for from this number on: a batch run's
                                    // writer passes the one after its last, so it does not probe every
                                    // name it made before (a run of n pictures would probe n * n / 2)
    int decodeThreads = 1;          // 2 for a picture made on its own: a large progressive JPEG then
                                    // decodes on two threads; a batch keeps every core busy with pictures
    PhotoText text;
};

struct PictureResult {
    bool made = false;
    JobStop stop = JobStop::None;
    std::string written;            // the file made
    int number = 0;                 // its number, when it has a numbered name
    std::string message;            // a message for the user, empty when there is none
    std::string caption = " ";      // its caption; one blank gives the default
};

constexpr int kJobQualityDefault = 80;  // a job's quality when none is given (a start with a picture)

// The stops after which no later picture of the run can be written: a full
// run folder (which the settings record as VarboOver) and an output that
// cannot be written.
bool StopsTheRun(JobStop stop);

// The photo-text part of a job from the settings.
PhotoText PrepareJob(const SettingsRecord& settings);

// The jobs the program runs, from the settings and folders of the moment.
// The caller puts the source in. `desktop` is the Desktop folder as read for
// this run.
// One picture of a batch run: the run folder in Varbo_Photo, the settings'
// size, quality, names and photo text.
PictureJob BatchPictureJob(const SettingsRecord& settings, const FolderRecord& folders);
// A start with a picture (Explorer's verb, the command line, a picture handed
// to the running window): the Desktop must exist, the settings' size and
// names, the default quality, no photo text.
PictureJob StartPictureJob(const SettingsRecord& settings, const FolderRecord& folders, const std::string& desktop);
// The test command: Test2.jpg in the data folder with the text at its place
// even while "Показывать текст" is off. Until the first drop (`runToFolder`)
// it needs the Desktop, as a start with a picture does; then Varbo_Photo.
PictureJob TestPictureJob(const SettingsRecord& settings, const FolderRecord& folders, const std::string& desktop,
                          bool runToFolder);

// Folds a text into one line: runs of blanks and line breaks become one blank,
// leading ones go; at most `limit` characters are kept; a result under 4
// characters becomes the default text. Answers the number of characters kept
// before that last rule.
int NormaliseSpaces(std::string& text, int limit);
