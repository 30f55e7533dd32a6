// The real main window, in process: created with its own class and procedure,
// driven with mouse, command and timer messages; its state, its controls and
// the pixels of the painted back buffer are read back.
#include <gtest/gtest.h>

#include <windows.h>
#include <gdiplus.h>

#include <cstdint>
#include <string>
#include <vector>

#include "common/messages.h"
#include "common/state.h"
#include "imaging/gdiplus_win.h"
#include "shell/launch_win.h"
#include "ui/job_thread_win.h"
#include "ui/main_window_win.h"
#include "ui/window_state.h"
#include "temp_folder.h"

namespace {

using namespace Gdiplus;
using namespace Gdiplus::DllExports;

// One pixel of a bitmap resource, as the test reads it itself.
class ResourceBitmap {
public:
    explicit ResourceBitmap(const wchar_t* name) { GdipCreateBitmapFromResource(GetModuleHandleA(nullptr), name, &bitmap_); }
    ~ResourceBitmap() { if (bitmap_) GdipDisposeImage(bitmap_); }
    ResourceBitmap(const ResourceBitmap&) = delete;
    ResourceBitmap& operator=(const ResourceBitmap&) = delete;
    bool ok() const { return bitmap_ != nullptr; }
    uint32_t At(int x, int y) const
    {
        ARGB c = 0;
        GdipBitmapGetPixel(bitmap_, x, y, &c);
        return c;
    }
private:
    GpBitmap* bitmap_ = nullptr;
};

int Red(uint32_t c) { return (c >> 16) & 0xFF; }
int Green(uint32_t c) { return (c >> 8) & 0xFF; }
int Blue(uint32_t c) { return c & 0xFF; }

struct Rect {
    int left, top, right, bottom;
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
};

class MainWindow : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(windowClass.ok());
        Settings = SettingsRecord{};
        Settings.Varbo_Photo = temp / "Varbo_Photo";
        Settings.LastDir = temp / "Фото";
        Folders = FolderRecord{};
        Folders.DataFolder = temp.path();
        WindowState = WindowStateRecord{};
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, unsigned) {
            boxes.push_back(caption + "|" + text);
            return kAnswerNo;
        });
        SetLaunchHook([this](const LaunchRequest& request) {
            launches.push_back(request.text);
            return 33u;
        });
    }

    void TearDown() override
    {
        if (window && IsWindow(window)) DestroyWindow(window);
        DrainQueue();
        SetMessageBoxHook(nullptr);
        SetLaunchHook(nullptr);
    }

    // Shown without taking the focus: only a visible window gets painted.
    void Create()
    {
        window = CreateMainWindow(GetModuleHandleA(nullptr));
        ASSERT_NE(window, nullptr);
        ShowWindow(window, SW_SHOWNOACTIVATE);
        Repaint();
    }

    // The window posts its quit message when destroyed; it must not reach the next test.
    static void DrainQueue()
    {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message != WM_QUIT) DispatchMessageA(&msg);
        }
    }

    void Move(int x, int y) { SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    void Click()
    {
        SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
        SendMessageA(window, WM_LBUTTONUP, 0, 0);
    }
    void RightClick() { SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, 0); }
    void Tick(UINT_PTR timer) { SendMessageA(window, WM_TIMER, timer, 0); }
    void Repaint() { RequestRepaint(window); }

    SIZE ClientSize() const
    {
        RECT r{};
        GetClientRect(window, &r);
        return {r.right - r.left, r.bottom - r.top};
    }

    uint32_t Pixel(int x, int y) const
    {
        uint32_t c = 0;
        EXPECT_TRUE(MainWindowPixel(window, x, y, c)) << "no back buffer";
        return c;
    }

    // Pixels of the status line's text drawn in white or in the blue of a lit selector.
    struct TextInk {
        int white = 0, blue = 0;
    };
    TextInk StatusInk() const
    {
        TextInk ink;
        for (int y = 110; y < 160; ++y) {
            for (int x = 20; x < 390; ++x) {
                const uint32_t c = Pixel(x, y);
                if (Red(c) > 170 && Green(c) > 170 && Blue(c) > 170) ++ink.white;
                if (Blue(c) > 150 && Blue(c) > Red(c) + 60 && Blue(c) > Green(c) + 60) ++ink.blue;
            }
        }
        return ink;
    }

    // How many pixels of an area (less the text rectangles) show BG_UP shifted
    // by dx, among those where BG_UP and BG1 differ. 1.0: the lit cut-out is
    // drawn there; 0.0: the plain background.
    double LitShare(const Rect& area, int dx) const
    {
        ResourceBitmap bg1(L"BG1"), up(L"BG_UP");
        EXPECT_TRUE(bg1.ok() && up.ok());
        const Rect texts[] = {{118, 25, 198, 65}, {224, 16, 294, 56}, {332, 28, 392, 78}};
        int differing = 0, lit = 0;
        for (int y = area.top; y < area.bottom; ++y) {
            for (int x = area.left; x < area.right; ++x) {
                bool inText = false;
                for (const Rect& t : texts) inText = inText || t.Contains(x, y);
                if (inText || bg1.At(x, y) == up.At(x + dx, y)) continue;
                ++differing;
                if (Pixel(x, y) == up.At(x + dx, y)) ++lit;
            }
        }
        EXPECT_GT(differing, 20) << "the artwork has no lit difference here";
        return differing ? static_cast<double>(lit) / differing : 0.0;
    }

    HWND Control(int id) const { return GetDlgItem(window, id); }
    RECT Placement(int id) const
    {
        WINDOWPLACEMENT wp{};
        wp.length = sizeof wp;
        GetWindowPlacement(Control(id), &wp);
        return wp.rcNormalPosition;
    }

    GdiplusSession gdiplus;  // before the window class: the window's artwork is made within it
    MainWindowClass windowClass{GetModuleHandleA(nullptr)};
    TempFolder temp;
    HWND window = nullptr;
    std::vector<std::string> boxes;
    std::vector<std::string> launches;
};

