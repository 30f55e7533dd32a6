// The GDI and USER object counts of the run log: they must move with the
// objects this process makes and frees, whichever way the system counts them.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "common/gui_objects_win.h"
#include "common/owners_win.h"

TEST(GuiObjects, CountsFollowObjectsMadeAndFreed)
{
    const GuiObjectCounts before = CountGuiObjects();
    ASSERT_GE(before.gdi, 0);
    ASSERT_GE(before.user, 0);
    {
        std::vector<GdiObject<HBRUSH>> brushes;
        for (int i = 0; i < 7; ++i) brushes.emplace_back(CreateSolidBrush(RGB(i, 2, 3)));
        GdiObject<HBITMAP> bitmap(CreateBitmap(8, 8, 1, 32, nullptr));
        const HWND window = CreateWindowExA(0, "STATIC", "x", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window, nullptr);
        const GuiObjectCounts during = CountGuiObjects();
        EXPECT_EQ(during.gdi, before.gdi + 8);
        EXPECT_GE(during.user, before.user + 1);
        DestroyWindow(window);
    }
    const GuiObjectCounts after = CountGuiObjects();
    EXPECT_EQ(after.gdi, before.gdi);
    EXPECT_EQ(after.user, before.user);
}
