#include "ui/photo_text_flows_win.h"

#include <commdlg.h>

#include <algorithm>
#include <cwchar>

#include "resource_ids.h"
#include "common/files_win.h"
#include "common/folders_win.h"
#include "common/messages.h"
#include "common/owners_win.h"
#include "common/state.h"
#include "common/text.h"
#include "common/wide_win.h"
#include "engine/picture_job.h"
#include "shell/launch_win.h"
#include "ui/job_thread_win.h"
#include "ui/panel_win.h"
#include "ui/photo_text_flows.h"
#include "ui/window_state.h"

namespace {

// Enough of the clipboard for 500 characters with every line break doubled as CR LF.
constexpr size_t kClipboardReadUnits = 4096;

// The editor's background: the BG_101 pattern under the dialog, its edit and
// its image buttons. Lives as long as the dialog.
struct EditorBackground {
    GdiObject<HBITMAP> bitmap;
    GdiObject<HBRUSH> brush;
};

// The colour dialog remembers, for the life of the process, its custom
// colours and the colour chosen last; both start black.
COLORREF g_customColours[16] = {};
COLORREF g_lastColour = 0;

std::string TestPhotoPath(const char* name)
{
    return JoinPath(WithoutTrailingLineFeed(Folders.DataFolder), name);
}

// Copies a file over another, whole or not at all; the source is only read.
bool CopyFileOver(const std::string& from, const std::string& to)
{
    std::string bytes;
    return ReadFileBytes(from, bytes) && WriteFileReplacing(to, bytes.data(), bytes.size());
}

std::string DialogItemText(HWND dialog, int id)
{
    HWND item = GetDlgItem(dialog, id);
    if (!item) return {};
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(item)) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(item, text.data(), static_cast<int>(text.size()))));
    return Narrow(text);
}

// The procedure of the photo-text editor (dialog PROTEXTDIALOG); its
// background comes with WM_INITDIALOG.
INT_PTR CALLBACK ProtextDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* background = reinterpret_cast<EditorBackground*>(GetWindowLongPtrA(dialog, DWLP_USER));
    const HBRUSH brush = background ? background->brush.get() : nullptr;
    switch (message) {
    case WM_INITDIALOG:
        SetWindowLongPtrA(dialog, DWLP_USER, lParam);
        // The edit control breaks lines at CR LF; the photo text keeps LF.
        SetDlgItemTextW(dialog, IDC_PROTEXT_EDIT, Widen(LfToCrLf(Settings.Protext)).c_str());
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_PROTEXT_SAVE:
            Settings.Protext = EditorTextToKeep(DialogItemText(dialog, IDC_PROTEXT_EDIT));
            EndDialog(dialog, 1);
            break;
        case IDC_PROTEXT_CLOSE:
        case IDCANCEL: EndDialog(dialog, 2); break;
        default: break;
        }
        return TRUE;
    case WM_CTLCOLORSTATIC:
        SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
        return reinterpret_cast<INT_PTR>(brush);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORDLG: return reinterpret_cast<INT_PTR>(brush);
    default: return FALSE;
    }
}

} // namespace

std::string ReadClipboardText(HWND owner, size_t maxUnits)
{
    // The wide form: the system makes it from whatever text is there, and
    // nothing is lost to a code page on the way.
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT)) return {};
    if (!OpenClipboard(owner)) return {};
    std::string text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            const size_t limit = std::min(GlobalSize(data) / sizeof(wchar_t), maxUnits);
            text = Narrow(std::wstring_view(units, wcsnlen(units, limit)));
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

bool ReplaceTestPhoto(unsigned droppedCount, const std::optional<std::string>& firstPath)
{
    if (droppedCount != 1) {
        ShowResult(kOneFileForTestPhotoText, " ");
        return false;
    }
    // Whatever the user drops is taken; a file that is no picture shows up at the next test.
    if (firstPath && CopyFileOver(*firstPath, TestPhotoPath("Test.jpg"))) return true;
    ShowResult(kTestPhotoNotReplacedText, " ");
    return false;
}

