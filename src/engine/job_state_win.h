#pragma once
#include <windows.h>

#include <string>

// What RunPictureJob settles for the transform of one picture.
struct JobStateRecord {
    int iJobToFolder = 0;    // 1 output folder mode, 0 Desktop mode
    std::string JobDeskDir;  // the Desktop, or its Varbo_Photo in output folder mode
};
extern JobStateRecord JobState;
