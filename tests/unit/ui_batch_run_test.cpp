// The batch run's portable half: the loop with pauses, Esc and end state.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "ui/batch_run.h"

namespace {

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

PictureResult Failed(JobStop stop)
{
    PictureResult r;
    r.stop = stop;
    return r;
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
            PictureResult made;
            made.made = true;
            made.written = "OUT\\" + path;
            return made;
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
    std::map<std::string, std::function<PictureResult(WindowStateRecord&)>> outcomes;
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
        std::string note;
        const char* rule;
    } rows[] = {
        {50, 1, 10, 0, 0, 0, kRunStoppedNote, "Esc in the pause after 10 of 50 stops before the 11th"},
        {21, 1, 10, 0, 0, 0, kRunStoppedNote, "10 < 21 - 10: still stops"},
        {20, 1, 20, kProgressDoneWithPictures, 10, 1, "", "10 of 20: within the last ten, goes on; the count restarts at the Esc"},
        {45, 4, 45, kProgressDoneWithPictures, 5, 1, "", "Esc after 40 of 45 goes on: the result counts the 5 made after it"},
        {50, 0, 50, kProgressDoneWithPictures, 50, 0, "", "no Esc"},
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
        EXPECT_EQ(run.state.NoteText, r.note) << r.rule;
        EXPECT_EQ(run.state.iNoteTicks, r.note.empty() ? 0 : kNoteTicks) << r.rule;
        EXPECT_EQ(run.state.iRunning, 0) << r.rule;
    }
}

TEST(RunBatchLoop, AFailedPictureIsSkippedAndNotCounted)
{
    ScriptedRun run(Pictures(12));
    run.outcomes["D:\\in\\p3.jpg"] = [](WindowStateRecord&) { return Failed(JobStop::Unreadable); };
    run.Go();
    EXPECT_EQ(run.ran.size(), 12u) << "the run goes on";
    EXPECT_EQ(run.pausesAfter, std::vector<int>{11}) << "the pause comes after the tenth picture made";
    EXPECT_EQ(run.state.iDoneFiles, 11);
    EXPECT_EQ(run.settings.VarboOver, 0);
}

TEST(RunBatchLoop, AFullFolderStopsTheRun)
{
    for (const auto& [stop, code] : {std::pair{JobStop::DesktopFull, 1}, std::pair{JobStop::FolderFull, 2}}) {
        ScriptedRun run(Pictures(12));
        run.outcomes["D:\\in\\p4.jpg"] = [stop](WindowStateRecord&) { return Failed(stop); };
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
        EXPECT_EQ(run.state.iProgress, 0);
        EXPECT_EQ(run.state.NoteText, kNothingMadeNote);
        EXPECT_EQ(run.state.iNoteTicks, kNoteTicks) << "a note: it stays its time whatever repaints meanwhile";
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
        return Failed(JobStop::FontUnusable);
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
