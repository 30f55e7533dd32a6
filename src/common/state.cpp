#include "common/state.h"

const char* const ProtextDefault = "Текст на изображении. Щелкните по нему, чтобы изменить!";

SettingsRecord Settings;
FolderRecord Folders;
