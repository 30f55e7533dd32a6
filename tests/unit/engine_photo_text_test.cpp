#include <gtest/gtest.h>

#include "engine/photo_text.h"

namespace {

TEST(PlaceText, GridCodesAndMargins)
{
    struct Case {
        int mode, align, lineAlign;
    };
    const Case cases[] = {
        {1, kAlignNear, kAlignNear},   {2, kAlignCentre, kAlignNear},   {3, kAlignFar, kAlignNear},
        {4, kAlignNear, kAlignCentre}, {5, kAlignCentre, kAlignCentre}, {6, kAlignFar, kAlignCentre},
        {7, kAlignNear, kAlignFar},    {8, kAlignCentre, kAlignFar},    {9, kAlignFar, kAlignFar},
        {10, kAlignNear, kAlignNear},  {11, kAlignCentre, kAlignCentre}, {-3, kAlignCentre, kAlignCentre},
    };
    for (const Case& c : cases) {
        TextPlacement p;
        ASSERT_TRUE(PlaceText(c.mode, 901, 675, p)) << "mode " << c.mode;
        EXPECT_EQ(p.align, c.align) << "mode " << c.mode;
        EXPECT_EQ(p.lineAlign, c.lineAlign) << "mode " << c.mode;
        EXPECT_FLOAT_EQ(p.x, 20);
        EXPECT_FLOAT_EQ(p.y, 24);
        EXPECT_FLOAT_EQ(p.width, 861);
        EXPECT_FLOAT_EQ(p.height, 627);
    }
    TextPlacement none;
    EXPECT_FALSE(PlaceText(0, 901, 675, none));
}

TEST(Stripes, LineAndFourBands)
{
    const std::string line = StripeLine("abc");
    EXPECT_EQ(line.size(), 512u) << "3 characters and a blank, 128 times";
    EXPECT_EQ(line.substr(0, 8), "abc abc ");
    // Cyrillic counts by characters, not bytes: "Тест" is 4 characters, 102 repetitions (510 characters).
    const std::string cyrillic = StripeLine("Тест");
    EXPECT_EQ(cyrillic.size(), 102u * (8 + 1));

    // height 675: band (675 - 40) / 3 = 211
    auto bands = StripeLayout(901, 675);
    EXPECT_FLOAT_EQ(bands[0].x, -100);
    EXPECT_FLOAT_EQ(bands[0].width, 20901);
    EXPECT_FLOAT_EQ(bands[0].height, 211);
    EXPECT_FLOAT_EQ(bands[0].y, 20);
    EXPECT_EQ(bands[0].lineAlign, kAlignNear);
    EXPECT_FLOAT_EQ(bands[1].y, 20);
    EXPECT_EQ(bands[1].lineAlign, kAlignFar);
    EXPECT_FLOAT_EQ(bands[2].y, 442);
    EXPECT_EQ(bands[2].lineAlign, kAlignNear);
    EXPECT_FLOAT_EQ(bands[3].y, 442);
    EXPECT_EQ(bands[3].lineAlign, kAlignFar);
}

TEST(DateMarker, EachPictureGetsItsOwnDate)
{
    EXPECT_EQ(FormatFileDate(5, 3, 2024, 14, 7, true), "05.03.2024");
    EXPECT_EQ(FormatFileDate(5, 3, 2024, 14, 7, false), "05.03.2024  14:07");

    bool askedDateOnly = false;
    auto date = [&](bool dateOnly) -> std::optional<std::string> {
        askedDateOnly = dateOnly;
        return std::string(dateOnly ? "05.03.2024" : "05.03.2024  14:07");
    };
    EXPECT_EQ(PreparePictureText("Снято _Date_", date), "05.03.2024") << "the whole text becomes the date";
    EXPECT_TRUE(askedDateOnly);
    EXPECT_EQ(PreparePictureText("_Date_Time_", date), "05.03.2024  14:07");
    EXPECT_FALSE(askedDateOnly);
    EXPECT_EQ(PreparePictureText("_date_", date), "_date_") << "the marker is case-sensitive";
    auto unreadable = [](bool) -> std::optional<std::string> { return std::nullopt; };
    EXPECT_EQ(PreparePictureText("x _Date_", unreadable), "x _Date_") << "an unopenable source keeps the text";
}

} // namespace

namespace {

TEST(TextColourArgb, RedIsTheLowByteAndAlphaIs200)
{
    EXPECT_EQ(TextColourArgb(-1), 0xC8FFFFFFu) << "the start colour is white";
    EXPECT_EQ(TextColourArgb(0x0040C0FF), 0xC8FFC040u) << "amber: red FF, green C0, blue 40";
    EXPECT_EQ(TextColourArgb(0x00FF0000), 0xC80000FFu) << "blue";
}

} // namespace
