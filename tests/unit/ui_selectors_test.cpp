// The size and quality selectors: value mapping, latch, slide and commit, driven by mouse moves.
#include <gtest/gtest.h>

#include "ui/selectors.h"
#include "ui/window_commands.h"

namespace {

struct ValueRow {
    const char* rule;
    int x;
    int size, quality;
};

TEST(SelectorValue, MapsTheTrackToBothSettings)
{
    const ValueRow rows[] = {
        {"left of the track clamps to the low end", 0, 60, 50},
        {"track start", 20, 60, 50},
        {"one pixel in: 2 permille, rounded down to the step", 21, 60, 50},
        {"x 100", 100, 420, 61},
        {"middle of the track", 200, 880, 75},
        {"x 299", 299, 1330, 88},
        {"last pixel before the end: 997 permille", 379, 1690, 99},
        {"track end", 380, 1700, 100},
        {"right of the track clamps to the high end", 500, 1700, 100},
    };
    for (const ValueRow& r : rows) {
        EXPECT_EQ(SelectorValue(10, r.x, 60, 1700), r.size) << r.rule << ", size at x " << r.x;
        EXPECT_EQ(SelectorValue(1, r.x, 50, 100), r.quality) << r.rule << ", quality at x " << r.x;
    }
}

TEST(SelectorValue, WideRangeDoesNotOverflow)
{
    EXPECT_EQ(SelectorValue(1, 380, 0, 2000000000), 2000000000);
    EXPECT_EQ(SelectorValue(1, 200, 0, 2000000000), 1000000000);
}

// A window's worth of state with the settings at their defaults.
struct Mouse {
    WindowStateRecord state;
    SettingsRecord settings;
    PanelControlRects panel;  // no panel controls under the picture
    Mouse()
    {
        state.MaxPixShown = settings.MaxPix;
        state.ProtsShown = settings.Prots;
    }
    bool Move(int x, int y) { return HandleMouseMove(state, settings, x, y, panel).repaint; }
    void Tick() { state.iSlideTick = 1; }
    // Latch the size dial, go straight down into the band, wait a tick, slide to x.
    void SlideSizeTo(int x)
    {
        Move(150, 50);
        Move(150, 130);
        Tick();
        Move(x, 130);
    }
    void Click()
    {
        if (LeftClickAction(state, settings, 0) == ClickAction::CommitSelector) CommitSelector(state, settings);
    }
};

TEST(Selectors, SizeDialDownToTheBandTickThenX200AndClickCommits880)
{
    Mouse m;
    EXPECT_TRUE(m.Move(150, 50));
    EXPECT_EQ(m.state.iSelectorLit, 1);
    EXPECT_TRUE(m.Move(150, 130));
    EXPECT_EQ(m.state.iHoverZone, 8);
    EXPECT_EQ(m.state.MaxPixShown, 901) << "entering the band shows the committed value";
    m.Tick();
    EXPECT_TRUE(m.Move(200, 130));
    EXPECT_EQ(m.state.MaxPixShown, 880);
    EXPECT_EQ(m.state.iSlideTick, 0) << "the tick is used up";
    EXPECT_EQ(m.settings.MaxPix, 901) << "nothing committed before the click";
    m.Click();
    EXPECT_EQ(m.settings.MaxPix, 880);
    EXPECT_EQ(m.settings.Prots, 82);
}

TEST(Selectors, LeavingTheBandWithoutAClickDropsTheCandidate)
{
    Mouse m;
    m.SlideSizeTo(200);
    ASSERT_EQ(m.state.MaxPixShown, 880);
    EXPECT_TRUE(m.Move(200, 100));
    EXPECT_EQ(m.state.MaxPixShown, 901);
    EXPECT_EQ(m.settings.MaxPix, 901);
    EXPECT_EQ(m.state.iSelectorLit, 0);
    EXPECT_EQ(m.state.iLatchedZone, 0);
}

TEST(Selectors, ClickBeforeAnyTickInTheBandKeepsTheValue)
{
    Mouse m;
    m.Move(150, 50);
    m.Move(150, 130);
    m.Move(200, 130);  // no tick since entering
    EXPECT_EQ(m.state.MaxPixShown, 901);
    m.Click();
    EXPECT_EQ(m.settings.MaxPix, 901);
}

TEST(Selectors, QualityDialThenFolderThenBandOpensTheOutputFolder)
{
    Mouse m;
    m.Move(260, 30);
    EXPECT_EQ(m.state.iSelectorLit, 2);
    m.Move(350, 30);
    EXPECT_EQ(m.state.iLatchedZone, 3);
    EXPECT_EQ(m.state.iSelectorLit, 0);
    m.Move(350, 130);
    EXPECT_EQ(m.state.iHoverZone, 6);
    EXPECT_EQ(LeftClickAction(m.state, m.settings, 0), ClickAction::OpenOutputFolder);
}

TEST(Selectors, BeyondTheTrackEndGivesTheHighestValues)
{
    Mouse size;
    size.Move(150, 50);
    size.Move(150, 130);
    size.Tick();
    size.Move(395, 130);
    size.Click();
    EXPECT_EQ(size.settings.MaxPix, 1700);

    Mouse quality;
    quality.Move(260, 30);
    quality.Move(260, 130);
    EXPECT_EQ(quality.state.iHoverZone, 9);
    quality.Tick();
    quality.Move(395, 130);
    EXPECT_EQ(quality.state.ProtsShown, 100);
    quality.Click();
    EXPECT_EQ(quality.settings.Prots, 100);
    EXPECT_EQ(quality.settings.MaxPix, 901);
}

TEST(Selectors, LatchSurvivesTheGapBelowADial)
{
    Mouse m;
    m.Move(150, 50);
    m.Move(150, 100);  // nowhere, between dial and band
    EXPECT_EQ(m.state.iHoverZone, 0);
    EXPECT_EQ(m.state.iSelectorLit, 1) << "still lit while crossing the gap";
    m.Move(150, 130);
    EXPECT_EQ(m.state.iHoverZone, 8);
}

TEST(Selectors, LatchOfTheFolderAndTheCornerSurvivesNowhere)
{
    const struct { const char* rule; int x, y, nowhereX, nowhereY; } from[] = {
        {"result folder", 350, 30, 370, 70}, {"reset corner", 20, 100, 50, 100}};
    for (const auto& f : from) {
        Mouse m;
        m.Move(f.x, f.y);
        const int latch = m.state.iLatchedZone;
        m.Move(f.nowhereX, f.nowhereY);
        EXPECT_EQ(m.state.iHoverZone, 0) << f.rule;
        EXPECT_EQ(m.state.iLatchedZone, latch) << f.rule;
    }
}

TEST(Selectors, AnotherZoneReplacesTheLatch)
{
    Mouse m;
    m.Move(150, 50);
    m.Move(60, 60);  // last-result corner
    EXPECT_EQ(m.state.iLatchedZone, 7);
    EXPECT_EQ(m.state.iSelectorLit, 0);
    m.Move(60, 130);
    EXPECT_EQ(m.state.iHoverZone, 6);
}

TEST(Selectors, BackInTheBandAfterLeavingItIsThePlainBand)
{
    Mouse m;
    m.Move(150, 50);
    m.Move(150, 130);
    m.Move(150, 100);
    m.Move(150, 130);
    EXPECT_EQ(m.state.iHoverZone, 6);
    EXPECT_EQ(m.state.iSelectorLit, 0);
}

TEST(Selectors, AtMostOneCandidatePerTick)
{
    Mouse m;
    m.SlideSizeTo(200);
    EXPECT_FALSE(m.Move(100, 130)) << "no tick, no new candidate, no repaint";
    EXPECT_EQ(m.state.MaxPixShown, 880);
    m.Tick();
    EXPECT_TRUE(m.Move(100, 130));
    EXPECT_EQ(m.state.MaxPixShown, 420);
}

TEST(Selectors, MouseLeaveUnlatches)
{
    Mouse m;
    m.Move(150, 50);
    ClearHover(m.state);
    m.Move(150, 130);
    EXPECT_EQ(m.state.iHoverZone, 6);
}

TEST(Selectors, MovesDuringARunChangeNothing)
{
    Mouse m;
    m.state.iProgress = 3;
    EXPECT_FALSE(m.Move(150, 50));
    EXPECT_EQ(m.state.iHoverZone, 0);
    EXPECT_EQ(m.state.iSelectorLit, 0);
    m.state.iProgress = kProgressDoneWithPictures;
    EXPECT_FALSE(m.Move(150, 50));
    EXPECT_EQ(m.state.iHoverZone, 0);
}

TEST(Selectors, ARepeatedMoveInTheSameZoneDoesNotRepaint)
{
    Mouse m;
    EXPECT_TRUE(m.Move(150, 50));
    EXPECT_FALSE(m.Move(151, 51));
}

TEST(MouseMove, DropTargetFollowsTheRowUnderTheMouse)
{
    Mouse m;
    m.Move(200, 155);
    EXPECT_EQ(m.state.iDropOnText, 1);
    m.Move(200, 154);
    EXPECT_EQ(m.state.iDropOnText, 0);
}

TEST(MouseMove, HandCursorOverTheBandEvenWhileSliding)
{
    Mouse m;
    m.Move(150, 50);
    EXPECT_FALSE(HandleMouseMove(m.state, m.settings, 150, 50, m.panel).handCursor);
    EXPECT_TRUE(HandleMouseMove(m.state, m.settings, 150, 130, m.panel).handCursor);
    EXPECT_EQ(m.state.iHoverZone, 8);
}

} // namespace

namespace {

TEST(ShowResetSettings, DialsShowTheResetValuesAndNothingIsLit)
{
    WindowStateRecord state;
    state.MaxPixShown = 1200;
    state.ProtsShown = 95;
    state.iHoverZone = 5;
    state.iSelectorLit = 2;
    state.iProgress = kProgressDoneWithPictures;
    SettingsRecord settings;  // 901 and 82, as the reset leaves them
    ShowResetSettings(state, settings);
    EXPECT_EQ(state.MaxPixShown, 901);
    EXPECT_EQ(state.ProtsShown, 82);
    EXPECT_EQ(state.iHoverZone, 0);
    EXPECT_EQ(state.iSelectorLit, 0);
    EXPECT_EQ(state.iProgress, 0);
}

} // namespace
