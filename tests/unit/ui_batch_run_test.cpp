// The batch run's portable half: the picture filter, the name order of a
// dropped folder, its list file, and the loop with pauses, Esc and end state.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "ui/batch_run.h"

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
        {"C:\\" + Repeat("a", 504) + ".jpg", true, "511 characters"},
        {"C:\\" + Repeat("a", 505) + ".jpg", false, "512 characters"},
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

TEST(SourceFolderOf, FileFolderOrGone)
{
    struct Row {
        std::string path;
        EntryKind kind;
        std::string expected;
        const char* rule;
    } rows[] = {
        {"D:\\Фото\\a.jpg", EntryKind::Other, "D:\\Фото", "a file: its folder"},
        {"D:\\Фото/a.jpg", EntryKind::Other, "D:\\Фото", "a forward slash counts too"},
        {"D:\\a.jpg", EntryKind::Other, "D:\\", "a file at a drive's root keeps the root"},
        {"D:\\Фото\\a.jpg", EntryKind::Missing, "D:\\Фото\\a.jpg", "gone since: the path itself"},
        {"D:\\Фото\\sub", EntryKind::Folder, "D:\\Фото\\sub", "a folder: itself"},
        {"a.jpg", EntryKind::Other, "a.jpg", "no separator"},
    };
    for (const Row& r : rows) EXPECT_EQ(SourceFolderOf(r.path, r.kind), r.expected) << r.rule;
}

// A scripted run: inputs by index, results by input, and what the run did.
class ScriptedRun {
public:
    explicit ScriptedRun(std::vector<std::string> inputs, bool fromList = false) : inputs_(std::move(inputs))
    {
        state.iDropCount = static_cast<int>(inputs_.size());
        state.iFromList = fromList ? 1 : 0;
        hooks.inputName = [this](int i) -> std::optional<std::string> {
            asked.push_back(i);
            if (i >= static_cast<int>(inputs_.size()) || inputs_[i] == "?") return std::nullopt;
            return inputs_[i];
        };
        hooks.repaint = [this] { progressAtRepaint.push_back(state.iProgress); };
        hooks.runPicture = [this](const std::string& path) {
            ran.push_back(path);
            auto it = outcomes.find(path);
            if (it != outcomes.end()) return it->second(state);
            return PictureOutcome{true, 0, "OUT\\" + path};
        };
        hooks.probe = [](const std::string&) { return EntryKind::Other; };
        hooks.pause = [this] {
            pausesAfter.push_back(static_cast<int>(ran.size()));
            if (escAtPause == static_cast<int>(pausesAfter.size())) {
                EXPECT_TRUE(TakeRunEsc(state));
            }
        };
    }
    BatchEnd Go() { return RunBatchLoop(state, settings, hooks); }

    WindowStateRecord state;
    SettingsRecord settings;
    BatchHooks hooks;
    std::map<std::string, std::function<PictureOutcome(WindowStateRecord&)>> outcomes;
    int escAtPause = 0;  // the hot key comes during this pause (1 = the first)
    std::vector<int> asked, progressAtRepaint, pausesAfter;
    std::vector<std::string> ran;

private:
    std::vector<std::string> inputs_;
};

std::vector<std::string> Pictures(int n)
{
    std::vector<std::string> v;
    for (int i = 1; i <= n; ++i) v.push_back("D:\\in\\p" + std::to_string(i) + ".jpg");
    return v;
}

TEST(RunBatchLoop, TwelvePicturesPauseOnceAndEndWithTheCount)
{
    ScriptedRun run(Pictures(12));
    const BatchEnd end = run.Go();
    EXPECT_EQ(run.ran.size(), 12u);
    EXPECT_EQ(run.pausesAfter, std::vector<int>{10});
    EXPECT_EQ(run.progressAtRepaint, (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})) << "repaint before each picture";
    EXPECT_EQ(run.state.iProgress, kProgressDoneWithPictures);
    EXPECT_EQ(run.state.iDoneFiles, 12);
    EXPECT_EQ(run.state.iTotalFiles, 12);
    EXPECT_EQ(run.state.iRunning, 0);
    EXPECT_TRUE(end.startEndTimer);
    EXPECT_FALSE(end.endProgram);
    EXPECT_EQ(run.settings.LastFile, "D:\\in\\p12.jpg");
    EXPECT_EQ(run.settings.LastVarbo, "OUT\\D:\\in\\p12.jpg");
    EXPECT_EQ(run.settings.LastDir, "D:\\in");
}

TEST(RunBatchLoop, EscStopsUnlessWithinTheLastTen)
{
    struct Row {
        int inputs;
        int escAtPause;
        size_t made;
        int progress, done, escState;
        const char* rule;
    } rows[] = {
        {50, 1, 10, kProgressDoneWithout, 0, 2, "Esc in the pause after 10 of 50 stops before the 11th"},
        {21, 1, 10, kProgressDoneWithout, 0, 2, "10 < 21 - 10: still stops"},
        {20, 1, 20, kProgressDoneWithPictures, 10, 1, "10 of 20: within the last ten, goes on; the count restarts at the Esc"},
        {45, 4, 45, kProgressDoneWithPictures, 5, 1, "Esc after 40 of 45 goes on: the result counts the 5 made after it"},
        {50, 0, 50, kProgressDoneWithPictures, 50, 0, "no Esc"},
    };
    for (const Row& r : rows) {
        ScriptedRun run(Pictures(r.inputs));
        run.escAtPause = r.escAtPause;
        run.Go();
        EXPECT_EQ(run.ran.size(), r.made) << r.rule;
        EXPECT_EQ(run.state.iProgress, r.progress) << r.rule;
        if (r.progress == kProgressDoneWithPictures) {
            EXPECT_EQ(run.state.iDoneFiles, r.done) << r.rule;
        }
        EXPECT_EQ(run.state.iEscState, r.escState) << r.rule;
        EXPECT_EQ(run.state.iRunning, 0) << r.rule;
    }
}

