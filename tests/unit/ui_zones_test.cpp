// Which zone the mouse is in.
#include <gtest/gtest.h>

#include "ui/zones.h"

namespace {

// The panel as the window lays it out (panel top line 162).
PanelControlRects RealPanel()
{
    PanelControlRects p;
    p.test = {230, 222, 278, 242};
    p.paste = {284, 222, 362, 242};
    p.stripes = {92, 223, 162, 243};
    p.photoText = {100, 182, 357, 217};
    p.colour = {363, 205, 387, 217};
    p.fontIcon = {359, 172, 371, 188};
    p.copy = {168, 222, 228, 242};
    return p;
}

struct ZoneRow {
    const char* rule;
    int x, y;
    int zone;
};

TEST(ClassifyZone, PicturePoints)
{
    const ZoneRow rows[] = {
        {"band spans the full width", 100, 120, 6},
        {"band's top row belongs to it", 0, 111, 6},
        {"band's bottom row belongs to it", 399, 153, 6},
        {"below the band is nothing", 200, 154, 0},
        {"above the band, between the marks, is nothing", 100, 110, 0},
        {"band wins over the reset corner", 20, 112, 6},
        {"reset corner just above the band", 20, 110, 5},
        {"reset corner's top left pixel", 2, 88, 5},
        {"reset corner's right edge is outside", 26, 100, 0},
        {"left of the reset corner is outside", 1, 100, 0},
        {"last-result corner", 60, 60, 7},
        {"last-result corner's far pixel", 79, 79, 7},
        {"x 80 is past the last-result corner", 80, 50, 0},
        {"y 80 is below the last-result corner", 50, 80, 0},
        {"size dial", 150, 50, 1},
        {"size dial's top left pixel", 120, 4, 1},
        {"size dial's bottom right pixel", 199, 83, 1},
        {"size dial's bottom edge is outside", 150, 84, 0},
        {"between the dials: right edge of size excluded, quality starts at 226", 200, 50, 0},
        {"quality dial's top left pixel", 226, 0, 2},
        {"quality dial's bottom right pixel", 295, 69, 2},
        {"quality dial's right edge is outside", 296, 10, 0},
        {"result folder's top left pixel", 332, 8, 3},
        {"result folder's bottom right pixel", 391, 57, 3},
        {"result folder's right edge is outside", 392, 30, 0},
        {"result folder's bottom edge is outside", 350, 58, 0},
        {"panel toggle's top left pixel", 304, 2, 11},
        {"panel toggle's bottom right pixel above the folder", 333, 7, 11},
        {"panel toggle's last column left of the folder", 331, 17, 11},
        {"the folder, tested first, wins where it overlaps the toggle", 333, 17, 3},
        {"panel toggle's right edge is outside", 334, 5, 0},
        {"panel toggle's bottom edge is outside", 320, 18, 0},
    };
    for (const ZoneRow& r : rows)
        EXPECT_EQ(ClassifyZone(r.x, r.y, RealPanel()), r.zone) << r.rule << " at (" << r.x << "," << r.y << ")";
}

TEST(ClassifyZone, PanelPoints)
{
    const ZoneRow rows[] = {
        {"caption of the place group", 30, 181, 23},
        {"caption's last row and column", 69, 199, 23},
        {"caption ends at x 70", 70, 190, 0},
        {"caption ends after y 199", 30, 200, 0},
        {"caption starts at y 181", 30, 180, 0},
        {"inside the test button", 250, 230, 21},
        {"test button's left border belongs to the group", 230, 230, 0},
        {"one pixel inside the test button", 231, 230, 21},
        {"test button's top border belongs to the group", 250, 222, 0},
        {"test button's last inner pixel", 277, 241, 21},
        {"paste button", 300, 230, 22},
        {"stripes radio", 120, 232, 30},
        {"photo-text field", 200, 200, 26},
        {"colour button", 370, 210, 27},
        {"font icon", 365, 180, 28},
        {"copy box", 190, 230, 29},
    };
    for (const ZoneRow& r : rows)
        EXPECT_EQ(ClassifyZone(r.x, r.y, RealPanel()), r.zone) << r.rule << " at (" << r.x << "," << r.y << ")";
}

TEST(ClassifyZone, ControlsCountOnlyFromRow150)
{
    PanelControlRects everywhere;
    everywhere.test = {0, 0, 400, 260};  // a control rectangle over the whole window
    EXPECT_EQ(ClassifyZone(200, 100, everywhere), 0);
    EXPECT_EQ(ClassifyZone(200, 110, everywhere), 0);
    EXPECT_EQ(ClassifyZone(200, 150, everywhere), 6) << "the band still comes first";
    EXPECT_EQ(ClassifyZone(200, 154, everywhere), 21);
    EXPECT_EQ(ClassifyZone(150, 50, everywhere), 1) << "the picture's zones still come first";
}

TEST(ZoneShowsHand, OnlyTheWindowsOwnClickZones)
{
    for (int zone : {3, 5, 6, 7, 11}) EXPECT_TRUE(ZoneShowsHand(zone)) << zone;
    for (int zone : {0, 1, 2, 8, 9, 21, 22, 23, 26, 27, 28, 29, 30}) EXPECT_FALSE(ZoneShowsHand(zone)) << zone;
}

} // namespace
