// Run-folder names and the search for the next free one, on made-up listings.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "engine/run_folders.h"

namespace {

using Listing = std::map<std::string, EntryKind>;

auto Probe(const Listing& listing)
{
    return [&listing](const std::string& name) {
        auto it = listing.find(name);
        return it == listing.end() ? EntryKind::Missing : it->second;
    };
}

Listing Folders(std::initializer_list<const char*> names)
{
    Listing l;
    for (const char* n : names) l[n] = EntryKind::Folder;
    return l;
}

} // namespace

TEST(RunFolderName, DigitsByRange)
{
    const std::pair<int, const char*> rows[] = {
        {0, "000"}, {1, "001"}, {9, "009"}, {10, "010"}, {99, "099"}, {100, "100"}, {999, "999"}, {1000, "1000"},
    };
    for (auto [number, name] : rows) EXPECT_EQ(RunFolderName(number), name) << number;
}

TEST(RunFolders, NextAndLast)
{
    Listing withFile = Folders({"001", "002"});
    withFile["003"] = EntryKind::Other;
    Listing fileThenFolder = withFile;
    fileThenFolder["004"] = EntryKind::Folder;
    Listing upTo120;
    for (int i = 1; i <= 120; ++i) upTo120[(i < 10 ? "00" : i < 100 ? "0" : "") + std::to_string(i)] = EntryKind::Folder;

    struct Row {
        const char* rule;
        Listing listing;
        int next;
        int last;
    };
    const Row rows[] = {
        {"empty output folder", {}, 1, 0},
        {"a gap: 001, 002, 004", Folders({"001", "002", "004"}), 3, 2},
        {"001 to 010", Folders({"001", "002", "003", "004", "005", "006", "007", "008", "009", "010"}), 11, 10},
        {"000 does not matter", Folders({"000", "001"}), 2, 1},
        {"000 alone", Folders({"000"}), 1, 0},
        {"a file named 003 is stepped over", withFile, 4, 2},
        {"a folder after the file is still the last", fileThenFolder, 5, 4},
        {"other three-letter names do not matter", Folders({"abc", "001"}), 2, 1},
        {"past 099 the names have no leading zero", upTo120, 121, 120},
    };
    for (const Row& row : rows) {
        const int next = NextRunFolderNumber(Probe(row.listing));
        EXPECT_EQ(next, row.next) << row.rule;
        EXPECT_EQ(LastRunFolderNumber(next, Probe(row.listing)), row.last) << row.rule;
    }
}

// A share that answers "access denied" for every name it does not show is
// neither free nor taken there: the search stops at the first such name
// instead of walking every number up to 99999.
TEST(RunFolders, AnUnanswerableNameStopsTheSearch)
{
    const Listing listing = Folders({"001", "002"});
    int probes = 0;
    auto deniedBeyond = [&](const std::string& name) {
        ++probes;
        auto it = listing.find(name);
        return it == listing.end() ? EntryKind::Unknown : it->second;
    };
    EXPECT_EQ(NextRunFolderNumber(deniedBeyond), 0);
    EXPECT_EQ(probes, 3);
    EXPECT_EQ(LastRunFolderNumber(4, deniedBeyond), 0) << "nor is a run folder below it taken for the last";
}
