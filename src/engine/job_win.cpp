#include "engine/job_win.h"

int RunPictureJob(int, int, const std::string&, int, int)
{
    return 0;
}
