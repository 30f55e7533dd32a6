// Logical pixels of the window layout against physical pixels of the screen.
#include <gtest/gtest.h>

#include "ui/dpi_scale.h"

namespace {

struct ScaleRow {
    const char* rule;
    int value, dpi;
    int expected;
};

TEST(DpiScale, LogicalToPhysical)
{
    const ScaleRow rows[] = {
        {"100 %: as it is", 400, 96, 400},
        {"150 %: client width", 400, 144, 600},
        {"150 %: closed client height", 160, 144, 240},
        {"150 %: open client height", 250, 144, 375},
        {"200 %: client width", 400, 192, 800},
        {"125 %: a half pixel rounds up", 250, 120, 313},
        {"150 %: odd edge 119 rounds up", 119, 144, 179},
        {"negative halves round away from zero", -3, 144, -5},
        {"no DPI answered counts as 96", 400, 0, 400},
        {"an absurd DPI counts as 96", 400, 100000, 400},
    };
    for (const ScaleRow& r : rows) EXPECT_EQ(ToPhysical(r.value, r.dpi), r.expected) << r.rule;
}

TEST(DpiScale, PhysicalToLogical)
{
    const ScaleRow rows[] = {
        {"100 %: as it is", 239, 96, 239},
        {"200 %: both pixels of logical 120", 240, 192, 120},
        {"200 %: second pixel of logical 120", 241, 192, 120},
        {"200 %: the pixel before is 119", 239, 192, 119},
        {"150 %: 179 lies in logical 119", 179, 144, 119},
        {"150 %: 180 starts logical 120", 180, 144, 120},
        {"left of the client area stays left of it", -1, 192, -1},
        {"the largest mouse word", 65535, 192, 32767},
    };
    for (const ScaleRow& r : rows) EXPECT_EQ(ToLogical(r.value, r.dpi), r.expected) << r.rule;
}

TEST(DpiScale, RectanglesScaleEdgeByEdge)
{
    const ZoneRect test = ToPhysical(ZoneRect{230, 222, 278, 242}, 144);
    EXPECT_EQ(test.left, 345);
    EXPECT_EQ(test.top, 333);
    EXPECT_EQ(test.right, 417);
    EXPECT_EQ(test.bottom, 363);
    const ZoneRect back = ToLogical(ZoneRect{345, 333, 417, 363}, 144);
    EXPECT_EQ(back.left, 230);
    EXPECT_EQ(back.right, 278);
    EXPECT_EQ(back.bottom, 242);
}

TEST(DpiScale, NearestArtworkSet)
{
    const ScaleRow rows[] = {
        {"100 %", 96, 0, 100},
        {"112.5 % is nearer 100", 108, 0, 100},
        {"125 % is a tie: the larger set", 120, 0, 150},
        {"150 %", 144, 0, 150},
        {"175 % is a tie: the larger set", 168, 0, 200},
        {"200 %", 192, 0, 200},
        {"250 %", 240, 0, 250},
        {"300 % takes the largest", 288, 0, 250},
        {"no DPI answered", 0, 0, 100},
    };
    for (const ScaleRow& r : rows) EXPECT_EQ(ArtworkScaleFor(r.value), r.expected) << r.rule;
}

} // namespace
