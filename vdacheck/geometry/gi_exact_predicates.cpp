#include <cmath>

#include <vdacheck/geometry/gi_exact_predicates.h>

namespace {

int sign_of(double x) noexcept { return (x > 0.0) - (x < 0.0); }

// Adds `b` to the nonoverlapping expansion e[0..n) (smallest component first); the sum is exact.
void grow_expansion(double* e, int& n, double b) noexcept
{
    double q = b;
    for (int i = 0; i < n; ++i) {
        const double s = q + e[i];
        const double bv = s - q;
        const double tail = (q - (s - bv)) + (e[i] - bv);
        e[i] = tail;
        q = s;
    }
    e[n++] = q;
}

}  // namespace

double giExactPredicates::orient_value(const giPoint2& a, const giPoint2& b, const giPoint2& c) noexcept
{
    // |differences| <= 2^26, |products| <= 2^52, |result| <= 2^53: every step is exact.
    return (a.x() - c.x()) * (b.y() - c.y()) - (a.y() - c.y()) * (b.x() - c.x());
}

int giExactPredicates::orient(const giPoint2& a, const giPoint2& b, const giPoint2& c) noexcept
{
    return sign_of(orient_value(a, b, c));
}

int giExactPredicates::incircle(const giPoint2& a, const giPoint2& b, const giPoint2& c, const giPoint2& d) noexcept
{
    const double adx = a.x() - d.x(), ady = a.y() - d.y();
    const double bdx = b.x() - d.x(), bdy = b.y() - d.y();
    const double cdx = c.x() - d.x(), cdy = c.y() - d.y();
    // Lifts and 2x2 minors are whole numbers below 2^53: exact.
    const double alift = adx * adx + ady * ady;
    const double blift = bdx * bdx + bdy * bdy;
    const double clift = cdx * cdx + cdy * cdy;
    const double bc = bdx * cdy - bdy * cdx;
    const double ca = cdx * ady - cdy * adx;
    const double ab = adx * bdy - ady * bdx;
    // Each product needs up to 106 bits: keep it as a rounded head and an exact tail (fma), then sum the
    // six doubles exactly.
    const double terms[3][2] = {{alift, bc}, {blift, ca}, {clift, ab}};
    double e[6];
    int n = 0;
    for (const auto& t : terms) {
        const double head = t[0] * t[1];
        const double tail = std::fma(t[0], t[1], -head);
        grow_expansion(e, n, tail);
        grow_expansion(e, n, head);
    }
    for (int i = n - 1; i >= 0; --i)
        if (e[i] != 0.0)
            return sign_of(e[i]);
    return 0;
}
