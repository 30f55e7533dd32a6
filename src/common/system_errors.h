#pragma once
// The system's reasons for a failed file operation, in words for the user.
// Portable: the Win32 error codes are spelled out here.
#include <string>

// Win32 error codes a write can end with (winerror.h).
constexpr unsigned long kErrorFileNotFound = 2;
constexpr unsigned long kErrorPathNotFound = 3;
constexpr unsigned long kErrorAccessDenied = 5;
constexpr unsigned long kErrorWriteProtect = 19;
constexpr unsigned long kErrorNotReady = 21;
constexpr unsigned long kErrorSharingViolation = 32;
constexpr unsigned long kErrorLockViolation = 33;
constexpr unsigned long kErrorHandleDiskFull = 39;
constexpr unsigned long kErrorDiskFull = 112;
constexpr unsigned long kErrorInvalidName = 123;
constexpr unsigned long kErrorAlreadyExists = 183;
constexpr unsigned long kErrorFilenameExcedRange = 206;

// "недостаточно места на диске" and so on: lower case, no full stop, so it
// ends a sentence of the caller's. Codes without words of their own give
// "системная ошибка <code>".
std::string SystemErrorReason(unsigned long code);
