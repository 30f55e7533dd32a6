#include "ui/photo_text_flows.h"

#include "common/text.h"

const char* const kClipboardEmptyText =
    "Буфер обмена пуст...   \nКопируйте нужный текст   \nи повторите попытку.   \n------------\n"
    "Чтобы вернуть первоначальную запись,   \nщелкните по тексту правой кнопкой мыши.   \n";
const char* const kClipboardTooShortText =
    "Текст меньше 4 символов.   \nКопируйте, пожалуйста, текст  \nбольшего размера.";
const char* const kFirstTextRestoredNote = "Первый фото-текст и тестовый файл восстановлены.";
const char* const kOneFileForTestPhotoText = "Для замены тестовой фотографии     \nдостаточно одного файла...";
const char* const kTestPhotoReplacedNote = "Тестовый файл успешно обновлён!";
const char* const kTestPhotoNotReplacedText = "Заменить тестовый файл не удалось.    \nПопробуйте выбрать другой файл.";

namespace {
constexpr size_t kMinPhotoTextChars = 4;
}

PastePlan PlanPaste(std::string_view clipboardText)
{
    PastePlan plan;
    // The photo text keeps LF line ends, as its file is read back.
    const std::string text = CrLfToLf(clipboardText);
    if (text.empty()) return plan;
    if (Utf8Length(text) < kMinPhotoTextChars) {
        plan.step = PasteStep::TooShort;
        return plan;
    }
    plan.step = PasteStep::Ask;
    // Characters, not bytes: a Cyrillic text keeps its 500 letters, and a
    // letter is never cut in half.
    plan.text = Utf8Prefix(text, kProtextMaxLen);
    plan.question = "Текст из буфера обмена:   \n------------------\n\n" + plan.text +
                    "\n------------------\n\nХотите поместить его на фотографию?";
    return plan;
}

std::string EditorTextToKeep(std::string_view edited)
{
    const std::string text = Utf8Prefix(CrLfToLf(edited), kProtextEditorMaxLen);
    return Utf8Length(text) < kMinPhotoTextChars ? std::string(ProtextDefault) : text;
}

FontStartStyle FontStartFromStyle(int fontStyle)
{
    return {fontStyle == 1 || fontStyle == 3, fontStyle == 2 || fontStyle == 3};
}

bool ApplyFontChoice(const FontDialogChoice& choice, SettingsRecord& settings)
{
    if (Utf8Length(choice.face) < 2) return false;
    settings.FontName = choice.face;
    settings.FontSize = choice.pointSizeTenths / 10;
    settings.FontHeight = choice.height;
    settings.FontStyle = choice.bold ? (choice.italic ? 3 : 1) : (choice.italic ? 2 : 0);
    return true;
}
