#include "engine/failure_messages.h"

#include "common/paths.h"
#include "common/system_errors.h"

const char* const kFolderCreatedMessage = "Папка Варбо создана на Рабочем столе.   \nОбработка файлов пропущена.  ";

std::string SaveFailedMessage(std::string_view folder, unsigned long systemError)
{
    return "Не удалось записать файл в папку " + PathForMessage(folder) + ": " + SystemErrorReason(systemError) + ".";
}

std::string PathTooLongMessage(std::string_view path)
{
    return "Путь к файлу длиннее, чем позволяет Windows:\n" + PathForMessage(path) + "\nВарбо пропускает этот файл.";
}

// A start with a picture has no window that could show why nothing came out: without the
// box the user sees nothing at all.
void ExplainUnreadableStart(PictureResult& result, std::string_view source)
{
    if (result.made || result.stop != JobStop::Unreadable || !result.message.empty()) return;
    result.message = "Варбо не смог прочитать этот файл:\n" + PathForMessage(source) +
                     "\n\nВарбо читает фотографии и картинки JPEG, HEIC, HEIF, AVIF, WebP, PNG, TIFF, BMP, GIF, WMF и EMF."
                     "\nВозможно, файл повреждён или это не картинка.";
    result.caption = " ";
}
