// The picture engine on real files under Wine: sizes, dpi, names, limits,
// orientation, photo text, hostile input, failed saves.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "app/folders_win.h"
#include "common/files_win.h"
#include "common/folders_win.h"
#include "common/messages.h"
#include "common/owners_win.h"
#include "engine/job_win.h"
#include "engine/output_names.h"
#include "engine/photo_text.h"
#include "engine/photo_text_win.h"
#include "engine/transform_win.h"
#include "imaging/gdiplus_win.h"
#include "imaging/exif.h"
#include "imaging/jpeg_io.h"
#include "temp_folder.h"

namespace {

// A picture with a red block in its top-left corner on a blue-grey gradient.
Image TestPicture(int w, int h, uint8_t base = 0)
{
    Image img;
    img.Allocate(w, h);
    for (int y = 0; y < h; ++y) {
        uint8_t* row = img.Row(y);
        for (int x = 0; x < w; ++x) {
            const bool marker = x < w / 4 && y < h / 4;
            row[3 * x + 0] = marker ? 0 : static_cast<uint8_t>(base ? base : 120 + x * 100 / w);  // blue
            row[3 * x + 1] = marker ? 0 : static_cast<uint8_t>(base ? base : 90);                 // green
            row[3 * x + 2] = marker ? 230 : static_cast<uint8_t>(base ? base : 60 + y * 60 / h);  // red
        }
    }
    return img;
}

std::string Jpeg(const Image& img, int quality = 90)
{
    std::vector<uint8_t> bytes;
    EXPECT_TRUE(EncodeJpeg(img, quality, bytes));
    return std::string(bytes.begin(), bytes.end());
}

// Puts a big-endian EXIF segment with one Orientation entry right after SOI.
std::string WithOrientation(const std::string& jpeg, int orientation)
{
    std::string tiff("MM\0\x2a\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01", 18);
    tiff += static_cast<char>(0);
    tiff += static_cast<char>(orientation);
    tiff += std::string(6, '\0');  // value padding, next IFD 0
    std::string payload = std::string("Exif\0\0", 6) + tiff;
    const size_t length = payload.size() + 2;
    std::string app1 = "\xFF\xE1";
    app1 += static_cast<char>(length >> 8);
    app1 += static_cast<char>(length & 0xFF);
    return jpeg.substr(0, 2) + app1 + payload + jpeg.substr(2);
}

// A 64 x 48 green BMP, drawn by hand.
std::string GreenBmp()
{
    const int w = 64, h = 48, stride = w * 3;
    std::string bmp(54 + stride * h, '\0');
    auto put32 = [&](size_t at, uint32_t v) { for (int i = 0; i < 4; ++i) bmp[at + i] = static_cast<char>(v >> (8 * i)); };
    bmp[0] = 'B', bmp[1] = 'M';
    put32(2, static_cast<uint32_t>(bmp.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    bmp[26] = 1, bmp[28] = 24;
    for (size_t i = 54; i < bmp.size(); i += 3) bmp[i + 1] = '\xC0';
    return bmp;
}

class Engine : public ::testing::Test {
protected:
    void SetUp() override
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        root_ = JoinPath(temp, "varbo_engine_" + std::to_string(GetCurrentProcessId()) + "_" +
                                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_NE(MakeFolderPath(JoinPath(root_, "Varbo_Photo")), 0);
        ASSERT_NE(MakeFolderPath(JoinPath(root_, "data")), 0);
        ASSERT_NE(MakeFolderPath(JoinPath(root_, "src")), 0);
        job_.outputFolder = JoinPath(root_, "Varbo_Photo");
        job_.runFolder = JoinPath(job_.outputFolder, "001");
        SetMessageBoxHook([this](const std::string& text, const std::string& caption, unsigned) {
            boxes_.push_back(caption + "|" + text);
            return kAnswerNo;
        });
    }
    void TearDown() override
    {
        EXPECT_TRUE(boxes_.empty()) << "the engine shows no box; its caller shows the result's message";
        SetMessageBoxHook(nullptr);
        TempFolder::RemoveTree(root_);
    }

    std::string Source(const std::string& name, const std::string& bytes)
    {
        const std::string path = JoinPath(JoinPath(root_, "src"), name);
        EXPECT_TRUE(WriteFileReplacing(path, bytes.data(), bytes.size()));
        return path;
    }
    std::string RunFolder() const { return job_.runFolder; }
    // The fixture's job on one source; the result is kept in last_.
    int Transform(const std::string& source, int size, int quality)
    {
        job_.source = source;
        job_.size = size;
        job_.quality = quality;
        last_ = TransformPicture(job_);
        return last_.made ? 1 : 0;
    }
    static JpegHeader HeaderOf(const std::string& path)
    {
        std::string bytes;
        JpegHeader h;
        EXPECT_TRUE(ReadFileBytes(path, bytes));
        EXPECT_TRUE(ReadJpegHeader(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), h)) << path;
        return h;
    }
    static Image Decoded(const std::string& path)
    {
        std::string bytes;
        Image img;
        EXPECT_TRUE(ReadFileBytes(path, bytes));
        EXPECT_TRUE(DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 1 << 20, 1 << 20, img));
        return img;
    }
    static int Brightness(const Image& img, int x, int y)
    {
        const uint8_t* p = img.Row(y) + 3 * x;
        return (p[0] + p[1] + p[2]) / 3;
    }
    int OutputCount() const
    {
        const std::string names = ListFolder(RunFolder(), true);
        return names.empty() ? 0 : 1 + static_cast<int>(std::count(names.begin(), names.end(), '|'));
    }

    std::string root_;
    PictureJob job_;
    PictureResult last_;
    std::vector<std::string> boxes_;
    GdiplusSession gdiplus_;
};

TEST_F(Engine, SizeRuleDpiAndNumberedNames)
{
    struct Case {
        int w, h, wantW, wantH;
    };
    const Case cases[] = {{4000, 3000, 901, 675}, {3000, 4000, 675, 901}, {1000, 1000, 901, 901}, {300, 200, 901, 600}};
    int number = 0;
    for (const Case& c : cases) {
        const std::string src = Source("pic.jpg", Jpeg(TestPicture(c.w, c.h)));
        ASSERT_EQ(Transform(src, 901, 82), 1) << c.w << "x" << c.h;
        const std::string out = JoinPath(RunFolder(), NumberedOutputName(901, ++number));
        EXPECT_EQ(last_.written, out);
        JpegHeader h = HeaderOf(out);
        EXPECT_EQ(h.width, c.wantW) << c.w << "x" << c.h;
        EXPECT_EQ(h.height, c.wantH) << c.w << "x" << c.h;

        std::string bytes;
        ReadFileBytes(out, bytes);
        ASSERT_GT(bytes.size(), 20u);
        EXPECT_EQ(bytes.substr(6, 5), std::string("JFIF\0", 5));
        EXPECT_EQ(bytes[13], 1) << "density in dots per inch";
        EXPECT_EQ((static_cast<uint8_t>(bytes[14]) << 8) | static_cast<uint8_t>(bytes[15]), 300);
        EXPECT_EQ((static_cast<uint8_t>(bytes[16]) << 8) | static_cast<uint8_t>(bytes[17]), 300);
        // The first quantisation table, right after JFIF, is mozjpeg's: at 82 its last entry
        // is 418 * 36 % = 150, where the standard table's is 99 * 36 % = 36.
        ASSERT_GT(bytes.size(), 90u);
        EXPECT_EQ(bytes.substr(20, 2), "\xFF\xDB");
        EXPECT_EQ(static_cast<uint8_t>(bytes[24 + 64]), 150) << "written by mozjpeg";
    }
    // A deleted number is used again.
    DeleteFileA(JoinPath(RunFolder(), NumberedOutputName(901, 2)).c_str());
    const std::string src = Source("again.jpg", Jpeg(TestPicture(800, 600)));
    ASSERT_EQ(Transform(src, 901, 82), 1);
    EXPECT_EQ(last_.written, JoinPath(RunFolder(), "varbo_901_00002.jpg"));
}

TEST_F(Engine, CopyModeKeepsTheSizeOnlyWithText)
{
    const std::string src = Source("big.jpg", Jpeg(TestPicture(4000, 3000)));
    job_.text.keepSize = true;
    job_.text.mode = 0;
    ASSERT_EQ(Transform(src, 901, 82), 1);
    EXPECT_EQ(HeaderOf(last_.written).width, 901) << "no text: copy mode has no effect";
    job_.text.mode = 5;
    job_.text.text = "Копия";
    ASSERT_EQ(Transform(src, 901, 82), 1);
    JpegHeader h = HeaderOf(last_.written);
    EXPECT_EQ(h.width, 4000);
    EXPECT_EQ(h.height, 3000);
}

TEST_F(Engine, ExifOrientationIsAppliedAndNotCopied)
{
    const std::string src = Source("phone.jpg", WithOrientation(Jpeg(TestPicture(4000, 3000)), 6));
    ASSERT_EQ(Transform(src, 901, 82), 1);
    Image out = Decoded(last_.written);
    ASSERT_EQ(out.width, 675);
    ASSERT_EQ(out.height, 901);
    // Orientation 6: the stored top-left corner is shown at the top right.
    const uint8_t* topRight = out.Row(40) + 3 * (out.width - 40);
    const uint8_t* topLeft = out.Row(40) + 3 * 40;
    EXPECT_GT(topRight[2], 180);
    EXPECT_LT(topRight[0], 60);
    EXPECT_LT(topLeft[2], 150);
    EXPECT_EQ(HeaderOf(last_.written).orientation, 1) << "nothing to keep: no EXIF is written";
}

// A big-endian camera EXIF block: IFD0 (Make, Orientation 6, a GPS IFD pointer and the Exif
// IFD pointer) at 8, its Make text at 62, the Exif IFD (DateTimeOriginal and a serial
// number) at 68, its texts at 98 and 118. `entries0` lets a test make IFD0 lie about its count.
std::string CameraExif(char entries0 = 4)
{
    const std::string tiff = std::string("MM\0\x2a\0\0\0\x08", 8) +
                             std::string("\0", 1) + entries0 +
                             std::string("\x01\x0f\0\x02\0\0\0\x06\0\0\0\x3e"       // Make, 6 bytes at 62
                                         "\x01\x12\0\x03\0\0\0\x01\0\x06\0\0"       // Orientation 6
                                         "\x87\x69\0\x04\0\0\0\x01\0\0\0\x44"       // Exif IFD at 68
                                         "\x88\x25\0\x04\0\0\0\x01\0\0\0\x08"       // GPS IFD
                                         "\0\0\0\0" "Canon\0"
                                         "\0\x02"
                                         "\x90\x03\0\x02\0\0\0\x14\0\0\0\x62"       // DateTimeOriginal, 20 at 98
                                         "\xa4\x31\0\x02\0\0\0\x0b\0\0\0\x76"       // BodySerialNumber, 11 at 118
                                         "\0\0\0\0" "2024:07:13 18:30:05\0" "0560018150\0",
                                         119);
    return std::string("Exif\0\0", 6) + tiff;
}

// The source's date taken and camera reach the output; where and with which camera body it
// was taken do not. (Wine 8's GDI+ and WIC read no EXIF of any JPEG, a camera's own
// included, so the output is read with our reader; exiftool reads it in the end-to-end test.)
TEST_F(Engine, DateTakenAndCameraAreKeptSerialNumbersAndGpsAreNot)
{
    const std::string app1 = CameraExif();
    std::vector<uint8_t> exif(app1.begin(), app1.end()), bytes;
    ASSERT_TRUE(EncodeJpeg(TestPicture(4000, 3000), 90, bytes, exif));
    ASSERT_EQ(Transform(Source("camera.jpg", std::string(bytes.begin(), bytes.end())), 901, 82), 1);
    std::string out;
    ASSERT_TRUE(ReadFileBytes(last_.written, out));
    const ExifFields kept = ReadPictureExif(reinterpret_cast<const uint8_t*>(out.data()), out.size());
    EXPECT_EQ(kept.dateTimeOriginal, "2024:07:13 18:30:05");
    EXPECT_EQ(kept.make, "Canon");
    EXPECT_EQ(kept.orientation, 1) << "the pixels were turned upright";
    EXPECT_EQ(HeaderOf(last_.written).width, 675);
    // Our APP1 follows JFIF's APP0 at 20; its TIFF block is little-endian.
    ASSERT_EQ(out.substr(20, 2), "\xFF\xE1");
    const std::string segment = out.substr(24, (static_cast<uint8_t>(out[22]) << 8 | static_cast<uint8_t>(out[23])) - 2);
    EXPECT_EQ(segment.find("0560018150"), std::string::npos) << "no serial number";
    EXPECT_EQ(segment.find("\x25\x88"), std::string::npos) << "no GPS IFD pointer";

    // An IFD0 that claims 60 entries and runs off the end still gives the picture, upright
    // by the orientation that comes before the damage.
    const std::string damaged = CameraExif(60);
    ASSERT_TRUE(EncodeJpeg(TestPicture(1200, 900), 90, bytes, std::vector<uint8_t>(damaged.begin(), damaged.end())));
    ASSERT_EQ(Transform(Source("damaged.jpg", std::string(bytes.begin(), bytes.end())), 901, 82), 1);
    EXPECT_EQ(HeaderOf(last_.written).width, 675);
}

TEST_F(Engine, KeptNamesUnicodeAndQuality)
{
    job_.keepNames = true;
    const std::string src = Source("фото é ü 😀.jpg", Jpeg(TestPicture(1600, 1200)));
    ASSERT_EQ(Transform(src, 1200, 50), 1);
    const std::string low = JoinPath(RunFolder(), "v1200_фото é ü 😀.jpg");
    EXPECT_EQ(last_.written, low);
    std::string lowBytes;
    ASSERT_TRUE(ReadFileBytes(low, lowBytes));
    ASSERT_EQ(Transform(src, 1200, 100), 1) << "the same name is replaced";
    std::string highBytes;
    ASSERT_TRUE(ReadFileBytes(low, highBytes));
    EXPECT_GT(highBytes.size(), lowBytes.size() * 2) << "quality 100 against 50";
    EXPECT_EQ(OutputCount(), 1);
}

// A start with a picture goes into the last run folder, which a batch may
// have filled with far more than a hundred pictures: the run folder's own
// limit applies, and nothing blames the Desktop.
TEST_F(Engine, AStartWithAPictureInABigRunFolderTakesTheNextNumber)
{
    ASSERT_NE(MakeFolderPath(RunFolder()), 0);
    for (int i = 1; i <= 120; ++i) WriteFileReplacing(JoinPath(RunFolder(), NumberedOutputName(901, i)), "x", 1);
    job_.outputFolder = root_;  // the Desktop must exist, as for a start with a picture
    EXPECT_EQ(Transform(Source("one.jpg", Jpeg(TestPicture(400, 300))), 901, 0), 1);
    EXPECT_EQ(last_.written, JoinPath(RunFolder(), "varbo_901_00121.jpg"));
    EXPECT_TRUE(last_.message.empty());
}

// Copies of the program that each make a picture at the same moment (a copy
// that gave up waiting for its turn) never write over each other: every
// picture keeps a name of its own.
TEST_F(Engine, PicturesSavedAtOnceNeverWriteOverEachOther)
{
    const std::string jpegA = Jpeg(TestPicture(64, 48, 30)), jpegB = Jpeg(TestPicture(64, 48, 220));
    const std::vector<uint8_t> a(jpegA.begin(), jpegA.end()), b(jpegB.begin(), jpegB.end());
    constexpr int kEach = 15;
    std::vector<std::string> writtenA, writtenB;
    auto save = [this](const std::vector<uint8_t>& bytes, std::vector<std::string>& written) {
        for (int i = 0; i < kEach; ++i) {
            const PictureResult r = SavePicture(job_, bytes);
            if (r.made) written.push_back(r.written);
        }
    };
    std::thread other(save, std::cref(b), std::ref(writtenB));
    save(a, writtenA);
    other.join();
    ASSERT_EQ(writtenA.size() + writtenB.size(), 2u * kEach);
    EXPECT_EQ(OutputCount(), 2 * kEach) << "no picture replaced another";
    for (const std::string& path : writtenA) {
        std::string bytes;
        ASSERT_TRUE(ReadFileBytes(path, bytes));
        EXPECT_EQ(bytes, jpegA) << path;
    }
}

// A WebP file: the RIFF header and one chunk.
std::string Riff(const std::string& fourcc, const std::string& payload)
{
    auto le32 = [](size_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    return "RIFF" + le32(payload.size() + 12) + "WEBP" + fourcc + le32(payload.size()) + payload;
}

TEST_F(Engine, HostileFilesFailQuietly)
{
    const std::string good = Jpeg(TestPicture(1200, 900));
    std::string hugePng("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\xea\x60\0\0\xea\x60\x08\x02\0\0\0", 29);
    std::string hugeJpeg = good;
    // The first SOF marker's height and width become 60000 x 60000.
    size_t sof = hugeJpeg.find("\xFF\xC0");
    if (sof == std::string::npos) sof = hugeJpeg.find("\xFF\xC2");
    ASSERT_NE(sof, std::string::npos);
    hugeJpeg[sof + 5] = '\xea', hugeJpeg[sof + 6] = '\x60', hugeJpeg[sof + 7] = '\xea', hugeJpeg[sof + 8] = '\x60';
    const std::pair<const char*, std::string> files[] = {
        {"empty.jpg", ""},
        {"truncated.jpg", good.substr(0, good.size() / 2)},
        {"header_only.jpg", good.substr(0, 300)},
        {"garbage.jpg", std::string(5000, '\x5a')},
        {"text.png", "not a picture at all"},
        {"huge.png", hugePng},
        {"huge.jpg", hugeJpeg},
        // WebP: a 60000 x 60000 canvas; lossless and lossy headers over garbage; an
        // animation with no frame; the RIFF header alone.
        {"huge.webp", Riff("VP8X", std::string("\0\0\0\0\x5f\xea\0\x5f\xea\0", 10))},
        {"lossless.webp", Riff("VP8L", std::string("\x2f\xe7\x43\xbb\x00", 5) + std::string(3000, '\x5a'))},
        {"lossy.webp", Riff("VP8 ", std::string("\x50\x0b\0\x9d\x01\x2a\x80\x02\xe0\x01", 10) + std::string(3000, '\xa5'))},
        {"no_frames.webp", Riff("VP8X", std::string("\x02\0\0\0\x63\0\0\x63\0\0", 10))},
        {"riff_only.webp", std::string("RIFF\x04\0\0\0WEBP", 12)},
    };
    for (const auto& [name, bytes] : files) EXPECT_EQ(Transform(Source(name, bytes), 901, 82), 0) << name;
    EXPECT_EQ(OutputCount(), 0);
    EXPECT_EQ(last_.stop, JobStop::Unreadable);
    EXPECT_TRUE(last_.message.empty());
}

// Our libjpeg-turbo finds the nonzero coefficients of a refinement scan by their bits: a
// progressive file with refinement scans of split bands, restarts and 2x1 chroma must decode
// to the pixels of Debian's own libjpeg-turbo 2.1.5 (their FNV-1a, from its native build),
// whole and DCT-scaled.
TEST(JpegDecode, RefinementScansGiveThePixelsOfDebiansDecoder)
{
    const char* source = std::getenv("VARBO_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "CTest passes VARBO_SOURCE_DIR";
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(std::string("Z:") + source + "/fuzz/corpus/jpeg_load/refinement-scans.jpg", bytes));
    const struct {
        int minWidth, width;
        uint64_t fnv;
    } expected[] = {{0, 120, 0x224f3a7947152417ull}, {30, 30, 0xd678c644bf0cbda7ull}};
    for (const auto& e : expected) {
        Image picture;
        ASSERT_TRUE(DecodeJpeg(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), e.minWidth, 0, picture));
        EXPECT_EQ(picture.width, e.width);
        uint64_t fnv = 14695981039346656037ull;
        for (int y = 0; y < picture.height; ++y)
            for (int x = 0; x < picture.width * 3; ++x) fnv = (fnv ^ picture.Row(y)[x]) * 1099511628211ull;
        EXPECT_EQ(fnv, e.fnv) << e.minWidth;
    }
}

// The two-thread decode in the Windows build (its libjpeg-turbo, its threads).
TEST(JpegDecode, TwoThreadsGiveThePixelsOfOne)
{
    const char* source = std::getenv("VARBO_SOURCE_DIR");
    ASSERT_NE(source, nullptr) << "CTest passes VARBO_SOURCE_DIR";
    std::string bytes;
    ASSERT_TRUE(ReadFileBytes(std::string("Z:") + source + "/fuzz/corpus/jpeg_load/progressive.jpg", bytes));
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    for (int minWidth : {0, 20}) {
        Image one, two;
        ASSERT_TRUE(DecodeJpeg(data, bytes.size(), minWidth, 0, one));
        ASSERT_TRUE(DecodeJpegOnTwoThreads(data, bytes.size(), minWidth, 0, two)) << minWidth;
        EXPECT_EQ(one.width * 10000 + one.height, two.width * 10000 + two.height);
        EXPECT_TRUE(one.pixels == two.pixels) << minWidth;
    }
}

TEST_F(Engine, WebpPicturesComeOutOnWhiteWhateverTheirName)
{
    // 64 x 48, lossless: the left half red, the right half transparent (made with libwebp's encoder).
    const std::string webp("\x52\x49\x46\x46\x26\x00\x00\x00\x57\x45\x42\x50\x56\x50\x38\x4c\x19\x00\x00\x00\x2f\x3f\xc0\x0b"
                           "\x10\x0f\x10\xf3\x1f\xf3\x1f\x0c\xb1\x60\x32\x7f\xe9\x14\x3a\x23\xfa\x1f\x55\xf0\x1d\x00", 46);
    for (const char* name : {"saved.webp", "saved_as.jpg"}) {
        ASSERT_EQ(Transform(Source(name, webp), 901, 90), 1) << name;
        Image out = Decoded(last_.written);
        ASSERT_EQ(out.width, 901);
        ASSERT_EQ(out.height, 675);
        EXPECT_GT(out.Row(300)[3 * 200 + 2], 230) << name << ": red on the left";
        EXPECT_LT(out.Row(300)[3 * 200 + 1], 30) << name;
        EXPECT_GT(Brightness(out, 700, 300), 245) << name << ": white where it was transparent";
    }
}

TEST_F(Engine, PicturesAreRecognisedByContentNotName)
{
    ASSERT_EQ(Transform(Source("actually_a_bmp.jpg", GreenBmp()), 901, 90), 1);
    Image out = Decoded(last_.written);
    EXPECT_EQ(out.width, 901);
    EXPECT_EQ(out.height, 675);
    EXPECT_GT(out.Row(300)[3 * 450 + 1], 170);
}

// Sources, run folder and names past the classic 260 characters, in any
// script; a BMP too, which GDI+ decodes.
TEST_F(Engine, LongPathsInAnyScript)
{
    const std::string folder = DeepFolder(JoinPath(root_, "src"), 300);
    ASSERT_EQ(MakeFolderPath(folder), 1);
    const std::string jpeg = Jpeg(TestPicture(1200, 900)), bmp = GreenBmp();
    const std::string jpegSource = JoinPath(folder, "Отпуск 😀 日本.jpg"), bmpSource = JoinPath(folder, "Рисунок 😀.bmp");
    ASSERT_TRUE(WriteFileReplacing(jpegSource, jpeg.data(), jpeg.size()));
    ASSERT_TRUE(WriteFileReplacing(bmpSource, bmp.data(), bmp.size()));
    job_.runFolder = JoinPath(DeepFolder(job_.outputFolder, 280), "001");
    job_.keepNames = true;
    job_.text.mode = 8;
    job_.text.text = "_Date_";

    ASSERT_EQ(Transform(jpegSource, 901, 82), 1) << last_.message;
    EXPECT_EQ(last_.written, JoinPath(RunFolder(), "v901_Отпуск 😀 日本.jpg"));
    EXPECT_EQ(HeaderOf(last_.written).width, 901);
    ASSERT_EQ(Transform(bmpSource, 901, 82), 1) << last_.message;
    EXPECT_EQ(Decoded(last_.written).height, 675);
    EXPECT_EQ(OutputCount(), 2);
    EXPECT_TRUE(FileDateText(jpegSource, true).has_value()) << "the date of a long-named source";

    EXPECT_EQ(Transform("C:\\" + std::string(32760, 'a') + ".jpg", 901, 82), 0);
    EXPECT_EQ(last_.stop, JobStop::Unreadable);
    EXPECT_EQ(last_.message.rfind("Путь к файлу длиннее, чем позволяет Windows:\nC:\\aaa", 0), 0u) << last_.message;
}

TEST_F(Engine, PhotoTextPlacesAndStripes)
{
    const std::string src = Source("dark.jpg", Jpeg(TestPicture(901, 675, 10)));
    job_.text.text = "ВАРБО ТЕКСТ";
    job_.text.fontSize = 40;
    job_.text.colour = -1;

    auto brightIn = [](const Image& img, int x0, int y0, int x1, int y1) {
        int n = 0;
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) n += Brightness(img, x, y) > 128;
        return n;
    };
    job_.text.mode = 7;  // bottom left
    ASSERT_EQ(Transform(src, 901, 95), 1);
    Image bottomLeft = Decoded(last_.written);
    EXPECT_GT(brightIn(bottomLeft, 20, 560, 450, 651), 200) << "text near the lower left corner";
    EXPECT_EQ(brightIn(bottomLeft, 0, 0, 901, 450), 0) << "nothing elsewhere";
    EXPECT_EQ(brightIn(bottomLeft, 460, 450, 901, 675), 0);
    // Colour -1 is white at alpha 200: on a near-black picture the strokes reach about 200, never 255.
    int brightest = 0;
    for (int y = 560; y < 651; ++y)
        for (int x = 20; x < 450; ++x) brightest = std::max(brightest, Brightness(bottomLeft, x, y));
    EXPECT_GE(brightest, 190);
    EXPECT_LE(brightest, 222);

