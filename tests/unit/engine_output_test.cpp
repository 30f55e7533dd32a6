#include <gtest/gtest.h>

#include <set>

#include "common/system_errors.h"
#include "engine/failure_messages.h"
#include "engine/output_names.h"

namespace {

struct SizeCase {
    const char* rule;
    int width, height, size;
    bool keep;
    int wantWidth, wantHeight;
};

TEST(OutputSize, LongerSideBecomesTheSize)
{
    const SizeCase cases[] = {
        {"landscape: 3000 * 901 / 4000 = 675.75 truncates", 4000, 3000, 901, false, 901, 675},
        {"portrait", 3000, 4000, 901, false, 675, 901},
        {"square takes the height branch", 1000, 1000, 901, false, 901, 901},
        {"small pictures are enlarged", 300, 200, 901, false, 901, 600},
        {"copy mode keeps the size", 4000, 3000, 901, true, 4000, 3000},
        {"a thin strip keeps one row", 20000, 5, 901, false, 901, 1},
        {"a thin column keeps one column", 3, 30000, 60, false, 1, 60},
        {"largest size, no 32-bit overflow", 65500, 65000, 1700, false, 1700, 1687},
    };
    for (const SizeCase& c : cases) {
        Size2 got = OutputSize(c.width, c.height, c.size, c.keep);
        EXPECT_EQ(got.width, c.wantWidth) << c.rule;
        EXPECT_EQ(got.height, c.wantHeight) << c.rule;
    }
}

TEST(OutputNames, NumbersAndKeptNames)
{
    EXPECT_EQ(NumberedOutputName(901, 1), "varbo_901_00001.jpg");
    EXPECT_EQ(NumberedOutputName(60, 9999), "varbo_60_09999.jpg");
    EXPECT_EQ(NumberedOutputName(1700, 10000), "varbo_1700_10000.jpg");
    EXPECT_EQ(KeptOutputName(1200, "C:\\Фото\\IMG_0042.JPG"), "v1200_IMG_0042.jpg");
    EXPECT_EQ(KeptOutputName(901, "D:/a.b/photo.final.png"), "v901_photo.final.jpg");
    EXPECT_EQ(BaseNameOf("C:\\dir.with.dots\\README"), "README") << "a name without a dot is kept whole";
    EXPECT_EQ(BaseNameOf("C:\\pics\\фото 😀.jpeg"), "фото 😀");
}

TEST(OutputNames, FirstFreeNumberBelow25000)
{
    std::set<std::string> taken;
    auto isTaken = [&](const std::string& name) { return taken.count(name) > 0; };

    EXPECT_EQ(ChooseNumberedName(901, isTaken).name, "varbo_901_00001.jpg") << "empty folder";
    taken = {"varbo_901_00001.jpg", "varbo_901_00003.jpg"};
    const NameChoice gap = ChooseNumberedName(901, isTaken);
    EXPECT_EQ(gap.name, "varbo_901_00002.jpg") << "the first gap is filled";
    EXPECT_EQ(gap.number, 2);
    EXPECT_EQ(ChooseNumberedName(901, isTaken, 3).name, "varbo_901_00004.jpg") << "from a later number on";
    taken = {"varbo_880_00001.jpg"};
    EXPECT_EQ(ChooseNumberedName(901, isTaken).name, "varbo_901_00001.jpg") << "another size does not block";

    // A start with a picture into a run folder of a big batch: the run folder's
    // limit, not the Desktop's hundred.
    taken.clear();
    for (int i = 1; i <= 150; ++i) taken.insert(NumberedOutputName(901, i));
    EXPECT_EQ(ChooseNumberedName(901, isTaken).name, "varbo_901_00151.jpg");

    int probes = 0;
    NameChoice folderFull = ChooseNumberedName(901, [&](const std::string&) { ++probes; return true; });
    EXPECT_TRUE(folderFull.name.empty());
    EXPECT_EQ(folderFull.stop, JobStop::FolderFull);
    EXPECT_EQ(probes, 24999) << "number 25000 itself is never tried";
}

} // namespace

TEST(SaveFailedMessage, NamesTheFolderAndTheSystemsReason)
{
    EXPECT_EQ(SaveFailedMessage("D:\\Фото\\Varbo_Photo\\001", 112),
              "Не удалось записать файл в папку D:\\Фото\\Varbo_Photo\\001: недостаточно места на диске.");
    EXPECT_EQ(SystemErrorReason(39), SystemErrorReason(112)) << "a full disk seen through a handle";
    EXPECT_EQ(SystemErrorReason(33), SystemErrorReason(32)) << "a lock is a sharing violation to the user";
    EXPECT_EQ(SystemErrorReason(1117), "системная ошибка 1117") << "an I/O device error has no words of its own";
}
