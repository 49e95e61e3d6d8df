#pragma once

// Which piece a parameter that falls exactly on a breakpoint belongs to: the segment (or patch) that
// ends there (before) or the one that starts there (after). The two differ wherever the pieces do not
// join, which is what the quality measurements look at.
enum class vdaSide : unsigned char { before, after };

// The index of the piece that holds parameter `x`, for `n` >= 1 pieces whose interior breakpoints are
// inner(1) < ... < inner(n - 1). A parameter before the first or after the last breakpoint belongs to
// the first or the last piece (which then extrapolates). Binary search: log2(n) calls of `inner`.
template <class Inner>
int vda_locate(int n, double x, vdaSide side, Inner inner) noexcept
{
    // Count the interior breakpoints that lie below x (before) or at or below it (after).
    int lo = 1;
    int hi = n;  // the answer is lo - 1 once the range [lo, hi) is empty
    while (lo < hi) {
        const int mid = lo + (hi - lo) / 2;
        const double b = inner(mid);
        if (side == vdaSide::after ? b <= x : b < x)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo - 1;
}
