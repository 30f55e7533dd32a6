#include "shell/reset.h"

// The photo text, font, colour and folders are the user's work and stay.
void RestoreInitialSettings(SettingsRecord& settings, const ResetWindowFields& window)
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
    window.MaxPixShown = first.MaxPix;
    window.ProtsShown = first.Prots;
    window.iHoverZone = 0;
    window.iSelectorLit = 0;
    window.iProgress = 0;
}