    job_.text.mode = 3;  // top right
    ASSERT_EQ(Transform(src, 901, 95), 1);
    Image topRight = Decoded(last_.written);
    EXPECT_GT(brightIn(topRight, 450, 24, 881, 120), 200);
    EXPECT_EQ(brightIn(topRight, 0, 200, 901, 675), 0);

    job_.text.mode = kTextModeStripes;
    job_.text.text = "abc";
    ASSERT_EQ(Transform(src, 901, 95), 1);
    Image stripes = Decoded(last_.written);
    // Bands: (675 - 40) / 3 = 211; lines at y 20, 231 (bottom-aligned), 442 and 653 (bottom-aligned).
    EXPECT_GT(brightIn(stripes, 0, 18, 901, 40), 100);
    EXPECT_GT(brightIn(stripes, 0, 210, 901, 233), 100);
    EXPECT_GT(brightIn(stripes, 0, 440, 901, 462), 100);
    EXPECT_GT(brightIn(stripes, 0, 632, 901, 655), 100);
    EXPECT_EQ(brightIn(stripes, 0, 60, 901, 200), 0);
}

TEST_F(Engine, UnusableFontWritesNothing)
{
    const std::string src = Source("pic.jpg", Jpeg(TestPicture(800, 600)));
    job_.text.mode = 5;
    job_.text.text = "Текст";
    job_.text.fontName = "No Such Font Family";
    EXPECT_EQ(Transform(src, 901, 82), 0);
    EXPECT_EQ(last_.stop, JobStop::FontUnusable);
    EXPECT_EQ(last_.message, kFontUnusableMessage);
    EXPECT_EQ(last_.caption, "No Such Font Family");
    EXPECT_EQ(OutputCount(), 0);
}

