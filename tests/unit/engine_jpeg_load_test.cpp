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
