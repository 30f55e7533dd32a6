#pragma once
// What the picture engine reads for a job, and what a job leaves behind.
#include <string>

struct JobParamsRecord {
    std::string JobFontName = "Arial";
    int iJobFontSize = 21;
    int iJobColor = -1;
    int iJobFontStyle = 0;
    int iJobNoResize = 0;
    std::string JobText;
    int iJobTextMode = 0;   // 0 no text, 1..9 a place, 10 stripes
    int iJobKeepNames = 0;  // follows Settings.iTrSaveFileName
};

struct JobResultRecord {
    int iJobStop = 0;         // 0 none, 1 Desktop full, 2 output folder full; never cleared by the engine
    std::string LastOutFile;  // the file written by the last successful job
};

extern JobParamsRecord JobParams;
extern JobResultRecord JobResult;