TEST_F(Engine, FailedSaveIsAFailureAndLeavesNoScraps)
{
    job_.keepNames = true;
    const std::string src = Source("blocked.jpg", Jpeg(TestPicture(800, 600)));
    // A folder stands where the picture would go.
    ASSERT_NE(MakeFolderPath(JoinPath(RunFolder(), "v901_blocked.jpg")), 0);
    EXPECT_EQ(Transform(src, 901, 82), 0);
    EXPECT_EQ(last_.stop, JobStop::SaveFailed);
    EXPECT_EQ(last_.message, "Не удалось записать файл в папку " + RunFolder() + ": нет доступа, запись запрещена.");
    EXPECT_EQ(OutputCount(), 0) << "no temporary file is left behind";

    // A file stands where the run folder would go.
    job_.keepNames = false;
    job_.runFolder = JoinPath(job_.outputFolder, "002");
    WriteFileReplacing(RunFolder(), "x", 1);
    EXPECT_EQ(Transform(src, 901, 82), 0);
    EXPECT_EQ(last_.stop, JobStop::SaveFailed);
    EXPECT_EQ(last_.message, "Не удалось записать файл в папку " + RunFolder() + ": на месте папки лежит файл с тем же именем.");

    // A name the system refuses.
    job_.runFolder = JoinPath(job_.outputFolder, "a<b");
    EXPECT_EQ(Transform(src, 901, 82), 0);
    EXPECT_EQ(last_.message, "Не удалось записать файл в папку " + RunFolder() + ": Windows не принимает такое имя.");
}

