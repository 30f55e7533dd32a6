// varbo.vars as the program reads it at start-up, and what the read values drive.
#include <cstdlib>
#include <string_view>

#include "app/settings_file.h"
#include "common/text.h"
#include "engine/photo_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    SettingsRecord settings;
    ApplySettingsFile(CrLfToLf(DecodeLegacyText(bytes)), settings);
    if (settings.MaxPix < settings.MaxPixMin || settings.MaxPix > settings.MaxPixMax) std::abort();
    if (settings.Prots < settings.ProtsMin || settings.Prots > settings.ProtsMax) std::abort();
    TextColourArgb(settings.Color);
    TextPlacement placement;
    PlaceText(settings.iTrProtextN, settings.MaxPix, settings.MaxPix / 2, placement);

    // Written back and read again, the file gives the same settings.
    const std::string written = FormatSettingsFile(settings);
    SettingsRecord again;
    ApplySettingsFile(written, again);
    if (FormatSettingsFile(again) != written) std::abort();
    return 0;
}
