#include "common/system_errors.h"

#include "common/text.h"

std::string SystemErrorReason(unsigned long code)
{
    switch (code) {
    case kErrorDiskFull:
    case kErrorHandleDiskFull: return "недостаточно места на диске";
    case kErrorAccessDenied: return "нет доступа, запись запрещена";
    case kErrorFileNotFound:
    case kErrorPathNotFound: return "папка не найдена, её удалили или переместили";
    case kErrorWriteProtect: return "диск защищён от записи";
    case kErrorNotReady: return "диск не готов, его могли отключить";
    case kErrorSharingViolation:
    case kErrorLockViolation: return "файл занят другой программой";
    case kErrorInvalidName: return "Windows не принимает такое имя";
    case kErrorFilenameExcedRange: return "путь к файлу слишком длинный";
    case kErrorAlreadyExists: return "на месте папки лежит файл с тем же именем";
    default: return Format("системная ошибка %lu", code);
    }
}
