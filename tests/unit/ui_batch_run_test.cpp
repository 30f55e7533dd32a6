// The batch run's portable half: the coordinator's order of making, saving
// and counting, Esc, stops, closing and the end state.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
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

PictureResult Failed(JobStop stop, std::string message = {})
{
    PictureResult r;
    r.stop = stop;
    r.message = std::move(message);
    return r;
}

// A run driven by hand: the test decides when each picture is made and each
// save ends, in any order, as worker threads and the writer would.
class DrivenRun {
public:
    explicit DrivenRun(std::vector<std::string> inputs, int workers = 2, bool fromList = false, std::vector<uint64_t> weights = {},
                       bool withoutPaths = false)
        : inputs_(std::move(inputs))
    {
        state.iDropCount = static_cast<int>(inputs_.size());
        state.iFromList = fromList ? 1 : 0;
        BatchCoordinator::Hooks hooks;
        hooks.inputName = [this](int i) -> std::optional<std::string> {
            if (inputs_[i] == "?") return std::nullopt;
            return inputs_[i];
        };
        hooks.make = [this](int i, const std::string&, bool isLast) {
            if (isLast) last.push_back(i);
            making.push_back(i);
            maxMaking = std::max(maxMaking, static_cast<int>(making.size()));
        };
        hooks.save = [this](int i) {
            EXPECT_EQ(saving, -1) << "one save at a time";
            saving = i;
            saveOrder.push_back(i);
        };
        hooks.discard = [this](int i) { discarded.push_back(i); };
        hooks.show = [this](const std::string& text, const std::string&) { shown.push_back(text); };
        if (!weights.empty()) hooks.inputWeight = [weights](int i) { return weights[i]; };
        hooks.sourcesWithoutPaths = withoutPaths;
        run = std::make_unique<BatchCoordinator>(state, settings, workers, std::move(hooks));
        run->Start();
    }
    // Picture `index` made (or failed), as its worker reports it.
    void Made(int index, bool ok = true, const PictureResult& failure = {})
    {
        auto it = std::find(making.begin(), making.end(), index);
        ASSERT_NE(it, making.end()) << "picture " << index << " was not in work";
        making.erase(it);
        run->OnMade(index, ok, failure);
    }
    // The save in hand ends; a made picture is named after its place.
    void Saved(const PictureResult* result = nullptr)
    {
        ASSERT_NE(saving, -1);
        const int index = saving;
        saving = -1;
        PictureResult made;
        made.made = true;
        made.written = "OUT\\" + std::to_string(index + 1) + ".jpg";
        run->OnSaved(index, result ? *result : made, EntryKind::Other);
    }
    // Every picture made as soon as it is started, oldest first, each save ended at once.
    void RunThrough()
    {
        while (!run->Finished()) {
            if (saving != -1) Saved();
            else if (!making.empty()) Made(making.front());
            else break;
        }
    }

    WindowStateRecord state;
    SettingsRecord settings;
    std::unique_ptr<BatchCoordinator> run;
    std::vector<int> making, saveOrder, discarded, last;
    std::vector<std::string> shown;
    int saving = -1, maxMaking = 0;

private:
    std::vector<std::string> inputs_;
};

std::vector<std::string> Pictures(int n)
{
    std::vector<std::string> v;
    for (int i = 1; i <= n; ++i) v.push_back("D:\\in\\p" + std::to_string(i) + ".jpg");
    return v;
}

