// The photo-text flows under Wine: the real clipboard, the editor dialog, the
// colour and font dialogs driven from inside their own message loops, the
// restore of the first text and test photo, and the test picture.
#include <gtest/gtest.h>
#include <windows.h>

#include <dlgs.h>

#include <string>
#include <vector>

#include "app/folders_win.h"
#include "common/messages.h"
#include "common/state.h"
#include "resource_ids.h"
#include "shell/launch_win.h"
#include "temp_folder.h"
#include "ui/photo_text_flows_win.h"
#include "ui/window_state.h"
#include "ui_test_window.h"

namespace {

constexpr int kColourEditRed = 706, kColourEditGreen = 707, kColourEditBlue = 708;

struct Box {
    std::string text, caption;
    unsigned style = 0;
};

bool PutOnClipboard(const std::wstring& text)
{
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    bool ok = true;
    if (!text.empty()) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        memcpy(GlobalLock(memory), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory);
        ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    }
    CloseClipboard();
    return ok;
}

std::string Repeat(const std::string& piece, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

std::string ItemText(HWND dialog, int id)
{
    return WindowTitle(GetDlgItem(dialog, id));
}

class PhotoText : public testing::Test {
protected:
    void SetUp() override
    {
        Settings = SettingsRecord{};
        Folders = FolderRecord{};
        Folders.DataFolder = temp.path();
        WindowState = WindowStateRecord{};
        ResetColourDialogMemory();
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, unsigned style) {
            boxes.push_back({text, caption, style});
            return answer;
        });
    }
    void TearDown() override
    {
        SetMessageBoxHook(nullptr);
        PutOnClipboard(L"");
    }

    // The right click on the photo-text field, as the window takes it.
    void RightClickOnThePhotoText()
    {
        WindowState.iHoverZone = kZonePhotoText;
        SendMessageA(window.get(), WM_RBUTTONDOWN, MK_RBUTTON, 0);
    }

    TempFolder temp;
    TestMainWindow window;
    std::vector<Box> boxes;
    int answer = kAnswerYes;
};

TEST_F(PhotoText, PasteAsksWithTheFirst500CharactersAndAYesStoresThem)
{
    ASSERT_TRUE(PutOnClipboard(Widen(Repeat("ж", 700))));
    PastePhotoText(window.get());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Вопрос");
    EXPECT_EQ(boxes[0].style, 0x40024u);
    EXPECT_EQ(boxes[0].text, "Текст из буфера обмена:   \n------------------\n\n" + Repeat("ж", 500) +
                                 "\n------------------\n\nХотите поместить его на фотографию?");
    EXPECT_EQ(Settings.Protext, Repeat("ж", 500));
    EXPECT_EQ(window.FieldText(), Repeat("ж", 500));
}

TEST_F(PhotoText, PasteAnsweredNoChangesNothing)
{
    answer = kAnswerNo;
    const std::string shown = window.FieldText();
    ASSERT_TRUE(PutOnClipboard(L"Подпись для фото"));
    PastePhotoText(window.get());
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(Settings.Protext, ProtextDefault);
    EXPECT_EQ(window.FieldText(), shown);
}

TEST_F(PhotoText, PasteOfAnEmptyOrShortClipboardExplains)
{
    ASSERT_TRUE(PutOnClipboard(L""));
    PastePhotoText(window.get());
    ASSERT_TRUE(PutOnClipboard(L"абв"));
    PastePhotoText(window.get());
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text,
              "Буфер обмена пуст...   \nКопируйте нужный текст   \nи повторите попытку.   \n------------\n"
              "Чтобы вернуть первоначальную запись,   \nщелкните по тексту правой кнопкой мыши.   \n");
    EXPECT_EQ(boxes[0].caption, "Результат");
    EXPECT_EQ(boxes[1].text, "Текст меньше 4 символов.   \nКопируйте, пожалуйста, текст  \nбольшего размера.");
    EXPECT_EQ(boxes[1].caption, "Результат");
    EXPECT_EQ(Settings.Protext, ProtextDefault);
}

