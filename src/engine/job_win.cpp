#include "engine/job_win.h"

#include <windows.h>

#include <commdlg.h>

#include <cstring>

#include "app/folders_win.h"
#include "common/files_win.h"
#include "common/messages.h"
#include "common/text.h"
#include "engine/job_state_win.h"
#include "engine/transform_win.h"
#include "imaging/gdiplus_win.h"

JobStateRecord JobState;

namespace {

const char* const kFolderCreatedMessage = "Папка Варбо создана на Рабочем столе.   \nОбработка файлов пропущена.  ";

// The open-file dialog; an empty answer for a cancel or a file that cannot be read.
std::string AskForPicture()
{
    static const char filter[] =
        "Все доступные типы файлов\0*.jpg;*.jpeg;*.bmp;*.gif;*.png;*.tiff;*.wmf;*.emf\0"
        "Файл JPG (*.jpg, *.jpeg)\0*.jpg;*.jpeg\0"
        "Файл BMP (*.bmp)\0*.bmp\0"
        "Файл GIF (*.gif)\0*.gif\0"
        "Файл PNG (*.png)\0*.png\0"
        "Файл WMF, EMF (*.wmf, *.emf)\0*.wmf;*.emf\0";
    std::string file(4096, '\0');
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = filter;
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrTitle = "Выберите большую фотографию. Варбо будет создана на Рабочем столе.";
    ofn.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
    if (!GetOpenFileNameA(&ofn)) return {};
    file.resize(std::strlen(file.c_str()));
    HANDLE h = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return {};
    CloseHandle(h);
    return file;
}

} // namespace

int RunPictureJob(int size, int quality, const std::string& requestedPath, int toFolder, int testRun)
{
    std::string path = requestedPath;
    if (path.empty()) {
        path = AskForPicture();
        if (path.empty()) return 0;
    }
    DropTrailingLineFeed(path);

    std::string desk;
    if (!GetShellFolder("DeskTop", desk)) return 0;
    if (toFolder) desk = JoinPath(desk, "Varbo_Photo");
    DropTrailingLineFeed(desk);
    if (!PathExists(desk)) {
        CreateDirectoryA(desk.c_str(), nullptr);
        ShowResult(kFolderCreatedMessage, " ");
        return 0;
    }
    JobState.JobDeskDir = desk;
    JobState.iJobToFolder = toFolder;

    GdiplusSession gdiplus;  // nests inside the process-wide session
    try {
        return TransformPicture(path, size, quality, testRun);
    } catch (const std::exception&) {
        // Out of memory on a huge picture: this picture fails, the run goes on.
        return 0;
    }
}
