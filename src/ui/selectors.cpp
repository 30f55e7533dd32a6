#include "ui/selectors.h"

#include <algorithm>
#include <cstdint>

#include "ui/zones.h"

int SelectorValue(int step, int x, int low, int high)
{
    x = std::clamp(x, 20, 380);
    const int permille = std::clamp((x - 20) * 1000 / 360, 0, 1000);
    // 64 bits: the product overflows int for ranges wider than two million.
    const int value = static_cast<int>(low + static_cast<int64_t>(high - low) * permille / 1000);
    return step > 0 ? value - value % step : value;
}

bool ApplySelectorMove(WindowStateRecord& state, const SettingsRecord& settings, int zone, int x)
{
    const int prev = state.iPrevZone;
    int& latch = state.iLatchedZone;
    state.iHoverZone = zone;

    if (zone == kZoneNone && prev > kZoneResetCorner) {
        // Left the band (or another far zone) for nowhere: the latch is gone.
        // From a dial, the folder or the corner it survives the gap down to the band.
        latch = 0;
        state.iSelectorLit = 0;
    } else if (zone == kZoneBand && (latch == kZoneSizeDial || latch == kZoneQualityDial)) {
        zone = latch == kZoneSizeDial ? kZoneSizeSlide : kZoneQualitySlide;
        state.iHoverZone = zone;
        state.iSelectorLit = latch;
    } else {
        if (zone != kZoneNone) latch = zone;
        state.iSelectorLit = latch == kZoneSizeDial ? 1 : latch == kZoneQualityDial ? 2 : 0;
    }

    if (zone == prev) {
        bool repaint = false;
        // A new candidate at most once per selector tick.
        if ((zone == kZoneSizeSlide || zone == kZoneQualitySlide) && state.iSlideTick == 1) {
            if (zone == kZoneSizeSlide)
                state.MaxPixShown = SelectorValue(kSizeStep, x, settings.MaxPixMin, settings.MaxPixMax);
            else
                state.ProtsShown = SelectorValue(kQualityStep, x, settings.ProtsMin, settings.ProtsMax);
            state.iSlideTick = 0;
            repaint = true;
        }
        state.iPrevZone = zone;
        return repaint;
    }

    // Any change of zone puts the committed values back on screen, so an
    // uncommitted candidate vanishes as soon as the mouse leaves the band.
    state.MaxPixShown = settings.MaxPix;
    state.ProtsShown = settings.Prots;
    if (prev == kZoneSizeSlide || prev == kZoneQualitySlide) state.iSelectorLit = 0;
    state.iPrevZone = state.iHoverZone;
    return true;
}

void CommitSelector(WindowStateRecord& state, SettingsRecord& settings)
{
    if (state.iHoverZone == kZoneSizeSlide) settings.MaxPix = state.MaxPixShown;
    if (state.iHoverZone == kZoneQualitySlide) settings.Prots = state.ProtsShown;
}

void ClearHover(WindowStateRecord& state)
{
    state.iHoverZone = 0;
    state.iSelectorLit = 0;
    state.iPrevZone = 0;
    state.iLatchedZone = 0;
}

void ShowResetSettings(WindowStateRecord& state, const SettingsRecord& settings)
{
    state.MaxPixShown = settings.MaxPix;
    state.ProtsShown = settings.Prots;
    state.iHoverZone = 0;
    state.iSelectorLit = 0;
    state.iProgress = 0;
}
