#pragma once
// Output picture names and the size rule.
#include <functional>
#include <string>
#include <string_view>

#include "engine/picture_job.h"

constexpr int kDesktopModeLimit = 100;   // numbered pictures per run folder in Desktop mode
constexpr int kFolderModeLimit = 25000;  // numbers stay below this in output folder mode

extern const char* const kDesktopFullMessage;
extern const char* const kFolderFullMessage;

// "00001" ... "24999": five digits, zero-padded.
std::string FiveDigits(int number);
// "varbo_901_00001.jpg"
std::string NumberedOutputName(int size, int number);
// "v901_IMG_0042.jpg"
std::string KeptOutputName(int size, std::string_view sourcePath);
// The file name without folder and extension; a name without any "." is kept whole.
std::string BaseNameOf(std::string_view path);

struct NameChoice {
    std::string name;             // empty when refused
    JobStop stop = JobStop::None; // why it was refused: DesktopFull or FolderFull
};
// The first free number from 1 (`taken` answers whether a name is in use),
// within the limit of the mode: the Desktop mode allows 1..100, the output
// folder mode 1..24999.
NameChoice ChooseNumberedName(int size, OutputMode mode, const std::function<bool(const std::string& name)>& taken);

struct Size2 {
    int width = 0, height = 0;
};
// The longer side becomes `size`, the other follows by integer division
// (never below 1 pixel); copy mode keeps the picture's size.
Size2 OutputSize(int width, int height, int size, bool keepSize);
