// The real main window on scaled monitors (96, 144 and 192 dpi). Wine reads
// the prefix's LogPixels when a process starts, so each scale runs the
// DISABLED_ScaledWindowAt tests in a child process of this program started
// after the value is set; the value is put back afterwards.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "resource_ids.h"
#include "common/owners_win.h"
#include "common/state.h"
#include "ui/main_window_win.h"
#include "ui/photo_text_flows_win.h"
#include "ui/window_state.h"
#include "ui_test_window.h"

namespace {

constexpr const char* kDpiVariable = "VARBO_TEST_DPI";

// HKCU\Control Panel\Desktop LogPixels for as long as the object lives.
class LogPixels {
public:
    explicit LogPixels(DWORD dpi)
    {
        if (RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                            key_.out(), nullptr) != ERROR_SUCCESS)
            return;
        DWORD size = sizeof old_;
        had_ = RegQueryValueExA(key_.get(), "LogPixels", nullptr, nullptr, reinterpret_cast<BYTE*>(&old_), &size) ==
               ERROR_SUCCESS;
        set_ = RegSetValueExA(key_.get(), "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi) ==
               ERROR_SUCCESS;
    }
    ~LogPixels()
    {
        if (!key_) return;
        if (had_) RegSetValueExA(key_.get(), "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&old_), sizeof old_);
        else RegDeleteValueA(key_.get(), "LogPixels");
    }
    LogPixels(const LogPixels&) = delete;
    LogPixels& operator=(const LogPixels&) = delete;
    bool ok() const { return set_; }

private:
    RegKey key_;
    DWORD old_ = 0;
    bool had_ = false, set_ = false;
};

// This program again, running the scaled tests at `dpi`: its exit code.
DWORD RunScaledTestsAt(int dpi)
{
    LogPixels pixels(static_cast<DWORD>(dpi));
    EXPECT_TRUE(pixels.ok());
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string command = std::string("\"") + exe + "\" --gtest_also_run_disabled_tests --gtest_filter=DISABLED_ScaledWindowAt.*";
    SetEnvironmentVariableA(kDpiVariable, std::to_string(dpi).c_str());
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    const BOOL started = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    SetEnvironmentVariableA(kDpiVariable, nullptr);
    if (!started) return 255;
    const FileHandle process(pi.hProcess), thread(pi.hThread);
    DWORD code = 254;
    if (WaitForSingleObject(process.get(), 120000) == WAIT_OBJECT_0) GetExitCodeProcess(process.get(), &code);
    return code;
}

TEST(ScaledWindow, LayoutAndZonesAt96And144And192Dpi)
{
    for (int dpi : {96, 144, 192}) EXPECT_EQ(RunScaledTestsAt(dpi), 0u) << "the scaled tests at " << dpi << " dpi";
}

// A move to a monitor of 200 %, as the system announces it: the window takes
// the suggested place, and everything inside is laid out for 192 dpi.
TEST(ScaledWindow, MovingToAnotherDpiLaysTheWindowOutAgain)
{
    Settings = SettingsRecord{};
    WindowState = WindowStateRecord{};
    TestMainWindow window;
    ASSERT_NE(window.get(), nullptr);
    ShowWindow(window.get(), SW_SHOWNOACTIVATE);
    RECT suggested{120, 80, 120 + 820, 80 + 370};
    SendMessageA(window.get(), WM_DPICHANGED, MAKEWPARAM(192, 192), reinterpret_cast<LPARAM>(&suggested));

    RECT outer{}, client{}, test{};
    GetWindowRect(window.get(), &outer);
    GetClientRect(window.get(), &client);
    EXPECT_EQ(outer.left, 120);
    EXPECT_EQ(outer.top, 80);
    EXPECT_EQ(client.right, 800);
    EXPECT_EQ(client.bottom, 320);
    GetWindowRect(GetDlgItem(window.get(), kIdTestButton), &test);
    MapWindowPoints(nullptr, window.get(), reinterpret_cast<POINT*>(&test), 2);
    EXPECT_EQ(test.left, 460);
    EXPECT_EQ(test.bottom, 484);
    SendMessageA(window.get(), WM_MOUSEMOVE, 0, MAKELPARAM(240, 100));
    EXPECT_EQ(WindowState.iHoverZone, 1) << "the size dial's left edge in physical pixels";
    RequestRepaint(window.get());
    uint32_t argb = 0;
    EXPECT_TRUE(MainWindowPixel(window.get(), 798, 319, argb)) << "the picture is composed at 800 x 320";

    // And back to 100 %.
    RECT back{120, 80, 120 + 410, 80 + 190};
    SendMessageA(window.get(), WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&back));
    GetClientRect(window.get(), &client);
    EXPECT_EQ(client.right, 400);
    EXPECT_EQ(client.bottom, 160);
}

// ---- In the child process, at the DPI it was started for.

int ChildDpi()
{
    char value[8] = {};
    return GetEnvironmentVariableA(kDpiVariable, value, sizeof value) ? atoi(value) : 0;
}

class DISABLED_ScaledWindowAt : public testing::Test {
protected:
    void SetUp() override
    {
        dpi = ChildDpi();
        ASSERT_NE(dpi, 0) << "runs in the child of ScaledWindow";
        Settings = SettingsRecord{};
        WindowState = WindowStateRecord{};
        ASSERT_NE(window.get(), nullptr);
        ShowWindow(window.get(), SW_SHOWNOACTIVATE);  // only a shown window is painted
    }
    SIZE ClientSize() const
    {
        RECT r{};
        GetClientRect(window.get(), &r);
        return {r.right - r.left, r.bottom - r.top};
    }
    RECT ChildRect(HWND child) const
    {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, window.get(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    void Move(int x, int y) { SendMessageA(window.get(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y)); }
    int dpi = 0;
    TestMainWindow window;
};

// Sizes worked out by hand: 400 x 160 and 250 at 100, 150 and 200 %.
struct ScaleRow {
    int dpi;
    SIZE closed;
    int openHeight;
    RECT testButton;  // "Тест": 230, 222, 48 x 20 logical
    SIZE editorButton;  // the photo-text editor's bitmap buttons, 120 x 40 at 96 dpi
};
constexpr ScaleRow kScales[] = {
    {96, {400, 160}, 250, {230, 222, 278, 242}, {120, 40}},
    {144, {600, 240}, 375, {345, 333, 417, 363}, {180, 60}},
    {192, {800, 320}, 500, {460, 444, 556, 484}, {240, 80}},
};

TEST_F(DISABLED_ScaledWindowAt, ClientAreaAndPanelScaleWithTheMonitor)
{
    const ScaleRow* row = nullptr;
    for (const ScaleRow& r : kScales) {
        if (r.dpi == dpi) row = &r;
    }
    ASSERT_NE(row, nullptr);
    // Wine 8 knows "PerMonitor" of the manifest's list, Windows 10 1703 on "PerMonitorV2": per monitor either way.
    EXPECT_EQ(GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(window.get())), DPI_AWARENESS_PER_MONITOR_AWARE)
        << "the manifest asks for per-monitor awareness";
    EXPECT_EQ(static_cast<int>(GetDpiForWindow(window.get())), dpi) << "the window's DPI comes from LogPixels";
    EXPECT_EQ(ClientSize().cx, row->closed.cx);
    EXPECT_EQ(ClientSize().cy, row->closed.cy);
    const RECT test = ChildRect(GetDlgItem(window.get(), kIdTestButton));
    EXPECT_TRUE(EqualRect(&test, &row->testButton))
        << "\"Тест\" at " << test.left << ", " << test.top << " - " << test.right << ", " << test.bottom;

    // The panel toggle at its centre (319, 10 logical), then a click opens the panel.
    Move(319 * dpi / 96, 10 * dpi / 96);
    EXPECT_EQ(WindowState.iHoverZone, 11);
    SendMessageA(window.get(), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    EXPECT_EQ(ClientSize().cx, row->closed.cx);
    EXPECT_EQ(ClientSize().cy, row->openHeight);

    // The whole picture area is composed: the last physical pixel, not one more.
    RequestRepaint(window.get());
    uint32_t argb = 0;
    EXPECT_TRUE(MainWindowPixel(window.get(), row->closed.cx - 2, row->closed.cy - 1, argb));
    EXPECT_FALSE(MainWindowPixel(window.get(), row->closed.cx, 0, argb));

    // The editor's dialog grows with its font; its bitmap buttons grow with it.
    SIZE save{}, close{};
    DialogDriver driver([&](HWND dialog) {
        for (auto [id, size] : {std::pair{IDC_PROTEXT_SAVE, &save}, std::pair{IDC_PROTEXT_CLOSE, &close}}) {
            RECT r{};
            GetWindowRect(GetDlgItem(dialog, id), &r);
            *size = {r.right - r.left, r.bottom - r.top};
        }
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    OpenPhotoTextEditor(window.get());
    ASSERT_TRUE(driver.acted());
    for (SIZE got : {save, close})
        EXPECT_TRUE(got.cx == row->editorButton.cx && got.cy == row->editorButton.cy) << got.cx << " x " << got.cy;
}

TEST_F(DISABLED_ScaledWindowAt, ZonesInPhysicalPixelsAt192Dpi)
{
    if (dpi != 192) return;  // the other scales only check the layout
    struct Row { const char* rule; int x, y, zone; };
    const Row rows[] = {
        {"size dial's left edge, logical 120", 240, 100, 1},
        {"one physical pixel left of it", 239, 100, 0},
        {"quality dial", 500, 60, 2},
        {"result folder", 700, 60, 3},
        {"reset corner's top left", 4, 176, 5},
        {"left of the reset corner", 3, 176, 0},
        {"band's top row, logical 111", 200, 222, 6},
        {"just above the band", 200, 221, 0},
        {"band's bottom row, logical 153", 200, 307, 6},
        {"below the band: the photo-text strip", 200, 308, 0},
        {"last-result corner's far pixel", 159, 159, 7},
        {"panel toggle", 620, 10, 11},
        {"right edge of the toggle, in the folder", 668, 20, 3},
        {"button \"Тест\", inside its border", 508, 464, 21},
        {"photo-text field", 400, 400, 26},
    };
    for (const Row& r : rows) {
        Move(10, 200);  // nowhere first
        Move(r.x, r.y);
        EXPECT_EQ(WindowState.iHoverZone, r.zone) << r.rule << " (" << r.x << ", " << r.y << ")";
    }
    Move(200, 320);
    EXPECT_EQ(WindowState.iDropOnText, 1) << "y 160 logical is the photo-text strip";
    Move(200, 309);
    EXPECT_EQ(WindowState.iDropOnText, 0) << "y 154 logical is not";
}

} // namespace
