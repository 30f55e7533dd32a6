#include "ui/dpi_scale.h"

#include <cstdlib>

namespace {

// 25 % to 1000 %: past this a value is a broken answer, not a screen.
constexpr int kMinDpi = 24;
constexpr int kMaxDpi = 960;
constexpr int kArtworkScales[] = {100, 150, 200, 250};

// floor(a / b) for b > 0, negative a included.
int FloorDiv(long long a, long long b)
{
    return static_cast<int>(a >= 0 ? a / b : -((-a + b - 1) / b));
}

} // namespace

int UsableDpi(int dpi)
{
    return dpi >= kMinDpi && dpi <= kMaxDpi ? dpi : kBaseDpi;
}

int ToPhysical(int logical, int dpi)
{
    // Halves round away from zero, as MulDiv does.
    const long long scaled = static_cast<long long>(logical) * UsableDpi(dpi) * 2;
    return scaled >= 0 ? FloorDiv(scaled + kBaseDpi, 2 * kBaseDpi) : -FloorDiv(-scaled + kBaseDpi, 2 * kBaseDpi);
}

int ToLogical(int physical, int dpi)
{
    return FloorDiv(static_cast<long long>(physical) * kBaseDpi, UsableDpi(dpi));
}

ZoneRect ToPhysical(const ZoneRect& r, int dpi)
{
    return {ToPhysical(r.left, dpi), ToPhysical(r.top, dpi), ToPhysical(r.right, dpi), ToPhysical(r.bottom, dpi)};
}

ZoneRect ToLogical(const ZoneRect& r, int dpi)
{
    return {ToLogical(r.left, dpi), ToLogical(r.top, dpi), ToLogical(r.right, dpi), ToLogical(r.bottom, dpi)};
}

int ArtworkScaleFor(int dpi)
{
    const int percent2 = UsableDpi(dpi) * 200 / kBaseDpi;  // twice the per cent, so 125 % stays a tie
    int best = kArtworkScales[0];
    for (int scale : kArtworkScales) {
        if (std::abs(2 * scale - percent2) <= std::abs(2 * best - percent2)) best = scale;
    }
    return best;
}