TEST_F(PhotoText, RestoreBringsBackTheFirstTextAndTestPhoto)
{
    ASSERT_TRUE(WriteBytes(temp / "Test0.jpg", "first test photo"));
    ASSERT_TRUE(WriteBytes(temp / "Test.jpg", "a photo the user dropped"));
    Settings.Protext = "моя подпись";
    RightClickOnThePhotoText();
    EXPECT_EQ(Settings.Protext, ProtextDefault);
    EXPECT_EQ(window.FieldText(), ProtextDefault);
    EXPECT_EQ(ReadBytes(temp / "Test.jpg"), "first test photo");
    EXPECT_EQ(WindowState.NoteText, "Первый фото-текст и тестовый файл восстановлены.");
    EXPECT_EQ(WindowState.iNoteTicks, 4);
}

TEST_F(PhotoText, RestoreWithoutTheFirstTestPhotoStillRestoresTheText)
{
    ASSERT_TRUE(WriteBytes(temp / "Test.jpg", "a photo the user dropped"));
    Settings.Protext = "моя подпись";
    RightClickOnThePhotoText();
    EXPECT_EQ(Settings.Protext, ProtextDefault);
    EXPECT_EQ(ReadBytes(temp / "Test.jpg"), "a photo the user dropped");
    EXPECT_EQ(WindowState.iNoteTicks, 0) << "no note";
}

TEST_F(PhotoText, TheEditorShowsTheTextAndSavesWhatIsTyped)
{
    Settings.Protext = "строка один\nстрока два";
    std::string caption, shown;
    bool imagesLoaded = false;
    DialogDriver driver([&](HWND dialog) {
        caption = WindowTitle(dialog);
        shown = ItemText(dialog, IDC_PROTEXT_EDIT);
        imagesLoaded = SendDlgItemMessageA(dialog, IDC_PROTEXT_SAVE, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0 &&
                       SendDlgItemMessageA(dialog, IDC_PROTEXT_CLOSE, STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
        SetDlgItemTextW(dialog, IDC_PROTEXT_EDIT, L"Новый\r\nтекст 😀");
        SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROTEXT_SAVE, STN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDC_PROTEXT_SAVE)));
    });
    OpenPhotoTextEditor(window.get());
    ASSERT_TRUE(driver.acted());
    EXPECT_EQ(caption, "Редактор фото-текста.");
    EXPECT_EQ(shown, "строка один\r\nстрока два") << "the edit shows the line break";
    EXPECT_TRUE(imagesLoaded) << "IDB_SAVE and IDB_CLOSE on the image buttons";
    EXPECT_EQ(Settings.Protext, "Новый\nтекст 😀");
    EXPECT_EQ(window.FieldText(), "Новый\nтекст 😀");
}

TEST_F(PhotoText, TheEditorClearedGivesTheDefaultAndClosedKeepsTheText)
{
    Settings.Protext = "старая подпись";
    {
        DialogDriver driver([](HWND dialog) {
            SetDlgItemTextW(dialog, IDC_PROTEXT_EDIT, L"abc");
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROTEXT_CLOSE, STN_CLICKED), 0);
        });
        OpenPhotoTextEditor(window.get());
    }
    EXPECT_EQ(Settings.Protext, "старая подпись") << "closed with the close image";
    {
        DialogDriver driver([](HWND dialog) {
            SetDlgItemTextW(dialog, IDC_PROTEXT_EDIT, L"abc");
            SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDC_PROTEXT_SAVE, STN_CLICKED), 0);
        });
        OpenPhotoTextEditor(window.get());
    }
    EXPECT_EQ(Settings.Protext, ProtextDefault) << "3 characters saved give the default";
}

