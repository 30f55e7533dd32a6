#pragma once
// The process-wide records that live from start-up to exit: the user's settings
// and the program's folders. One thread reads and writes them.
#include <string>

constexpr int kMaxPixDefault = 901;
constexpr int kProtsDefault = 82;
constexpr int kProtextMaxLen = 500;        // clipboard cut and the window's photo-text field
constexpr int kProtextEditorMaxLen = 510;  // what the photo-text editor can store, and what is read back
extern const char* const ProtextDefault;

struct SettingsRecord {
    int MaxPix = kMaxPixDefault;
    int MaxPixMin = 60;
    int MaxPixMax = 1700;
    int Prots = kProtsDefault;
    int ProtsMin = 50;
    int ProtsMax = 100;
    std::string LastDir;
    std::string LastFile;
    std::string LastVarbo;
    std::string Varbo_Photo;
    int VarboOver = 0;
    std::string FontName = "Arial";
    int FontSize = 21;
    int FontStyle = 0;
    int FontHeight = -32;
    int Color = -1;
    int TrProtext = 0;
    int iTrProtextN = 5;
    int iTrProtextNoResize = 0;
    int iTrSaveFileName = 0;
    std::string Protext = ProtextDefault;
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
