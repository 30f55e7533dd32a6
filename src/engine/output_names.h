#pragma once
// Output picture names and the size rule.
#include <functional>
#include <string>
#include <string_view>

#include "engine/picture_job.h"

constexpr int kFolderModeLimit = 25000;  // numbers in a run folder stay below this

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
    JobStop stop = JobStop::None; // FolderFull when refused
    int number = 0;               // the number in a numbered name
};
// The first free number from `first` on (`taken` answers whether a name is in
// use), below 25000.
NameChoice ChooseNumberedName(int size, const std::function<bool(const std::string& name)>& taken, int first = 1);

struct Size2 {
    int width = 0, height = 0;
};
// The longer side becomes `size`, the other follows by integer division
// (never below 1 pixel); copy mode keeps the picture's size.
Size2 OutputSize(int width, int height, int size, bool keepSize);
