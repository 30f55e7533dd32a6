#include "ui/status_text.h"

#include "common/text.h"
#include "ui/zones.h"

const char* const kGreetingText = "Добрый день! Пора на работу!";

namespace {

const char* const kSliding = "Выбрать нужное значение и щелкнуть мышкой.";

const char* HoverHint(int zone, int maxPix)
{
    switch (zone) {
    case kZoneResultFolder: return "Открыть папку с результатом, правой - открыть источник.";
    case kZoneResetCorner:
        // The corner's click resets while the size is changed, and offers the removal once it is back at 901.
        return maxPix == kMaxPixDefault ? "Удалить служебные файлы программы\nи записи в реестре."
                                        : "1. Вернуть начальные установки.\n2. Удалить файлы программы.";
    case kZoneBand: return "Открыть папку Varbo_Photo,\nв которую Варбо помещает фотографии.";
    case kZoneLastResult: return "Смотреть последнее фото, созданное Варбо.";
    case kZonePanelToggle: return "Дополнительные настройки\n (октрыть / закрыть).";
    case kZoneTestButton: return "Создать и открыть фото с текстом.";
    case kZonePasteButton: return "Вставить текст из буфера обмена.";
    case kZonePlaceCaption: return "Как расположить текст на фото: справа, слева, в углу, по центру и т.п.";
    case kZonePhotoText: return "Изменить надпись на фото. Чтобы изменить фон, перетащите фото на текст.";
    case kZoneColourButton: return "Выбрать цвет текста.";
    case kZoneFontIcon: return "Выбрать шрифт (вид, стиль, размер).";
    case kZoneCopyBox: return "Копия: размер фото не изменится,\nпросто добавится текст.";
    case kZoneStripesRadio: return "Вид текста: горизонтальные полосы мелким шрифтом.";
    default: return "Мышкой перетащите папку с фото\nили файлы (1- 9000)  в окно программы.";
    }
}

LitImage HoverImage(int zone)
{
    switch (zone) {
    case kZoneResultFolder: return LitImage::ResultFolder;
    case kZoneResetCorner: return LitImage::ResetCorner;
    case kZonePanelToggle: return LitImage::PanelToggle;
    default: return LitImage::None;
    }
}

} // namespace

int ProgressLineEnd(int n)
{
    const int end = (n % 5) * 94;
    return end == 0 ? kProgressLineStartX : end;
}

std::string ValueText(int value)
{
    return Format("%d", value);
}

StatusChoice ChooseStatus(const WindowStateRecord& state, const SettingsRecord& settings, int iOutSubfolderNo, int jobToFolder)
{
    StatusChoice c;
    c.fallback = kGreetingText;
    c.showSubfolder = iOutSubfolderNo != 0;

    if (state.iProgress == kProgressDoneWithPictures) {
        // Stays until the run-end timer clears it a second later.
        c.text = Format(jobToFolder ? "Готово! Файлы Варбо (%d)\nсозданы в папке Varbo_Photo."
                                    : "Готово! Файлы Варбо (%d)\nсозданы на Рабочем столе.",
                        state.iDoneFiles);
        c.fallback = "Так получилось...";
    } else if (state.iRunning || state.iProgress != 0) {
        c.text = Format("Варбо треплет файлы: %d из %d.\nПрервать обработку: Esc.", state.iProgress, state.iTotalFiles);
        c.progressLineEnd = ProgressLineEnd(state.iProgress);
    } else if (state.iNoteTicks != 0) {
        c.text = state.NoteText;
    } else if (state.iSelectorLit == 1) {
        c.lit = LitImage::SizeDial;
        c.text = state.iHoverZone == kZoneSizeSlide
                     ? kSliding
                     : "Проведите мышкой по синим буквам, чтобы задать размер Варбо в пикселях.";
    } else if (state.iSelectorLit == 2) {
        c.lit = LitImage::QualityDial;
        c.text = state.iHoverZone == kZoneQualitySlide
                     ? kSliding
                     : "Проведите мышкой по синим буквам, чтобы установить процент качества.";
    } else {
        c.lit = HoverImage(state.iHoverZone);
        c.text = HoverHint(state.iHoverZone, settings.MaxPix);
        // The lit folder covers the number.
        if (state.iHoverZone == kZoneResultFolder) c.showSubfolder = false;
    }

    c.blue = state.iSelectorLit != 0;
    c.text = Utf8Prefix(c.text, kStatusTextMaxChars);
    return c;
}
