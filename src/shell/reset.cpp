#include "shell/reset.h"

void RestoreInitialSettings(SettingsRecord& settings)
{
    const SettingsRecord first;
    settings.MaxPix = first.MaxPix;
    settings.MaxPixMin = first.MaxPixMin;
    settings.MaxPixMax = first.MaxPixMax;
    settings.Prots = first.Prots;
    settings.ProtsMin = first.ProtsMin;
    settings.ProtsMax = first.ProtsMax;
    settings.VarboOver = 0;
    settings.LastFile.clear();
}