const char* const kDragHint = "Мышкой перетащите папку с фото\nили файлы (1- 9000)  в окно программы.";

// A picture made one at a time runs beside the window thread: the thread's
// timers fire while it is made, and its input waits until the result is in.
TEST(JobBesideWindow, TimersRunMeanwhileAndInputWaits)
{
    static HANDLE ticked = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ResetEvent(ticked);
    const UINT_PTR timer = SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR, DWORD) { SetEvent(ticked); });
    constexpr UINT kClick = WM_APP + 77;
    PostThreadMessageW(GetCurrentThreadId(), kClick, 0, 0);

    bool runningMeanwhile = false;
    const PictureResult result = RunJobBesideWindow(PictureJob{}, [&](const PictureJob&) {
        runningMeanwhile = JobBesideWindowRunning();
        PictureResult made;
        made.made = WaitForSingleObject(ticked, 10000) == WAIT_OBJECT_0;
        return made;
    });
    KillTimer(nullptr, timer);

    EXPECT_TRUE(result.made) << "no timer ran while the picture was made";
    EXPECT_TRUE(runningMeanwhile);
    EXPECT_FALSE(JobBesideWindowRunning());
    MSG message;
    EXPECT_TRUE(PeekMessageW(&message, nullptr, kClick, kClick, PM_REMOVE)) << "input was taken during the job";
}

