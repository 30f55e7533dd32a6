#pragma once
#include <string>

// One picture in, one JPEG out. size 0 means 901, quality 0 means 80; an empty
// path asks the user with the open-file dialog; toFolder 1 is the output
// folder mode (limit 25000 numbered pictures), 0 the Desktop mode (limit 100);
// testRun 1 writes Test2.jpg in the data folder. Answers 1 or 0.
int RunPictureJob(int size, int quality, const std::string& path, int toFolder, int testRun);