TEST(BatchCoordinator, AllPicturesAreMadeSavedInOrderAndCounted)
{
    DrivenRun run(Pictures(12), 3);
    EXPECT_EQ(run.making, (std::vector<int>{0, 1, 2})) << "as many in work as there are workers";
    run.RunThrough();
    ASSERT_TRUE(run.run->Finished());
    const BatchEnd end = run.run->End();
    EXPECT_EQ(run.maxMaking, 3);
    EXPECT_EQ(run.saveOrder, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
    EXPECT_EQ(run.state.iProgress, kProgressDoneWithPictures);
    EXPECT_EQ(run.state.iDoneFiles, 12);
    EXPECT_EQ(run.state.iTotalFiles, 12);
    EXPECT_EQ(run.state.iRunning, 0);
    EXPECT_TRUE(end.startEndTimer);
    EXPECT_FALSE(end.endProgram || end.closeWindow);
    EXPECT_EQ(run.settings.LastFile, "D:\\in\\p12.jpg");
    EXPECT_EQ(run.settings.LastVarbo, "OUT\\12.jpg");
    EXPECT_EQ(run.settings.LastDir, "D:\\in");
}

// Files without paths: their names were filtered already (a short one too),
// and their copies are gone after the run, so only LastVarbo names the run.
TEST(BatchCoordinator, FilesWithoutPathsKeepTheLastSourceThatHasOne)
{
    DrivenRun run({"a.jpg", "IMG_0002.HEIC"}, 2, false, {}, true);
    run.settings.LastFile = "D:\\in\\x.jpg";
    run.settings.LastDir = "D:\\in";
    run.RunThrough();
    run.run->End();
    EXPECT_EQ(run.saveOrder, (std::vector<int>{0, 1}));
    EXPECT_EQ(run.settings.LastVarbo, "OUT\\2.jpg");
    EXPECT_EQ(run.settings.LastFile, "D:\\in\\x.jpg");
    EXPECT_EQ(run.settings.LastDir, "D:\\in");
}

// Workers finish out of order; the pictures are still saved, and so named
// and counted, in drop order, and the last one made in drop order is the one
// the settings name.
TEST(BatchCoordinator, OutOfOrderEndsAreSavedInDropOrder)
{
    DrivenRun run(Pictures(4), 2);
    run.Made(1);
    EXPECT_EQ(run.saving, -1) << "the second picture waits for the first";
    EXPECT_EQ(run.making, (std::vector<int>{0, 2})) << "its worker took the next picture";
    run.Made(2);
    run.Made(0);
    EXPECT_EQ(run.saving, 0);
    run.Saved();
    EXPECT_EQ(run.state.iProgress, 1) << "counted as it is saved";
    run.Saved();
    run.Saved();
    run.Made(3);
    run.Saved();
    ASSERT_TRUE(run.run->Finished());
    run.run->End();
    EXPECT_EQ(run.saveOrder, (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(run.settings.LastFile, "D:\\in\\p4.jpg");
}

// With weights the heaviest of the next few inputs starts first, so a large
// picture late in the drop is not left to one core at the end; names, counts
// and the last picture stay those of drop order.
TEST(BatchCoordinator, TheHeaviestOfTheNextFewStartsFirstAndTheOrderOfNamesStays)
{
    struct Row {
        const char* rule;
        int inputs, workers;
        std::vector<uint64_t> weights;
        std::vector<int> firstStarted;
    } rows[] = {
        {"the heavy fifth starts with the first", 6, 2, {1, 1, 1, 1, 9, 1}, {4, 0}},
        {"beyond the next sixteen it waits its turn", 20, 2, std::vector<uint64_t>(19, 1), {0, 1}},
        // Weights 1 to 20: the heaviest of the first sixteen is 15. One worker may hold four
        // made pictures: once 15, 14, 13 and 12 wait for the writer, who waits for 0, 0
        // starts although it is the lightest.
        {"held pictures never keep back the one the writer waits for", 20, 1, {}, {15}},
    };
    rows[1].weights.push_back(9);
    for (int i = 0; i < 20; ++i) rows[2].weights.push_back(static_cast<uint64_t>(i + 1));
    for (const Row& row : rows) {
        DrivenRun run(Pictures(row.inputs), row.workers, false, row.weights);
        EXPECT_EQ(run.making, row.firstStarted) << row.rule;
        run.RunThrough();
        ASSERT_TRUE(run.run->Finished()) << row.rule;
        run.run->End();
        std::vector<int> inOrder(static_cast<size_t>(row.inputs));
        for (int i = 0; i < row.inputs; ++i) inOrder[i] = i;
        EXPECT_EQ(run.saveOrder, inOrder) << row.rule;
        EXPECT_EQ(run.state.iDoneFiles, row.inputs) << row.rule;
        EXPECT_EQ(run.settings.LastFile, "D:\\in\\p" + std::to_string(row.inputs) + ".jpg") << row.rule;
    }
}

// Started early for its size, picture 5 is made but not saved: 1 to 4 never started, and a
// stopped run keeps only the first pictures of the drop, so that output k is still input k.
TEST(BatchCoordinator, EscWithWeightsKeepsOnlyTheFirstPicturesOfTheDrop)
{
    std::vector<uint64_t> weights(30, 1);
    weights[5] = 9;
    DrivenRun run(Pictures(30), 2, false, weights);
    ASSERT_EQ(run.making, (std::vector<int>{5, 0}));
    ASSERT_TRUE(TakeRunEsc(run.state));
    run.run->OnEsc();
    run.RunThrough();
    ASSERT_TRUE(run.run->Finished());
    run.run->End();
    EXPECT_EQ(run.saveOrder, (std::vector<int>{0}));
    EXPECT_EQ(run.discarded, (std::vector<int>{5}));
    EXPECT_EQ(run.state.iDoneFiles, 1);
    EXPECT_EQ(run.state.NoteText, kRunStoppedNote);
}

// The last picture to start is told so (it may take the cores the others give up), once,
// whatever the order the weights give; a passed-over input at the end does not hide it.
TEST(BatchCoordinator, TheLastPictureToStartIsToldSo)
{
    DrivenRun plain(Pictures(5), 2);
    plain.RunThrough();
    EXPECT_EQ(plain.last, (std::vector<int>{4}));
    std::vector<std::string> inputs = Pictures(5);
    inputs[4] = "notes.txt";
    DrivenRun weighed(inputs, 2, false, {1, 9, 1, 1, 1});
    weighed.RunThrough();
    EXPECT_EQ(weighed.last, (std::vector<int>{3})) << "1 starts first for its weight; 4 is no picture";
}

TEST(BatchCoordinator, AFailedPictureIsSkippedAndNotCounted)
{
    DrivenRun run(Pictures(5), 2);
    run.Made(1, false, Failed(JobStop::FontUnusable, "font"));
    run.Made(0);
    run.RunThrough();
    run.run->End();
    EXPECT_EQ(run.saveOrder, (std::vector<int>{0, 2, 3, 4})) << "the next picture is saved in its place";
    EXPECT_EQ(run.state.iDoneFiles, 4);
    EXPECT_EQ(run.shown, std::vector<std::string>{"font"});
    EXPECT_EQ(run.settings.VarboOver, 0);
}

TEST(BatchCoordinator, EscStopsNewPicturesUnlessWithinTheLastTen)
{
    struct Row {
        int inputs;
        int escAfterSaved;  // the hot key comes once this many are saved
        size_t saved;
        int done;
        std::string note;
        const char* rule;
    } rows[] = {
        {50, 10, 12, 2, kRunStoppedNote, "Esc after 10 of 50: the two in work are kept, nothing new starts"},
        {23, 10, 12, 2, kRunStoppedNote, "the 13th would start: 12 < 23 - 10, still stops"},
        {22, 10, 22, 12, "", "the 13th of 22 is within the last ten: goes on; the count restarts at the Esc"},
        {50, 0, 50, 50, "", "no Esc"},
    };
    for (const Row& r : rows) {
        DrivenRun run(Pictures(r.inputs), 2);
        int savedCount = 0;
        while (!run.run->Finished()) {
            if (run.saving != -1) {
                run.Saved();
                if (++savedCount == r.escAfterSaved) {
                    ASSERT_TRUE(TakeRunEsc(run.state));
                    run.run->OnEsc();
                }
            } else if (!run.making.empty()) {
                run.Made(run.making.front());
            }
        }
        run.run->End();
        EXPECT_EQ(run.saveOrder.size(), r.saved) << r.rule;
        EXPECT_EQ(run.state.iDoneFiles, r.done) << r.rule;
        EXPECT_EQ(run.state.NoteText, r.note) << r.rule;
        EXPECT_EQ(run.state.iProgress, r.note.empty() ? kProgressDoneWithPictures : 0) << r.rule;
        EXPECT_EQ(run.state.iEscState, r.note.empty() && r.escAfterSaved ? 1 : 0) << r.rule;
    }
}

TEST(BatchCoordinator, AFullFolderStopsAtThatPictureAndKeepsThoseBefore)
{
    DrivenRun run(Pictures(12), 2);
    run.Made(0);
    run.Made(1);
    run.Saved();
    run.Made(2);  // made ahead while the second is saved
    const PictureResult full = Failed(JobStop::FolderFull, "full");
    run.Saved(&full);
    EXPECT_TRUE(run.making.size() <= 2u);
    while (!run.making.empty()) run.Made(run.making.front());
    ASSERT_TRUE(run.run->Finished()) << "the pictures in work end; nothing more is saved";
    const BatchEnd end = run.run->End();
    EXPECT_EQ(run.saveOrder, (std::vector<int>{0, 1}));
    EXPECT_FALSE(run.discarded.empty()) << "what was made after it is dropped";
    EXPECT_EQ(run.state.iDoneFiles, 1);
    EXPECT_EQ(run.settings.VarboOver, 2);
    EXPECT_EQ(run.settings.LastFile, "D:\\in\\p1.jpg");
    EXPECT_EQ(run.shown, std::vector<std::string>{"full"});
    EXPECT_TRUE(end.endProgram) << "a full output folder ends the program";
}

TEST(BatchCoordinator, AnOutputThatCannotBeWrittenStopsTheRunWithItsReason)
{
    DrivenRun run(Pictures(6), 2);
    run.Made(0);
    run.Saved();
    run.Made(1);
    const PictureResult diskFull = Failed(JobStop::SaveFailed, "disk full");
    run.Saved(&diskFull);
    while (!run.making.empty()) run.Made(run.making.front());
    ASSERT_TRUE(run.run->Finished());
    const BatchEnd end = run.run->End();
    EXPECT_EQ(run.saveOrder, (std::vector<int>{0, 1}));
    EXPECT_EQ(run.shown, std::vector<std::string>{"disk full"}) << "said once";
    EXPECT_EQ(run.state.iDoneFiles, 1);
    EXPECT_EQ(run.settings.VarboOver, 0);
    EXPECT_FALSE(end.endProgram);
}

TEST(BatchCoordinator, ClosingStopsNewPicturesAndKeepsThoseInWork)
{
    DrivenRun run(Pictures(30), 2);
    run.Made(0);
    run.Saved();
    run.run->OnClose();
    EXPECT_FALSE(run.run->Finished()) << "two pictures are in work";
    run.RunThrough();
    const BatchEnd end = run.run->End();
    EXPECT_TRUE(end.closeWindow);
    EXPECT_EQ(run.saveOrder, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(run.settings.LastFile, "D:\\in\\p3.jpg") << "the settings name the last picture made";
}

TEST(BatchCoordinator, UnreadableNamesAndNonPicturesArePassedOver)
{
    DrivenRun run({"D:\\a.jpg", "?", "D:\\notes.txt", "", "D:\\b.png"});
    run.RunThrough();
    run.run->End();
    EXPECT_EQ(run.saveOrder, (std::vector<int>{0, 4}));
    EXPECT_EQ(run.state.iDoneFiles, 2);
    EXPECT_EQ(run.state.iTotalFiles, 5);

    DrivenRun listed({"D:\\a.jpg", "D:\\b.dat"}, 2, true);
    listed.RunThrough();
    EXPECT_EQ(listed.saveOrder.size(), 2u) << "names from a folder's list are not filtered again";
}

TEST(BatchCoordinator, NothingUsableEndsWithTheNote)
{
    for (const std::vector<std::string>& inputs : {std::vector<std::string>{"D:\\x.txt"}, std::vector<std::string>{}}) {
        DrivenRun run(inputs);
        ASSERT_TRUE(run.run->Finished());
        const BatchEnd end = run.run->End();
        EXPECT_EQ(run.state.iProgress, 0);
        EXPECT_EQ(run.state.NoteText, kNothingMadeNote);
        EXPECT_EQ(run.state.iNoteTicks, kNoteTicks) << "a note: it stays its time whatever repaints meanwhile";
        EXPECT_FALSE(end.startEndTimer);
    }
}

TEST(BatchCoordinator, MoreThan9000InputsTakeTheFirst9000)
{
    DrivenRun run(Pictures(9500), 8);
    run.RunThrough();
    EXPECT_EQ(run.state.iTotalFiles, 9000);
    ASSERT_EQ(run.saveOrder.size(), 9000u);
    EXPECT_EQ(run.saveOrder.back(), 8999);
}

TEST(WorkerCount, OnePerProcessorAtMostEight)
{
    EXPECT_EQ(WorkerCount(0), 1);
    EXPECT_EQ(WorkerCount(2), 2);
    EXPECT_EQ(WorkerCount(64), 8);
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
