#include "app/settings_store_win.h"

#include "app/settings_file.h"
#include "common/files_win.h"
#include "common/state.h"
#include "common/text.h"

namespace {
constexpr size_t kMaxSettingsFile = 1u << 20;
}

void SaveSettings(const std::string& folder)
{
    const std::string vars = LfToCrLf(FormatSettingsFile(Settings));
    if (!WriteFileReplacing(JoinPath(folder, "varbo.vars"), vars.data(), vars.size())) return;
    const std::string text = LfToCrLf(Settings.Protext);
    WriteFileReplacing(JoinPath(folder, "varbo_text.txt"), text.data(), text.size());
}

bool LoadSettings(const std::string& folder)
{
    const std::string varsPath = JoinPath(folder, "varbo.vars");
    if (!PathExists(varsPath)) {
        SaveSettings(folder);
        return false;
    }
    std::string bytes;
    if (!ReadFileBytes(varsPath, bytes, kMaxSettingsFile)) return false;
    ApplySettingsFile(CrLfToLf(DecodeLegacyText(bytes)), Settings);

    if (!ReadFileBytes(JoinPath(folder, "varbo_text.txt"), bytes, kMaxSettingsFile)) return false;
    Settings.Protext = PhotoTextFromFile(CrLfToLf(DecodeLegacyText(bytes)));
    return true;
}
