// What a start hands to the running copy, and the running copy's memory of its answers.
#include <gtest/gtest.h>

#include <string>

#include "shell/hand_off.h"

using namespace std::string_literals;

TEST(HandOff, RoundTrip)
{
    const HandOffRequest rows[] = {
        {"1234.133456789012345678", R"(C:\Users\Anna Maria\Pictures\IMG 0001.jpg)"},
        {"7.1", R"(\\server\share\Фото\я 😀.png)"},
        {"7.1", "ab"},  // two characters are a picture path
        {"7.1", "C:\\" + [] { std::string s; for (int i = 0; i < 20000; ++i) s += "ж"; return s; }()},  // 40000 bytes, 20003 units
    };
    for (const HandOffRequest& sent : rows) {
        HandOffRequest got;
        ASSERT_TRUE(DecodeHandOff(EncodeHandOff(sent), got)) << sent.picture;
        EXPECT_EQ(got, sent) << sent.picture;
    }
}

TEST(HandOff, RefusesWhatIsNotOurs)
{
    struct Row {
        const char* rule;
        std::string bytes;
    };
    const Row rows[] = {
        {"empty", ""},
        {"another program's data", "hello\nworld"},
        {"header only", "VARBO-HANDOFF\n"},
        {"no picture line", "VARBO-HANDOFF\n1.2"},
        {"empty sender", "VARBO-HANDOFF\n\nC:\\a.jpg"},
        {"empty picture", "VARBO-HANDOFF\n1.2\n"},
        {"one character would be a window start", "VARBO-HANDOFF\n1.2\nx"},
        {"one Cyrillic character (two bytes) likewise", "VARBO-HANDOFF\n1.2\nЖ"},
        {"a terminator inside", "VARBO-HANDOFF\n1.2\nC:\\a\0.jpg"s},
        {"longer than any Windows path", "VARBO-HANDOFF\n1.2\n" + std::string(32768, 'a')},
    };
    for (const Row& row : rows) {
        HandOffRequest got{"untouched", "untouched"};
        EXPECT_FALSE(DecodeHandOff(row.bytes, got)) << row.rule;
        EXPECT_EQ(got.picture, "untouched") << row.rule;
    }
}

TEST(HandOff, Replies)
{
    EXPECT_EQ(HandOffReplyForJob(1), kHandOffDone);
    EXPECT_EQ(HandOffReplyForJob(0), kHandOffFailed);
    EXPECT_TRUE(HandOffReplyIsFinal(kHandOffDone));
    EXPECT_TRUE(HandOffReplyIsFinal(kHandOffFailed));
    EXPECT_FALSE(HandOffReplyIsFinal(kHandOffBusy)) << "busy: ask again";
    EXPECT_FALSE(HandOffReplyIsFinal(kHandOffNotTaken)) << "a window that does not know the message answers 0";
}

TEST(HandOffLedger, RemembersTheLastAnswers)
{
    HandOffLedger ledger(2);
    const HandOffRequest a{"1.1", "C:\\a.jpg"}, b{"2.2", "C:\\b.jpg"}, c{"3.3", "C:\\c.jpg"};
    long reply = -1;
    EXPECT_FALSE(ledger.Find(a, reply));
    ledger.Remember(a, kHandOffDone);
    ledger.Remember(b, kHandOffFailed);
    ASSERT_TRUE(ledger.Find(a, reply));
    EXPECT_EQ(reply, kHandOffDone);
    ASSERT_TRUE(ledger.Find(b, reply));
    EXPECT_EQ(reply, kHandOffFailed);
    EXPECT_FALSE(ledger.Find({"1.1", "C:\\b.jpg"}, reply)) << "same sender, another picture";
    EXPECT_FALSE(ledger.Find({"9.9", "C:\\a.jpg"}, reply)) << "another sender, same picture";

    ledger.Remember(c, kHandOffDone);
    EXPECT_FALSE(ledger.Find(a, reply)) << "the oldest is forgotten first";
    EXPECT_TRUE(ledger.Find(b, reply));
    EXPECT_TRUE(ledger.Find(c, reply));
}
