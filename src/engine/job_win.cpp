#include "engine/job_win.h"

#include <windows.h>

#include <exception>

#include "common/files_win.h"
#include "common/text.h"
#include "engine/failure_messages.h"
#include "engine/transform_win.h"

PictureResult RunPictureJob(const PictureJob& job)
{
    PictureResult result;
    if (WithoutTrailingLineFeed(job.source).empty()) {
        result.stop = JobStop::Unreadable;
        return result;
    }
    const std::string folder = WithoutTrailingLineFeed(job.outputFolder);
    if (folder.empty()) {
        result.stop = JobStop::SaveFailed;
        return result;
    }
    if (!PathExists(folder)) {
        // A folder that cannot be made again is no skipped picture: nothing can be written.
        if (!MakeFolder(folder)) {
            result.stop = JobStop::SaveFailed;
            result.message = SaveFailedMessage(FolderOf(folder), GetLastError());
            return result;
        }
        result.message = kFolderCreatedMessage;
        return result;
    }
    try {
        return TransformPicture(job);
    } catch (const std::exception&) {
        // Out of memory on a huge picture: this picture fails, the run goes on.
        result.stop = JobStop::Unreadable;
        return result;
    }
}
