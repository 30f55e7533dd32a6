// Which files are pictures, and the list of a dropped folder: the filter, the
// name order and the list file.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "engine/picture_list.h"

namespace {

std::string Repeat(const std::string& piece, int times)
{
    std::string s;
    for (int i = 0; i < times; ++i) s += piece;
    return s;
}

struct NameRow {
    std::string path;
    bool accepted;
    const char* rule;
};

TEST(IsPictureName, LastFiveCharactersDecide)
{
    const NameRow rows[] = {
        {"C:\\a\\IMG_1.JPG", true, "upper case extension"},
        {"C:\\a\\scan.jpeg", true, "five-letter extension"},
        {"C:\\a\\x.bmp", true, ".bmp"},
        {"C:\\a\\x.GIF", true, ".gif"},
        {"C:\\a\\x.Png", true, ".png"},
        {"C:\\a\\x.tif", true, ".tif"},
        {"C:\\a\\x.tiff", true, ".tiff holds .tif"},
        {"C:\\a\\x.wmf", true, ".wmf"},
        {"C:\\a\\x.emf", true, ".emf"},
        {"C:\\a\\x.jpgx", true, "a substring test: .jpgx holds .jpg"},
        {"C:\\a\\Saved.WEBP", true, ".webp fills the last five, like .jpeg"},
        {"C:\\a\\x.webpx", false, "past .webp the tail has no dot"},
        {"C:\\a\\x.jpegx", false, "and past .jpeg neither"},
        {"a.webp", true, "6 characters with .webp"},
        {"C:\\DCIM\\IMG_0042.HEIC", true, "a phone's HEIC"},
        {"C:\\a\\x.heif", true, ".heif"},
        {"C:\\a\\_MG_0001.HIF", true, "a camera's 10-bit HEIF"},
        {"C:\\a\\saved.avif", true, ".avif"},
        {"C:\\a\\x.heic.txt", false, ".heic must end the name"},
        {"C:\\a\\notes.txt", false, "not a picture"},
        {"C:\\a\\x.jpg.txt", false, "only the end counts"},
        {"C:\\a\\jpg", false, "no dot in the last five"},
        {"C:\\a\\b.jpgph", false, ".jpg is no longer within the last five"},
        {"ab.jpg", true, "6 characters is enough"},
        {"a.jpg", false, "5 characters is too short"},
        {"", false, "empty"},
        {"C:\\фото\\Отпуск.JPG", true, "Cyrillic folder and name"},
        {"C:\\a\\x.jpgф", true, "characters, not bytes: the last five are .jpgф"},
        {"C:\\" + Repeat("ф", 300) + ".jpg", true, "307 characters in 607 bytes: characters count"},
        {"C:\\" + Repeat("ф", 2000) + ".jpg", true, "any length: a job tells when Windows cannot take it"},
    };
    for (const NameRow& r : rows) EXPECT_EQ(IsPictureName(r.path), r.accepted) << r.rule << ": " << r.path;
}

struct OrderRow {
    const char* first;
    const char* second;
    const char* rule;
};

TEST(NtfsNameLess, OrdinalAfterUpperCasing)
{
    const OrderRow rows[] = {
        {"a.jpg", "B.jpg", "case never decides"},
        {"A.jpg", "b.jpg", "case never decides, the other way"},
        {"a.jpg", "_a.jpg", "upper-cased 'A' (0x41) comes before '_' (0x5F)"},
        {"10.jpg", "9.jpg", "digits compare one by one, not as numbers"},
        {"IMG_10.jpg", "img_2.jpg", "ordinal: '1' before '2'"},
        {"a b.jpg", "a.jpg", "a blank (0x20) before the dot (0x2E)"},
        {"a-1.jpg", "a.jpg", "'-' (0x2D) before the dot"},
        {"z.jpg", "é.jpg", "É (0xC9) after Z"},
        {"z.jpg", "ÿ.jpg", "ÿ upper-cases to Ÿ (U+0178)"},
        {"z.jpg", "а.jpg", "Latin before Cyrillic"},
        {"ё.jpg", "а.jpg", "Ё (U+0401) before А (U+0410)"},
        {"я.jpg", "Ѣ.jpg", "Я (U+042F) before Ѣ (U+0462)"},
        {"😀.jpg", "ａ.jpg", "UTF-16 units: a surrogate (D83D) before full-width Ａ (FF21)"},
    };
    for (const OrderRow& r : rows) {
        EXPECT_TRUE(NtfsNameLess(r.first, r.second)) << r.rule << ": " << r.first << " < " << r.second;
        EXPECT_FALSE(NtfsNameLess(r.second, r.first)) << r.rule << ": " << r.second << " !< " << r.first;
    }
    // Names that differ only in case are the same name to NTFS.
    for (const auto& [a, b] : std::vector<std::pair<const char*, const char*>>{
             {"Photo.JPG", "photo.jpg"}, {"ФОТО.jpg", "фото.jpg"}, {"ÀÉÎ.jpg", "àéî.jpg"}, {"ΣΟΦΙΑ.jpg", "σοφια.jpg"}}) {
        EXPECT_FALSE(NtfsNameLess(a, b)) << a << " vs " << b;
        EXPECT_FALSE(NtfsNameLess(b, a)) << b << " vs " << a;
    }
}

TEST(FolderPicturePaths, PicturesOnlySortedAndJoined)
{
    std::vector<ListedEntry> listing = {
        {".", true, 0},
        {"..", true, 0},
        {"b.JPG", false, 10},
        {"sub.jpg", true, 0},          // a folder named like a picture
        {"empty.jpg", false, 0},       // nothing in it
        {"notes.txt", false, 50},
        {"A.png", false, 10},
        {"_c.gif", false, 10},
        {"Фото.jpg", false, 10},
        {"big.tif", false, 5ull << 32},  // over 4 GB: the low 32 bits alone would say 0
    };
    const std::vector<std::string> expected = {
        "D:\\Фото 2024\\A.png", "D:\\Фото 2024\\b.JPG", "D:\\Фото 2024\\big.tif", "D:\\Фото 2024\\_c.gif",
        "D:\\Фото 2024\\Фото.jpg",
    };
    EXPECT_EQ(FolderPicturePaths("D:\\Фото 2024", listing), expected);
    // A drive's root already ends in its separator.
    EXPECT_EQ(FolderPicturePaths("E:\\", {{"x.jpg", false, 1}}), std::vector<std::string>{"E:\\x.jpg"});
}

TEST(FolderPicturePaths, TheFirst9000ByNameWhateverTheListingOrder)
{
    std::vector<ListedEntry> listing;
    for (int i = 1; i <= 9500; ++i) {
        char name[16];
        snprintf(name, sizeof name, "%04d.jpg", i);
        listing.push_back({name, false, 100});
    }
    std::mt19937 random(7);
    std::shuffle(listing.begin(), listing.end(), random);  // a FAT drive or a share lists in any order
    const std::vector<std::string> paths = FolderPicturePaths("F:\\cam", listing);
    ASSERT_EQ(paths.size(), 9000u);
    EXPECT_EQ(paths.front(), "F:\\cam\\0001.jpg");
    EXPECT_EQ(paths[4999], "F:\\cam\\5000.jpg");
    EXPECT_EQ(paths.back(), "F:\\cam\\9000.jpg");
}

TEST(FolderListFile, OnePathALineWithCrLf)
{
    EXPECT_EQ(FolderListText({"C:\\a\\1.jpg", "C:\\a\\Ж 2.png"}), "C:\\a\\1.jpg\r\nC:\\a\\Ж 2.png\r\n");
    EXPECT_EQ(FolderListText({}), "");
    EXPECT_EQ(ParseFolderList("C:\\a\\1.jpg\r\nC:\\a\\Ж 2.png\r\n"), (std::vector<std::string>{"C:\\a\\1.jpg", "C:\\a\\Ж 2.png"}));
    EXPECT_EQ(ParseFolderList("x.jpg\n\r\n\ny.jpg"), (std::vector<std::string>{"x.jpg", "y.jpg"})) << "LF, blank lines, no last line end";
    EXPECT_EQ(ParseFolderList(Repeat("p.jpg\r\n", 9001)).size(), 9000u);
}

} // namespace
