// varbo_text.txt as the program reads it back, the text made from it for one
// picture, and the same bytes as a clipboard paste or an editor's save.
#include <cstdlib>
#include <optional>
#include <string_view>

#include "app/settings_file.h"
#include "common/text.h"
#include "engine/photo_text.h"
#include "ui/photo_text_flows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const std::string text = PhotoTextFromFile(CrLfToLf(DecodeLegacyText(bytes)));
    if (!IsValidUtf8(text) || Utf8Length(text) > kProtextEditorMaxLen) std::abort();
    const std::string picture = PreparePictureText(text, [](bool dateOnly) -> std::optional<std::string> {
        return FormatFileDate(5, 3, 2024, 14, 7, dateOnly);
    });
    StripeLine(picture);
    PreparePictureText(text, [](bool) -> std::optional<std::string> { return std::nullopt; });

    const PastePlan paste = PlanPaste(bytes);
    if (paste.step == PasteStep::Ask && Utf8Length(paste.text) > kProtextMaxLen) std::abort();
    if (Utf8Length(EditorTextToKeep(bytes)) > kProtextEditorMaxLen) std::abort();
    return 0;
}
