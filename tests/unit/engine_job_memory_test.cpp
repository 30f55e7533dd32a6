// What one picture job is expected to take at its peak, from its header.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/job_memory.h"
#include "imaging/jpeg_io.h"

namespace {

constexpr uint64_t kMB = 1024 * 1024;

TEST(EstimateJobPeakBytes, FromTheHeader)
{
    struct Row {
        const char* rule;
        PictureHeaderFacts facts;
        uint64_t fileBytes;
        uint64_t expected;
    } rows[] = {
        // 901 x 600 result (1 621 800 bytes); 1.25 x 901 = 1126 px kept on both sides: 2/8 would
        // leave 1000, so decoded at 3/8, 2250 x 1500 (10 125 000), three times.
        {"baseline 24 MP JPEG", {true, true, false, 6000, 4000}, 10 * kMB, 10 * kMB + 30'375'000 + 1'621'800},
        {"progressive: the coefficients too", {true, true, true, 6000, 4000}, 10 * kMB,
         10 * kMB + 72'000'000 + 30'375'000 + 1'621'800},
        // 901 x 675 result (1 824 525); decoded whole (36 000 000) three times, GDI+'s 32-bit copy (48 000 000).
        {"PNG through GDI+", {true, false, false, 4000, 3000}, 20 * kMB, 20 * kMB + 48'000'000 + 108'000'000 + 1'824'525},
        // 48 MP HEIC: planes at full size three times over (8064 x 6048 x 9 = 438 939 648), reduced
        // by 4 on the way to BGR (2016 x 1512 x 3 = 9 144 576, three times), 901 x 675 result.
        {"HEVC decodes at full size", {true, false, false, 8064, 6048, true}, 5 * kMB,
         5 * kMB + 438'939'648 + 27'433'728 + 1'824'525},
        {"a header that says nothing", {}, 1 * kMB, 10 * kMB + 64 * kMB},
    };
    for (const Row& r : rows) EXPECT_EQ(EstimateJobPeakBytes(r.facts, r.fileBytes, 901), r.expected) << r.rule;
}

TEST(FactsFromHead, JpegPngAndTooLittle)
{
    Image img;
    ASSERT_TRUE(img.Allocate(64, 48));
    std::vector<uint8_t> jpeg;
    ASSERT_TRUE(EncodeJpeg(img, 80, jpeg));
    PictureHeaderFacts f = FactsFromHead(jpeg.data(), jpeg.size());
    EXPECT_TRUE(f.known && f.jpeg && !f.progressive);
    EXPECT_EQ(f.width, 64);
    EXPECT_EQ(f.height, 48);
    EXPECT_FALSE(FactsFromHead(jpeg.data(), 20).known) << "a head that ends before the frame header";

    const std::string png("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x0f\xa0\0\0\x0b\xb8\x08\x02\0\0\0", 29);
    f = FactsFromHead(reinterpret_cast<const uint8_t*>(png.data()), png.size());
    EXPECT_TRUE(f.known && !f.jpeg);
    EXPECT_EQ(f.width, 4000);
    EXPECT_EQ(f.height, 3000);

    // ftyp "heic", then the meta box: the primary image's ispe, sides swapped by its quarter turn.
    std::ifstream in(std::string(VARBO_SOURCE_DIR) + "/tests/data/heif/turned-90.heic", std::ios::binary);
    const std::vector<uint8_t> heic(std::istreambuf_iterator<char>(in), {});
    f = FactsFromHead(heic.data(), heic.size());
    EXPECT_TRUE(f.known && f.heif && !f.jpeg);
    EXPECT_EQ(f.width, 48);
    EXPECT_EQ(f.height, 64);
}

TEST(BatchMemoryBudget, HalfTheFreeMemoryWithinBounds)
{
    EXPECT_EQ(BatchMemoryBudget(100 * kMB), 256 * kMB);
    EXPECT_EQ(BatchMemoryBudget(2000 * kMB), 1000 * kMB);
    EXPECT_EQ(BatchMemoryBudget(64000 * kMB), 2048 * kMB);
}

} // namespace