TEST_F(Engine, TestRunWritesTest2AndFileDates)
{
    const std::string src = Source("dated.jpg", Jpeg(TestPicture(800, 600)));
    job_.testPicture = JoinPath(JoinPath(root_, "data"), "Test2.jpg");
    ASSERT_EQ(Transform(src, 901, 82), 1);
    EXPECT_EQ(last_.written, job_.testPicture);
    EXPECT_EQ(OutputCount(), 0) << "nothing goes to the run folder";

    // 5 March 2024, 14:07 local time.
    SYSTEMTIME local{2024, 3, 2, 5, 14, 7, 0, 0}, utc;
    FILETIME ft;
    ASSERT_TRUE(TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc));
    ASSERT_TRUE(SystemTimeToFileTime(&utc, &ft));
    HANDLE h = CreateFileA(src.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    SetFileTime(h, &ft, nullptr, &ft);
    CloseHandle(h);
    EXPECT_EQ(FileDateText(src, true).value_or(""), "05.03.2024");
    EXPECT_EQ(FileDateText(src, false).value_or(""), "05.03.2024  14:07");
    EXPECT_FALSE(FileDateText(src + ".missing", true).has_value());
    // Every other output carries the source's times (Wine gives the last write as the creation time).
    job_.testPicture.clear();
    WIN32_FILE_ATTRIBUTE_DATA out{};
    ASSERT_TRUE(Transform(src, 901, 82) && GetFileAttributesExA(last_.written.c_str(), GetFileExInfoStandard, &out));
    EXPECT_EQ(CompareFileTime(&out.ftLastWriteTime, &ft) | CompareFileTime(&out.ftCreationTime, &ft), 0) << "the output's times";
}