TEST(RunBatchLoop, AFailedPictureIsSkippedAndNotCounted)
{
    ScriptedRun run(Pictures(12));
    run.outcomes["D:\\in\\p3.jpg"] = [](WindowStateRecord&) { return PictureOutcome{}; };
    run.Go();
    EXPECT_EQ(run.ran.size(), 12u) << "the run goes on";
    EXPECT_EQ(run.pausesAfter, std::vector<int>{11}) << "the pause comes after the tenth picture made";
    EXPECT_EQ(run.state.iDoneFiles, 11);
    EXPECT_EQ(run.settings.VarboOver, 0);
}

TEST(RunBatchLoop, AFullFolderStopsTheRun)
{
    for (int code : {1, 2}) {
        ScriptedRun run(Pictures(12));
        run.outcomes["D:\\in\\p4.jpg"] = [code](WindowStateRecord&) { return PictureOutcome{false, code, ""}; };
        const BatchEnd end = run.Go();
        EXPECT_EQ(run.ran.size(), 4u) << "code " << code;
        EXPECT_EQ(run.settings.VarboOver, code);
        EXPECT_EQ(run.state.iDoneFiles, 3) << "code " << code;
        EXPECT_EQ(end.endProgram, code == 2) << "only a full output folder ends the program";
        EXPECT_EQ(run.settings.LastFile, "D:\\in\\p3.jpg");
    }
}

TEST(RunBatchLoop, UnreadableNamesAndNonPicturesArePassedOver)
{
    ScriptedRun run({"D:\\a.jpg", "?", "D:\\notes.txt", "", "D:\\b.png"});
    run.Go();
    EXPECT_EQ(run.ran, (std::vector<std::string>{"D:\\a.jpg", "D:\\b.png"}));
    EXPECT_EQ(run.asked, (std::vector<int>{0, 1, 2, 3, 4})) << "every input is asked for once";
    EXPECT_EQ(run.state.iDoneFiles, 2);
    EXPECT_EQ(run.state.iTotalFiles, 5);
}

TEST(RunBatchLoop, NamesFromAFoldersListAreNotFilteredAgain)
{
    ScriptedRun run({"D:\\a.jpg", "D:\\b.dat"}, true);
    run.Go();
    EXPECT_EQ(run.ran.size(), 2u);
}

TEST(RunBatchLoop, NothingUsableEndsWithoutPictures)
{
    for (const std::vector<std::string>& inputs : {std::vector<std::string>{"D:\\x.txt"}, std::vector<std::string>{}}) {
        ScriptedRun run(inputs);
        const BatchEnd end = run.Go();
        EXPECT_TRUE(run.ran.empty());
        EXPECT_EQ(run.state.iProgress, kProgressDoneWithout);
        EXPECT_EQ(run.state.iEscState, 0) << "so the painting says the file does not fit";
        EXPECT_FALSE(end.startEndTimer);
    }
}

TEST(RunBatchLoop, MoreThan9000InputsTakeTheFirst9000)
{
    ScriptedRun run(Pictures(9500));
    run.Go();
    EXPECT_EQ(run.state.iTotalFiles, 9000);
    ASSERT_EQ(run.ran.size(), 9000u);
    EXPECT_EQ(run.ran.back(), "D:\\in\\p9000.jpg");
}

TEST(RunBatchLoop, AnEscDuringAFailingJobsBoxNeverMakesTheCountNegative)
{
    ScriptedRun run(Pictures(2));
    run.outcomes["D:\\in\\p1.jpg"] = [](WindowStateRecord& state) {
        EXPECT_TRUE(TakeRunEsc(state));  // the job's message box let the hot key through
        return PictureOutcome{};
    };
    std::vector<int> seen;
    run.hooks.repaint = [&] { seen.push_back(run.state.iProgress); };
    run.Go();
    EXPECT_EQ(seen, (std::vector<int>{1, 1}));
    EXPECT_EQ(run.state.iDoneFiles, 1);
}

TEST(TakeRunEsc, OnlyWhileARunGoes)
{
    WindowStateRecord idle;
    idle.iProgress = kProgressDoneWithPictures;  // a result on screen
    idle.iLatchedZone = 2;
    EXPECT_FALSE(TakeRunEsc(idle));
    EXPECT_EQ(idle.iEscState, 0);
    EXPECT_EQ(idle.iProgress, kProgressDoneWithPictures);
    EXPECT_EQ(idle.iLatchedZone, 2);

    WindowStateRecord running;
    running.iRunning = 1;
    running.iProgress = 7;
    running.iLatchedZone = 1;
    running.iSelectorLit = 1;
    EXPECT_TRUE(TakeRunEsc(running));
    EXPECT_EQ(running.iEscState, 1);
    EXPECT_EQ(running.iProgress, 0);
    EXPECT_EQ(running.iLatchedZone, 0);
    EXPECT_EQ(running.iSelectorLit, 0);
}

} // namespace
