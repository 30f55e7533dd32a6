// Files dropped without paths: which become inputs, the names their copies
// get, the effect answered, and when a file's contents came whole.
#include <gtest/gtest.h>

#include "ui/virtual_files.h"

namespace {

TEST(VirtualInputs, PicturesInTheSendersOrderByTheirOwnNames)
{
    std::vector<FileDescriptorInfo> described = {
        {"DCIM", true, {}, {}, {}},
        {"DCIM\\100APPLE\\IMG_0002.HEIC", false, 2048, 133000000000000000ull, {}},
        {"DCIM\\100APPLE\\notes.txt", false, 10, {}, {}},
        {"DCIM\\101APPLE\\img_0001.jpg", false, {}, {}, 132000000000000000ull},
        {"DCIM\\ghost.jpg", true, {}, {}, {}},
        {"..", false, 1, {}, {}},
    };
    const std::vector<VirtualInput> inputs = VirtualInputs(described);
    ASSERT_EQ(inputs.size(), 2u) << "folders, other files and names that leave nothing are passed over";
    EXPECT_EQ(inputs[0].index, 1);
    EXPECT_EQ(inputs[0].fileName, "IMG_0002.HEIC");
    EXPECT_EQ(inputs[0].size, 2048u);
    EXPECT_EQ(inputs[0].writeTime, 133000000000000000ull);
    EXPECT_EQ(inputs[1].index, 3) << "the index is the descriptor's place, by which its contents are asked for";
    EXPECT_EQ(inputs[1].fileName, "img_0001.jpg");
    EXPECT_FALSE(inputs[1].size);
    EXPECT_EQ(inputs[1].creationTime, 132000000000000000ull);
}

TEST(VirtualInputs, AtMost9000)
{
    std::vector<FileDescriptorInfo> described(9005, FileDescriptorInfo{"p.jpg", false, {}, {}, {}});  // a short name too
    const std::vector<VirtualInput> inputs = VirtualInputs(described);
    ASSERT_EQ(inputs.size(), 9000u);
    EXPECT_EQ(inputs.back().index, 8999);
}

TEST(SafeFileName, WhatTheFileSystemTakes)
{
    struct Row {
        const char* sender;
        const char* expected;
        const char* rule;
    } rows[] = {
        {"DCIM\\100APPLE/IMG_1.HEIC", "IMG_1.HEIC", "the last element of a relative name"},
        {"Фото 😀 1.jpg", "Фото 😀 1.jpg", "any character a name may hold stays"},
        {"a:b?c*<d>|\"e\x01.jpg", "a_b_c__d___e_.jpg", "characters no name holds, and a stream's colon"},
        {"photo.jpg. . ", "photo.jpg", "trailing dots and blanks go, as the system drops them"},
        {"..", "", "nothing is left"},
        {"CON.jpg", "_CON.jpg", "a device's name"},
        {"com1", "_com1", "a device's name in any case"},
        {"COM10.jpg", "COM10.jpg", "no device"},
        {"console.jpg", "console.jpg", "no device either"},
    };
    for (const Row& r : rows) EXPECT_EQ(SafeFileName(r.sender), r.expected) << r.rule;
}

TEST(ChosenDropEffect, ACopyOrNothingNeverAMove)
{
    constexpr uint32_t kMove = 2, kLink = 4;
    struct Row {
        bool takes;
        uint32_t allowed, expected;
        const char* rule;
    } rows[] = {
        {true, kEffectCopy | kMove, kEffectCopy, "a phone allows a move too: a copy"},
        {true, kEffectCopy | kLink, kEffectCopy, "a copy"},
        {true, kMove, kEffectNone, "a sender that allows only a move gets nothing"},
        {false, kEffectCopy, kEffectNone, "nothing the window takes"},
    };
    for (const Row& r : rows) EXPECT_EQ(ChosenDropEffect(r.takes, r.allowed), r.expected) << r.rule;
}

TEST(ContentsMeter, WholeOnlyAsTheSenderDescribedIt)
{
    struct Row {
        std::optional<uint64_t> announced;
        std::vector<size_t> chunks;  // what came, until the contents ended
        bool whole;
        const char* rule;
    } rows[] = {
        {10, {4, 4, 2}, true, "the size given"},
        {10, {4, 2}, false, "ended early"},
        {0, {}, false, "an empty file is no picture"},
        {{}, {4, 1}, true, "no size: up to the end"},
        {{}, {}, false, "no size and nothing"},
    };
    for (const Row& r : rows) {
        ContentsMeter meter(r.announced);
        for (size_t n : r.chunks) {
            ASSERT_GE(meter.NextAsk(4), n) << r.rule;
            meter.Took(n);
        }
        EXPECT_EQ(meter.Whole(), r.whole) << r.rule;
    }

    ContentsMeter sized(10);
    sized.Took(8);
    EXPECT_EQ(sized.NextAsk(4), 2u) << "no byte past the size is asked for";
    sized.Took(2);
    EXPECT_EQ(sized.NextAsk(4), 0u);

    ContentsMeter endless({});
    endless.Took(ContentsMeter::kMaxBytes);
    EXPECT_EQ(endless.NextAsk(4), 1u) << "one byte past the limit shows contents that go on";
    endless.Took(1);
    EXPECT_FALSE(endless.Whole());
}

} // namespace