// Nothing of one job carries into the next: two different jobs in turn give
// the same pictures as each alone.
TEST_F(Engine, JobsAreIndependentValues)
{
    const std::string src = Source("pic.jpg", Jpeg(TestPicture(1600, 1200, 10)));
    PictureJob withText = job_;
    withText.source = src;
    withText.size = 600;
    withText.keepNames = true;
    withText.text.mode = 5;
    withText.text.text = "Текст";
    withText.text.fontSize = 40;
    PictureJob plain = job_;
    plain.source = src;
    plain.size = 300;
    plain.quality = 60;

    const PictureResult first = TransformPicture(withText);
    std::string firstBytes;
    ASSERT_TRUE(first.made && ReadFileBytes(first.written, firstBytes));
    const PictureResult other = TransformPicture(plain);
    ASSERT_TRUE(other.made);
    EXPECT_EQ(other.written, JoinPath(RunFolder(), "varbo_300_00001.jpg")) << "numbered: the other job's names";
    Image otherPicture = Decoded(other.written);
    EXPECT_EQ(otherPicture.width, 300);
    EXPECT_LT(Brightness(otherPicture, 150, 112), 40) << "no text from the other job";
    const PictureResult again = TransformPicture(withText);
    std::string againBytes;
    ASSERT_TRUE(again.made && ReadFileBytes(again.written, againBytes));
    EXPECT_EQ(again.written, first.written);
    EXPECT_EQ(againBytes, firstBytes);
}

