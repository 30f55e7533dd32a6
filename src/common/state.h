#pragma once
// The process-wide records that live from start-up to exit: the user's settings
// and the program's folders. One thread reads and writes them.
#include <string>

constexpr int kMaxPixDefault = 901;
constexpr int kProtsDefault = 82;
constexpr int kProtextMaxLen = 500;        // clipboard cut and the window's photo-text field
constexpr int kProtextEditorMaxLen = 510;  // what the photo-text editor can store, and what is read back
extern const char* const ProtextDefault;

// The user's choices. The names are the labels of varbo.vars, where each
// stored field has its line.
struct SettingsRecord {
    int MaxPix = kMaxPixDefault;  // the longer side of every picture made, in pixels
    int MaxPixMin = 60;
    int MaxPixMax = 1700;
    int Prots = kProtsDefault;    // JPEG quality in per cent
    int ProtsMin = 50;
    int ProtsMax = 100;
    std::string LastDir;          // the folder the last source came from
    std::string LastFile;         // the last source made into a picture
    std::string LastVarbo;        // the last picture made
    std::string Varbo_Photo;      // the output folder on the Desktop (always the current Desktop's)
    int VarboOver = 0;            // the last run stopped on a full folder: 1 Desktop mode, 2 output folder
    std::string FontName = "Arial";  // the photo text's font
    int FontSize = 21;            // its size in pixels
    int FontStyle = 0;            // 1 bold, 2 italic, 3 both
    int FontHeight = -32;         // the font dialog's logical height, kept for its next start
    int Color = -1;               // the photo text's colour, 0x00BBGGRR (red in the low byte); -1 white
    int TrProtext = 0;            // 1: the photo text goes on every picture ("Показывать текст")
    int iTrProtextN = 5;          // where it goes: 1..9 the 3 x 3 grid row by row, 10 stripes
    int iTrProtextNoResize = 0;   // copy mode ("Копия"): with a text, pictures keep their size
    int iTrSaveFileName = 0;      // 1: pictures keep their sources' names ("Сохранять имена файлов")
    std::string Protext = ProtextDefault;  // the photo text (varbo_text.txt)
};

extern SettingsRecord Settings;

// Where the program works. OutSubfolder names the current run folder inside
// Settings.Varbo_Photo ("001", ...); iOutSubfolderNo is its number, 0 for none yet.
struct FolderRecord {
    std::string MakerFolder;
    std::string DataFolder;
    std::string ListFile;
    std::string Desktop;
    int iOutSubfolderNo = 0;
    std::string OutSubfolder = "000";
};

extern FolderRecord Folders;