void ResetColourDialogMemory()
{
    std::fill(std::begin(g_customColours), std::end(g_customColours), 0);
    g_lastColour = 0;
}

void OpenPhotoTextEditor(HWND window)
{
    EditorBackground background;
    background.bitmap.reset(static_cast<HBITMAP>(LoadImageA(GetModuleHandleA(nullptr), "BG_101", IMAGE_BITMAP, 60, 60, 0)));
    if (background.bitmap) background.brush.reset(CreatePatternBrush(background.bitmap.get()));
    if (DialogBoxParamA(GetModuleHandleA(nullptr), "ProtextDialog", window, ProtextDialogProc,
                        reinterpret_cast<LPARAM>(&background)) == 1)
        SetPhotoTextField(window, Settings.Protext);
}

void PastePhotoText(HWND window)
{
    const PastePlan plan = PlanPaste(ReadClipboardText(window, kClipboardReadUnits));
    switch (plan.step) {
    case PasteStep::ClipboardEmpty: ShowResult(kClipboardEmptyText, " "); break;
    case PasteStep::TooShort: ShowResult(kClipboardTooShortText, " "); break;
    case PasteStep::Ask:
        if (AskQuestion(plan.question, " ") != kAnswerYes) break;
        SetPhotoTextField(window, plan.text);
        Settings.Protext = plan.text;
        break;
    }
}

bool RestoreFirstPhotoText(HWND window)
{
    Settings.Protext = ProtextDefault;
    SetPhotoTextField(window, Settings.Protext);
    // The text comes back even when the first test photo is gone; only the note tells.
    return CopyFileOver(TestPhotoPath("Test0.jpg"), TestPhotoPath("Test.jpg"));
}

bool RunTestPicture(HWND)
{
    std::string desktop = Folders.Desktop;
    GetShellFolder("DeskTop", desktop);  // where it is now; the one of start-up when it cannot be read
    PictureJob job = TestPictureJob(Settings, Folders, desktop, WindowState.iRunToFolder != 0);
    job.source = TestPhotoPath("Test.jpg");
    const PictureResult result = RunJobBesideWindow(job);
    if (!result.message.empty()) ShowResult(result.message, result.caption);
    if (!result.made) return false;
    OpenDocument(result.written);
    return true;
}

bool ChooseTextColor(HWND window, int& colour)
{
    // A cancel is the dialog's own answer, never a colour value: RGB(123, 0, 0) is a colour like any other.
    CHOOSECOLORA dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.rgbResult = g_lastColour;  // the colour chosen last, not the photo text's colour
    dialog.lpCustColors = g_customColours;
    dialog.Flags = CC_FULLOPEN | CC_RGBINIT;
    if (!ChooseColorA(&dialog)) return false;
    g_lastColour = dialog.rgbResult;
    colour = static_cast<int>(dialog.rgbResult);
    return true;
}

void ChooseTextFont(HWND window)
{
    LOGFONTW font{};
    const std::wstring face = Widen(Settings.FontName).substr(0, LF_FACESIZE - 1);
    std::copy(face.begin(), face.end(), font.lfFaceName);
    font.lfHeight = Settings.FontHeight;
    const FontStartStyle start = FontStartFromStyle(Settings.FontStyle);
    font.lfItalic = start.italic ? TRUE : FALSE;
    font.lfWeight = start.bold ? FW_BOLD : FW_DONTCARE;

    CHOOSEFONTW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window;
    dialog.lpLogFont = &font;
    dialog.Flags = CF_SCREENFONTS | CF_TTONLY | CF_NOSIMULATIONS | CF_INITTOLOGFONTSTRUCT;
    if (!ChooseFontW(&dialog)) return;

    FontDialogChoice choice;
    choice.face = Narrow(std::wstring_view(font.lfFaceName, wcsnlen(font.lfFaceName, LF_FACESIZE)));
    choice.pointSizeTenths = dialog.iPointSize;
    choice.height = font.lfHeight;
    choice.bold = (dialog.nFontType & BOLD_FONTTYPE) != 0;
    choice.italic = (dialog.nFontType & ITALIC_FONTTYPE) != 0;
    ApplyFontChoice(choice, Settings);
}