// The output folder is gone (deleted while the program runs): it is made
// again, this picture is skipped with a message, the next one goes through.
TEST_F(Engine, AMissingOutputFolderIsMadeAgainAndThePictureSkipped)
{
    job_.source = Source("pic.jpg", Jpeg(TestPicture(800, 600)));
    job_.outputFolder = JoinPath(root_, "gone");
    job_.runFolder = JoinPath(job_.outputFolder, "001");
    PictureResult r = RunPictureJob(job_);
    EXPECT_FALSE(r.made);
    EXPECT_EQ(r.stop, JobStop::None) << "a batch run goes on";
    EXPECT_EQ(r.message, "Папка Варбо создана на Рабочем столе.   \nОбработка файлов пропущена.  ");
    EXPECT_TRUE(IsFolder(job_.outputFolder));
    r = RunPictureJob(job_);
    EXPECT_TRUE(r.made);
    EXPECT_TRUE(r.message.empty());
    // The same when it goes while a batch run's picture is being made.
    const MadePicture made = MakePicture(job_);
    TempFolder::RemoveTree(job_.outputFolder);
    r = SavePicture(job_, made.jpeg);
    EXPECT_FALSE(r.made);
    EXPECT_EQ(r.stop, JobStop::None);
    EXPECT_EQ(r.message, "Папка Варбо создана на Рабочем столе.   \nОбработка файлов пропущена.  ");
    EXPECT_TRUE(IsFolder(job_.outputFolder));
    EXPECT_TRUE(SavePicture(job_, made.jpeg).made);
}

} // namespace