TEST_F(MainWindow, StartsAt400By160WithTheDisplayOnTopAndTheChildrenInPlace)
{
    Create();
    EXPECT_EQ(ClientSize().cx, 400);
    EXPECT_EQ(ClientSize().cy, 160);

    HWND top = GetWindow(window, GW_CHILD);
    RECT r{};
    GetWindowRect(top, &r);
    EXPECT_EQ(r.right - r.left, 400) << "the display child (PIC_WITE) is the topmost child";
    EXPECT_FALSE(IsWindowEnabled(top));

    int children = 0;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) ++children;
    EXPECT_EQ(children, 25);

    const struct { int id; LONG x, y, w, h; } placed[] = {
        {701, 230, 222, 48, 20}, {702, 284, 222, 78, 20}, {703, 368, 222, 20, 20}, {710, 92, 223, 70, 20},
        {711, 15, 193, 16, 16},  {713, 67, 193, 16, 16},  {719, 67, 225, 16, 16},  {721, 100, 182, 257, 35},
        {731, 216, 162, 14, 18}, {732, 168, 222, 60, 20}, {733, 10, 162, 14, 18},  {741, 363, 205, 24, 12},
    };
    for (const auto& p : placed) {
        const RECT pr = Placement(p.id);
        EXPECT_EQ(pr.left, p.x) << p.id;
        EXPECT_EQ(pr.top, p.y) << p.id;
        EXPECT_EQ(pr.right - pr.left, p.w) << p.id;
        EXPECT_EQ(pr.bottom - pr.top, p.h) << p.id;
    }
    EXPECT_EQ(SendMessageA(Control(715), BM_GETCHECK, 0, 0), BST_CHECKED) << "placement 5 by default";
    EXPECT_EQ(SendMessageA(Control(731), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

// "Rock & Roll" on the photos reads "Rock & Roll" in the field too, not "Rock _Roll".
TEST_F(MainWindow, ThePhotoTextFieldShowsAnAmpersandAsItIs)
{
    Create();
    EXPECT_TRUE(GetWindowLongA(Control(721), GWL_STYLE) & SS_NOPREFIX);
}

TEST_F(MainWindow, EscBelongsToOtherProgramsWhileNoRunGoes)
{
    Create();
    EXPECT_TRUE(RegisterHotKey(nullptr, 0x2222, 0, VK_ESCAPE)) << "the window must not hold Esc for its whole life";
    UnregisterHotKey(nullptr, 0x2222);
}

TEST_F(MainWindow, FirstPaintShowsTheValuesAndTheDragHintInWhite)
{
    Create();
    EXPECT_EQ(WindowState.MaxPixShown, 901);
    EXPECT_EQ(WindowState.ProtsShown, 82);
    const TextInk ink = StatusInk();
    EXPECT_GT(ink.white, 150) << "drag hint in white";
    EXPECT_EQ(ink.blue, 0);
    EXPECT_LT(LitShare({119, 4, 199, 84}, 1), 0.05) << "no lit dial";

    // The folder number is drawn in black only once a run folder exists.
    ResourceBitmap bg1(L"BG1");
    int changed = 0;
    for (int y = 30; y < 56; ++y)
        for (int x = 340; x < 384; ++x) changed += Pixel(x, y) != bg1.At(x, y);
    EXPECT_EQ(changed, 0) << "no run folder yet, no number";
    Folders.iOutSubfolderNo = 7;
    Folders.OutSubfolder = "007";
    Repaint();
    changed = 0;
    for (int y = 30; y < 56; ++y)
        for (int x = 340; x < 384; ++x) changed += Pixel(x, y) != bg1.At(x, y);
    EXPECT_GT(changed, 30) << "\"007\" on the folder";
}

struct HoverRow {
    const char* what;
    int x, y;
    int zone;
    Rect lit;  // the lit cut-out's area, empty for none
    int shift;
};

TEST_F(MainWindow, HoveringEachZoneLightsItsCutOut)
{
    Create();
    const HoverRow rows[] = {
        {"size dial", 150, 50, 1, {119, 4, 199, 84}, 1},
        {"quality dial", 260, 30, 2, {225, 0, 295, 70}, 1},
        {"result folder", 350, 30, 3, {331, 8, 391, 58}, 1},
        {"reset corner", 14, 100, 5, {2, 88, 26, 114}, 0},
        {"band", 100, 130, 6, {}, 0},
        {"last-result corner", 40, 40, 7, {}, 0},
        {"panel toggle", 318, 10, 11, {304, 2, 334, 18}, 0},
        {"between the dials", 210, 50, 0, {}, 0},
    };
    for (const HoverRow& r : rows) {
        Move(5, 100);  // nowhere first, so each row starts unlatched
        SendMessageA(window, WM_MOUSELEAVE, 0, 0);
        Move(r.x, r.y);
        EXPECT_EQ(WindowState.iHoverZone, r.zone) << r.what;
        if (r.lit.right > 0) {
            EXPECT_GT(LitShare(r.lit, r.shift), 0.95) << r.what << " is lit";
        }
        for (const Rect& other : {Rect{119, 4, 199, 84}, Rect{225, 0, 295, 70}, Rect{331, 8, 391, 58}}) {
            if (other.left != r.lit.left) {
                EXPECT_LT(LitShare(other, 1), 0.05) << r.what << ": nothing else lit";
            }
        }
    }
}

TEST_F(MainWindow, SizeDialDownIntoTheBandTickX200ClickSaves880)
{
    Create();
    Move(150, 50);
    Move(150, 130);
    EXPECT_EQ(WindowState.iHoverZone, 8);
    Tick(kTimerSlide);
    Move(200, 130);
    EXPECT_EQ(WindowState.MaxPixShown, 880);
    const TextInk sliding = StatusInk();
    EXPECT_GT(sliding.blue, 150) << "the sliding hint is blue";
    EXPECT_LT(sliding.white, 20);
    EXPECT_GT(LitShare({119, 4, 199, 84}, 1), 0.95) << "size dial stays lit while sliding";
    Click();
    EXPECT_EQ(Settings.MaxPix, 880);
}

TEST_F(MainWindow, CandidateLeavesTheScreenWithTheMouse)
{
    Create();
    Move(260, 30);
    Move(260, 130);
    Tick(kTimerSlide);
    Move(395, 130);
    EXPECT_EQ(WindowState.ProtsShown, 100);
    Move(260, 100);
    EXPECT_EQ(WindowState.ProtsShown, 82);
    EXPECT_EQ(Settings.Prots, 82);
    EXPECT_EQ(WindowState.iSelectorLit, 0);
}

TEST_F(MainWindow, MouseLeaveForgetsHoverAndLatch)
{
    Create();
    Move(150, 50);
    SendMessageA(window, WM_MOUSELEAVE, 0, 0);
    EXPECT_EQ(WindowState.iHoverZone, 0);
    EXPECT_EQ(WindowState.iLatchedZone, 0);
    EXPECT_EQ(WindowState.iSelectorLit, 0);
    EXPECT_GT(StatusInk().white, 150) << "back to the white hint";
}

TEST_F(MainWindow, PanelToggleOpensTo250AndCloseButtonBackTo160)
{
    Create();
    Move(318, 10);
    Click();
    EXPECT_EQ(WindowState.iPanelOpen, 1);
    EXPECT_EQ(ClientSize().cy, 250);
    EXPECT_EQ(ClientSize().cx, 400);

    SendMessageA(Control(703), BM_CLICK, 0, 0);
    EXPECT_EQ(WindowState.iPanelOpen, 0);
    EXPECT_EQ(ClientSize().cy, 160) << "X closes to the same client area as the toggle, status line whole";
    EXPECT_EQ(ClientSize().cx, 400);

    Move(318, 10);
    Click();
    Click();
    EXPECT_EQ(ClientSize().cy, 160) << "the toggle closes too";
}

TEST_F(MainWindow, ShowTextBoxSwitchesExactlyTheSixteenTextControls)
{
    Create();
    const int text[] = {721, 732, 701, 702, 711, 712, 713, 714, 715, 716, 717, 718, 719, 710, 741, 751};
    const int always[] = {703, 731, 733};
    for (int id : text) EXPECT_FALSE(IsWindowEnabled(Control(id))) << id << " off while TrProtext is 0";
    for (int id : always) EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;

    SendMessageA(Control(731), BM_CLICK, 0, 0);
    EXPECT_EQ(Settings.TrProtext, 1);
    for (int id : text) EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;
    SendMessageA(Control(731), BM_CLICK, 0, 0);
    EXPECT_EQ(Settings.TrProtext, 0);
    for (int id : text) EXPECT_FALSE(IsWindowEnabled(Control(id))) << id;
    for (int id : always) EXPECT_TRUE(IsWindowEnabled(Control(id))) << id;
}

TEST_F(MainWindow, PanelChoicesReachTheSettings)
{
    Settings.TrProtext = 1;
    Create();
    SendMessageA(Control(713), BM_CLICK, 0, 0);
    EXPECT_EQ(Settings.iTrProtextN, 3);
    EXPECT_EQ(SendMessageA(Control(715), BM_GETCHECK, 0, 0), BST_UNCHECKED) << "one radio group";
    SendMessageA(Control(710), BM_CLICK, 0, 0);
    EXPECT_EQ(Settings.iTrProtextN, 10);
    EXPECT_EQ(SendMessageA(Control(713), BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageA(Control(732), BM_CLICK, 0, 0);
    EXPECT_EQ(Settings.iTrProtextNoResize, 1);
    SendMessageA(Control(733), BM_CLICK, 0, 0);
    EXPECT_EQ(Settings.iTrSaveFileName, 1);
}

TEST_F(MainWindow, FolderAndBandClicksOpenTheirFolders)
{
    Create();
    Move(350, 30);
    Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "Сообщение|Варбо сначала должна поработать...   ");
    EXPECT_TRUE(launches.empty());

    Folders.iOutSubfolderNo = 4;
    Folders.OutSubfolder = "004";
    Click();
    RightClick();
    Move(100, 130);
    Click();
    ASSERT_EQ(launches.size(), 3u);
    EXPECT_NE(launches[0].find("Varbo_Photo\\004"), std::string::npos) << launches[0];
    EXPECT_NE(launches[1].find("Фото"), std::string::npos) << "right click opens the source folder: " << launches[1];
    EXPECT_NE(launches[2].find("Varbo_Photo"), std::string::npos) << launches[2];
    // Not the run folder: the temporary folder's own name may hold "004" (it carries the process id).
    EXPECT_EQ(launches[2].find("Varbo_Photo\\004"), std::string::npos) << launches[2];
}

TEST_F(MainWindow, MissingLastResultGivesANoteForFourTicks)
{
    Settings.LastVarbo = temp / "gone.jpg";
    Create();
    Move(40, 40);
    Click();
    EXPECT_TRUE(launches.empty());
    EXPECT_EQ(WindowState.NoteText, "Файл Варбо ещё не создан....");
    EXPECT_EQ(WindowState.iNoteTicks, 4);
    EXPECT_GT(StatusInk().white, 100) << "the note is painted";
    for (int i = 0; i < 4; ++i) Tick(kTimerNotes);
    EXPECT_EQ(WindowState.iNoteTicks, 0);

    ASSERT_TRUE(WriteBytes(temp / "there.jpg", "x"));
    Settings.LastVarbo = temp / "there.jpg";
    Click();
    ASSERT_FALSE(launches.empty()) << "an existing result is opened";
}

TEST_F(MainWindow, CornerResetsAChangedSizeThenAsksAboutTheRemoval)
{
    Settings.MaxPix = 1000;
    Settings.Prots = 60;
    Settings.Protext = "моя надпись";
    Settings.Color = 255;
    Create();
    Move(14, 100);
    Click();
    EXPECT_EQ(Settings.MaxPix, 901);
    EXPECT_EQ(Settings.Prots, 82);
    EXPECT_EQ(WindowState.MaxPixShown, 901);
    EXPECT_EQ(Settings.Protext, "моя надпись");
    EXPECT_EQ(Settings.Color, 255);
    EXPECT_TRUE(boxes.empty());

    Move(15, 100);
    Click();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].rfind("Вопрос|", 0), 0u) << boxes[0];
    EXPECT_TRUE(IsWindow(window)) << "answered no: the program goes on";
    EXPECT_EQ(WindowState.iRemoved, 0);
}

TEST_F(MainWindow, ConfirmedRemovalEndsWithoutWritingTheSettings)
{
    SetMessageBoxHook([](const std::string&, const std::string&, unsigned) { return kAnswerYes; });
    Create();
    Move(14, 100);
    Click();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(WindowState.iRemoved, 1) << "start-up then writes no settings";
}

TEST_F(MainWindow, ProgressPaintsTheRedLineAndIgnoresTheMouse)
{
    Create();
    WindowState.iProgress = 3;
    WindowState.iTotalFiles = 10;
    Repaint();
    // The text runs over the line in places; count the red that shows.
    auto redBetween = [this](int from, int to) {
        int red = 0;
        for (int x = from; x < to; ++x) {
            const uint32_t c = Pixel(x, 130);
            red += Red(c) > 200 && Green(c) < 60 && Blue(c) < 60;
        }
        return red;
    };
    EXPECT_GT(redBetween(24, 283), 150) << "file 3: from x 24 to 282";
    EXPECT_EQ(redBetween(284, 399), 0) << "nothing past 282 (the back buffer is 399 wide)";
    EXPECT_EQ(redBetween(0, 24), 0);
    Move(150, 50);
    EXPECT_EQ(WindowState.iHoverZone, 0) << "mouse frozen during a run";

    WindowState.iProgress = kProgressDoneWithPictures;
    Tick(kTimerRunEnd);
    EXPECT_EQ(WindowState.iProgress, 0);
}

TEST_F(MainWindow, ANoteOutlivesPaintsFromTheSystem)
{
    Create();
    ShowNote(WindowState, "Этот файл не подходит...", kNoteTicks);
    Repaint();
    const int inkWithNote = StatusInk().white;
    // The system repaints (the window uncovered, shown again): the note stays.
    for (int i = 0; i < 3; ++i) RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(WindowState.iNoteTicks, kNoteTicks);
    EXPECT_EQ(StatusInk().white, inkWithNote);
    for (int i = 0; i < kNoteTicks; ++i) Tick(kTimerNotes);
    EXPECT_NE(StatusInk().white, inkWithNote) << "the hint is back once the note's time is up";
}

TEST_F(MainWindow, AHugeNoteIsCutNotOverrun)
{
    Create();
    std::string typed;
    for (int i = 0; i < 3000; ++i) typed += "Ё";
    ShowNote(WindowState, typed, kNoteTicks);
    Repaint();
    EXPECT_LE(WindowState.NoteText.size(), 1023u);
    EXPECT_GT(StatusInk().white, 100);
}

TEST_F(MainWindow, OpenPanelTakesThePhotoTextEveryNotesTick)
{
    Create();
    std::string longText;
    for (int i = 0; i < 600; ++i) longText += "щ";
    Settings.Protext = longText;
    Move(318, 10);
    Click();
    Tick(kTimerNotes);
    char shown[2048] = {};
    GetWindowTextA(Control(721), shown, sizeof shown);
    EXPECT_EQ(std::string(shown), longText.substr(0, 1000)) << "the field holds at most 500 characters";
}

TEST_F(MainWindow, WheelMinimises)
{
    Create();
    ShowWindow(window, SW_SHOWNOACTIVATE);
    SendMessageA(window, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    EXPECT_TRUE(IsIconic(window));
}

TEST_F(MainWindow, DestroyEndsTheLoop)
{
    Create();
    DestroyWindow(window);
    MSG msg;
    bool quit = false;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) quit = quit || msg.message == WM_QUIT;
    EXPECT_TRUE(quit);
}

} // namespace