TEST_F(PhotoText, TheColourRgb123IsAColourNotACancel)
{
    Settings.Color = 0x00FF00;
    std::vector<int> startRgb;
    auto pick = [&](int r, int g, int b) {
        return [&startRgb, r, g, b](HWND dialog) {
            startRgb = {static_cast<int>(GetDlgItemInt(dialog, kColourEditRed, nullptr, FALSE)),
                        static_cast<int>(GetDlgItemInt(dialog, kColourEditGreen, nullptr, FALSE)),
                        static_cast<int>(GetDlgItemInt(dialog, kColourEditBlue, nullptr, FALSE))};
            SetDlgItemInt(dialog, kColourEditRed, r, FALSE);
            SetDlgItemInt(dialog, kColourEditGreen, g, FALSE);
            SetDlgItemInt(dialog, kColourEditBlue, b, FALSE);
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
        };
    };
    int colour = -5;
    {
        DialogDriver driver(pick(123, 0, 0));
        EXPECT_TRUE(ChooseTextColor(window.get(), colour));
    }
    EXPECT_EQ(colour, 123) << "RGB(123, 0, 0)";
    EXPECT_EQ(startRgb, (std::vector<int>{0, 0, 0})) << "the first opening starts at black, not at Color";
    {
        DialogDriver driver(pick(10, 20, 30));
        EXPECT_TRUE(ChooseTextColor(window.get(), colour));
    }
    EXPECT_EQ(startRgb, (std::vector<int>{123, 0, 0})) << "the next opening starts at the colour chosen last";
    EXPECT_EQ(colour, 0x1E140A);
    {
        DialogDriver driver([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
        colour = 77;
        EXPECT_FALSE(ChooseTextColor(window.get(), colour));
        EXPECT_EQ(colour, 77) << "a cancel leaves the colour alone";
    }
}

TEST_F(PhotoText, TheFontDialogStartsFromTheStyleAndTakesTheChoice)
{
    Settings.FontName = "Liberation Serif";
    Settings.FontStyle = 2;
    std::string startStyle;
    DialogDriver driver([&](HWND dialog) {
        startStyle = ItemText(dialog, cmb2);
        HWND styles = GetDlgItem(dialog, cmb2);
        const LRESULT index = SendMessageW(styles, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L"Bold Italic"));
        SendMessageW(styles, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(cmb2, CBN_SELCHANGE), reinterpret_cast<LPARAM>(styles));
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
    ChooseTextFont(window.get());
    ASSERT_TRUE(driver.acted());
    EXPECT_EQ(startStyle, "Italic") << "FontStyle 2 starts the dialog at italic";
    EXPECT_EQ(Settings.FontStyle, 3) << "bold and italic";
    EXPECT_EQ(Settings.FontName, "Liberation Serif");
    EXPECT_GT(Settings.FontSize, 0);
    EXPECT_LT(Settings.FontHeight, 0) << "the dialog's logical height";
}

TEST_F(PhotoText, TheFontDialogCancelledChangesNothing)
{
    const SettingsRecord before = Settings;
    DialogDriver driver([](HWND dialog) { PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0); });
    ChooseTextFont(window.get());
    EXPECT_EQ(Settings.FontName, before.FontName);
    EXPECT_EQ(Settings.FontSize, before.FontSize);
    EXPECT_EQ(Settings.FontStyle, before.FontStyle);
    EXPECT_EQ(Settings.FontHeight, before.FontHeight);
}

TEST_F(PhotoText, TheTestPictureCarriesTheTextEvenWithShowTextOff)
{
    std::vector<std::string> launched;
    SetLaunchHook([&](const LaunchRequest& request) {
        launched.push_back(request.text);
        return 42u;
    });
    auto test = [&](int place) {
        Settings.TrProtext = 0;
        Settings.iTrProtextN = place;
        Settings.MaxPix = 300;
        DeleteFileA((temp / "Test2.jpg").c_str());
        SendMessageA(window.get(), WM_COMMAND, kIdTestButton, 0);  // "Тест"
        return ReadBytes(temp / "Test2.jpg");
    };
    ASSERT_TRUE(WriteBytes(temp / "Test.jpg", EmbeddedTestPicture()));
    const std::string stripes = test(10);
    const std::string plain = test(0);
    SetLaunchHook(nullptr);
    ASSERT_FALSE(stripes.empty()) << "Test2.jpg written in the data folder";
    ASSERT_FALSE(plain.empty());
    EXPECT_NE(stripes, plain) << "the stripes are drawn although 'Показывать текст' is off";
    ASSERT_FALSE(launched.empty());
    EXPECT_EQ(launched.front(), "\"" + temp / "Test2.jpg" + "\"") << "the viewer gets the data folder's Test2.jpg";
    EXPECT_TRUE(KillTimer(window.get(), kTimerTestDone)) << "timer 604 minimises the window for the viewer";
    EXPECT_TRUE(boxes.empty());
}

} // namespace