namespace {

// Every place and the stripes on the embedded test photo, each found by its
// pixels: what the text changed lies at the place's edge (near or far) or
// around its middle, both ways. With VARBO_ARTEFACTS set to a folder, the
// pictures are kept there to be looked at.
TEST_F(Engine, PhotoTextOnTheTestPhoto)
{
    const std::string src = Source("Test.jpg", EmbeddedTestPicture());
    job_.text.fontSize = 28;
    job_.text.fontStyle = 1;
    job_.text.colour = 0x0040C0FF;  // amber: red FF, green C0, blue 40
    ASSERT_EQ(Transform(src, 901, 90), 1);
    const Image plain = Decoded(last_.written);
    const char* artefacts = std::getenv("VARBO_ARTEFACTS");
    // The text's ink: pixels the text changed a lot (JPEG noise stays well below).
    struct Ink {
        int count = 0, minX = 1 << 20, minY = 1 << 20, maxX = -1, maxY = -1;
    };
    auto inkOf = [&plain](const Image& img) {
        Ink ink;
        for (int y = 0; y < img.height; ++y)
            for (int x = 0; x < img.width; ++x) {
                const uint8_t* a = img.Row(y) + 3 * x;
                const uint8_t* b = plain.Row(y) + 3 * x;
                if (std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) < 120) continue;
                ++ink.count;
                ink.minX = std::min(ink.minX, x), ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y), ink.maxY = std::max(ink.maxY, y);
            }
        return ink;
    };
    // Where the ink sits along one axis for an alignment: at the near edge, the far edge, or centred.
    auto placed = [](int align, int inkFrom, int inkTo, float from, float length) {
        constexpr int slack = 20;
        if (align == kAlignNear) return inkFrom >= from - slack / 4 && inkFrom <= from + slack;
        if (align == kAlignFar) return inkTo <= from + length + slack / 4 && inkTo >= from + length - slack;
        return std::abs((inkFrom + inkTo) / 2.0f - (from + length / 2)) <= slack;
    };
    for (int mode = 1; mode <= 10; ++mode) {
        job_.text.mode = mode;
        job_.text.text = mode == 10 ? "Varbo Pro" : "Место " + std::to_string(mode) + ": Байконур _Date_Time_";
        if (mode == 5) job_.text.text = "Текст на изображении. Щелкните по нему, чтобы изменить!";
        ASSERT_EQ(Transform(src, 901, 90), 1) << "mode " << mode;
        const Image withText = Decoded(last_.written);
        ASSERT_EQ(withText.width, plain.width);
        ASSERT_EQ(withText.height, plain.height);
        const Ink ink = inkOf(withText);
        EXPECT_GT(ink.count, 300) << "mode " << mode << " drew nothing";
        if (mode == kTextModeStripes) {
            EXPECT_LT(ink.minY, plain.height / 8) << "stripes from the top";
            EXPECT_GT(ink.maxY, plain.height * 7 / 8) << "stripes down to the bottom";
        } else if (ink.count > 0) {
            TextPlacement p;
            ASSERT_TRUE(PlaceText(mode, plain.width, plain.height, p));
            EXPECT_TRUE(placed(p.align, ink.minX, ink.maxX, p.x, p.width))
                << "mode " << mode << ": text from x " << ink.minX << " to " << ink.maxX;
            EXPECT_TRUE(placed(p.lineAlign, ink.minY, ink.maxY, p.y, p.height))
                << "mode " << mode << ": text from y " << ink.minY << " to " << ink.maxY;
        }
        if (artefacts && *artefacts)
            CopyFileA(last_.written.c_str(), JoinPath(artefacts, "text_mode_" + std::to_string(mode) + ".jpg").c_str(), FALSE);
    }
}

} // namespace

namespace {

// What the metafiles below hold: the left half black, the lower right quarter
// red, drawn in a space of 2000 x 1000 units over the whole picture, mapped
// onto `width` x `height` device units (a WMF has no device: 0 leaves that out).
void DrawHalvesAndQuarter(HDC dc, int width = 0, int height = 0)
{
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, 0, 0, nullptr);
    SetWindowExtEx(dc, 2000, 1000, nullptr);
    if (width > 0) SetViewportExtEx(dc, width, height, nullptr);
    SelectObject(dc, GetStockObject(NULL_PEN));
    SelectObject(dc, GetStockObject(BLACK_BRUSH));
    Rectangle(dc, 0, 0, 1001, 1001);
    GdiObject<HBRUSH> red(CreateSolidBrush(RGB(255, 0, 0)));
    const HGDIOBJ old = SelectObject(dc, red.get());
    Rectangle(dc, 1500, 500, 2001, 1001);
    SelectObject(dc, old);
}

