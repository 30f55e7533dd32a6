// A JPEG source loaded for a job: a picture that cannot be stood upright fails
// instead of being saved on its side, stretched to the upright size.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/jpeg_load.h"
#include "imaging/jpeg_io.h"

TEST(LoadJpeg, APictureThatCannotBeTurnedFails)
{
    Image img;
    ASSERT_TRUE(img.Allocate(400, 300));
    std::vector<uint8_t> encoded;
    ASSERT_TRUE(EncodeJpeg(img, 90, encoded));
    const std::string jpeg(encoded.begin(), encoded.end());
    Image out;
    ASSERT_TRUE(LoadJpeg(jpeg, 200, false, out));
    EXPECT_FALSE(LoadJpeg(jpeg, 200, false, out, 1, [](Image&, int) { return false; }));  // memory ran out
    EXPECT_TRUE(out.Empty());
}

TEST(JpegDecodeMinimum, TheDctScaleKeepsAQuarterOverTheTarget)
{
    // 1.25 times the target on both sides, in the stored orientation; worked out by hand.
    struct Row {
        const char* rule;
        int storedWidth, storedHeight;
        bool turned;
        Size2 target;
        int scale;  // M/8
    } rows[] = {
        // 1126 x 703 kept: 3/8 would be 960 wide, 4/8 is 1280 x 800.
        {"4 MP wallpaper to 901: 4/8", 2560, 1600, false, {901, 563}, 4},
        // 1126 x 843 kept: 2/8 would be 1000 wide, 3/8 is 1500 x 1125.
        {"12 MP camera photo to 901: 3/8", 4000, 3000, false, {901, 675}, 3},
        // Upright 901 x 675, stored on its side: 843 x 1126 kept of 3000 x 4000.
        {"a photo stored on its side keeps the margin on its own sides", 3000, 4000, true, {901, 675}, 3},
        // 1126 would be more than the 1000 stored: no reduction in the DCT domain.
        {"a small reduction decodes whole", 1000, 700, false, {901, 630}, 8},
        {"an enlargement decodes whole", 800, 600, false, {901, 675}, 8},
    };
    for (const Row& row : rows) {
        const Size2 minimum = JpegDecodeMinimum(row.storedWidth, row.storedHeight, row.turned, row.target);
        EXPECT_EQ(ChooseDctScale(row.storedWidth, row.storedHeight, minimum.width, minimum.height), row.scale) << row.rule;
    }
}