// An EMF with a frame of 2 x 1 inches (in hundredths of a millimetre), drawn by GDI.
std::string DrawnEmf()
{
    const RECT frame{0, 0, 5080, 2540};
    HDC dc = CreateEnhMetaFileW(nullptr, nullptr, &frame, nullptr);
    EXPECT_NE(dc, nullptr);
    // The frame in the reference device's pixels is what the drawing space is mapped onto.
    const int w = MulDiv(5080, GetDeviceCaps(dc, HORZRES), GetDeviceCaps(dc, HORZSIZE) * 100);
    const int h = MulDiv(2540, GetDeviceCaps(dc, VERTRES), GetDeviceCaps(dc, VERTSIZE) * 100);
    DrawHalvesAndQuarter(dc, w, h);
    HENHMETAFILE emf = CloseEnhMetaFile(dc);
    std::string bytes(GetEnhMetaFileBits(emf, 0, nullptr), '\0');
    GetEnhMetaFileBits(emf, static_cast<UINT>(bytes.size()), reinterpret_cast<BYTE*>(bytes.data()));
    DeleteEnhMetaFile(emf);
    return bytes;
}

// A WMF drawn by GDI; with `placeable`, behind a header whose box is
// 2000 x 1000 units at 1000 to the inch (2 x 1 inches).
std::string DrawnWmf(bool placeable)
{
    HDC dc = CreateMetaFileW(nullptr);
    EXPECT_NE(dc, nullptr);
    DrawHalvesAndQuarter(dc);
    HMETAFILE wmf = CloseMetaFile(dc);
    std::string records(GetMetaFileBitsEx(wmf, 0, nullptr), '\0');
    GetMetaFileBitsEx(wmf, static_cast<UINT>(records.size()), records.data());
    DeleteMetaFile(wmf);
    if (!placeable) return records;
    const uint16_t words[10] = {0xCDD7, 0x9AC6, 0, 0, 0, 2000, 1000, 1000, 0, 0};  // key, handle, box, units per inch, reserved
    std::string header(reinterpret_cast<const char*>(words), sizeof words);
    uint16_t checksum = 0;
    for (uint16_t w : words) checksum ^= w;
    header.append(reinterpret_cast<const char*>(&checksum), 2);
    return header + records;
}

struct Counts {
    int black = 0, red = 0, white = 0;
};

Counts CountColours(const Image& img, int x0, int y0, int x1, int y1)
{
    Counts c;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const uint8_t* p = img.Row(y) + 3 * x;  // blue, green, red
            c.black += p[0] < 60 && p[1] < 60 && p[2] < 60;
            c.red += p[2] > 200 && p[1] < 60 && p[0] < 60;
            c.white += p[0] > 230 && p[1] > 230 && p[2] > 230;
        }
    return c;
}

} // namespace

// Vector pictures are drawn at the output size: 2 x 1 inches are 192 x 96
// pixels, so 901 gives 901 x 450 (96 x 901 / 192 = 450.5). The black half, the
// red quarter and the white rest are where the drawing put them.
TEST_F(Engine, MetafilesAreDrawnAtTheOutputSize)
{
    const struct {
        const char* name;
        std::string bytes;
    } files[] = {{"drawn.emf", DrawnEmf()}, {"drawn.wmf", DrawnWmf(true)}};
    for (const auto& file : files) {
        ASSERT_EQ(Transform(Source(file.name, file.bytes), 901, 90), 1) << file.name;
        if (const char* artefacts = std::getenv("VARBO_ARTEFACTS"); artefacts && *artefacts)
            CopyFileA(last_.written.c_str(), JoinPath(artefacts, std::string(file.name) + ".jpg").c_str(), FALSE);
        const Image out = Decoded(last_.written);
        ASSERT_EQ(out.width, 901) << file.name;
        ASSERT_EQ(out.height, 450) << file.name;
        const int area = 400 * 200;
        EXPECT_GT(CountColours(out, 25, 25, 425, 225).black, area * 98 / 100) << file.name << ": the left half, upper part";
        EXPECT_GT(CountColours(out, 25, 225, 425, 425).black, area * 98 / 100) << file.name << ": the left half, lower part";
        EXPECT_GT(CountColours(out, 475, 25, 875, 200).white, 400 * 175 * 98 / 100) << file.name << ": the right half, upper part";
        EXPECT_GT(CountColours(out, 700, 250, 875, 425).red, 175 * 175 * 98 / 100) << file.name << ": the lower right quarter";
        EXPECT_GT(CountColours(out, 475, 250, 650, 425).white, 175 * 175 * 98 / 100) << file.name << ": left of the quarter";
        // Drawn at this size, not enlarged from 192 x 96: the edge between
        // black and white is at most a pixel or two wide on every row.
        int grey = 0;
        for (int y = 10; y < 440; ++y) {
            const Counts c = CountColours(out, 435, y, 465, y + 1);
            grey += 30 - c.black - c.white;
        }
        EXPECT_LE(grey, 430 * 2) << file.name << ": a soft edge";
        // Dark pixels in all: half the picture, give or take an edge.
        const int dark = CountColours(out, 0, 0, 901, 450).black;
        EXPECT_NEAR(dark, 450 * 450, 450 * 4) << file.name;
    }
    job_.text.keepSize = true;
    job_.text.mode = 5;
    job_.text.text = "Копия";
    ASSERT_EQ(Transform(Source("copy.emf", DrawnEmf()), 901, 90), 1);
    const Image copy = Decoded(last_.written);
    EXPECT_EQ(copy.width, 192) << "copy mode keeps the size the frame names";
    EXPECT_EQ(copy.height, 96);

    job_.text = {};
    EXPECT_EQ(Transform(Source("bare.wmf", DrawnWmf(false)), 901, 90), 0) << "a WMF that does not say its size";
    EXPECT_EQ(last_.stop, JobStop::Unreadable);
}
