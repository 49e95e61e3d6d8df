#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>

// The numerical tools of the quality measurements: the maximum of a function of one parameter (dense
// samples, then Brent's method around the best of them), a local minimum over the unit square (compass
// search), and integrals by Gauss-Legendre quadrature (fixed and adaptive). All work on the stack.

// Where a function was largest (or smallest) and its value there; value is NaN when the function was
// undefined (NaN) at every point tried.
struct vdcPeak {
    double x = 0.0;
    double value = std::numeric_limits<double>::quiet_NaN();
};
struct vdcPeak2 {
    double u = 0.0;
    double v = 0.0;
    double value = std::numeric_limits<double>::quiet_NaN();
};

// Brent's method on -f: the maximum of f within [a, b] near x (a <= x <= b, fx = f(x) the best value
// known), to a parameter accuracy of 1e-7 of the bracket: at a smooth peak the value is then right to
// about fourteen digits, at a kink to about seven. NaN values count as minus infinity.
template <class F>
vdcPeak vdc_refine_max(F&& f, double a, double b, double x, double fx)
{
    constexpr double golden = 0.3819660112501051;
    const double tol = 1e-7 * (b - a) + 1e-300;
    auto g = [&f](double t) {
        const double y = f(t);
        return std::isnan(y) ? std::numeric_limits<double>::infinity() : -y;
    };
    double v = x, w = x;
    double gx = std::isnan(fx) ? std::numeric_limits<double>::infinity() : -fx;
    double gv = gx, gw = gx;
    double d = 0.0, e = 0.0;
    for (int iteration = 0; iteration < 100; ++iteration) {
        const double m = 0.5 * (a + b);
        if (std::fabs(x - m) <= 2.0 * tol - 0.5 * (b - a))
            break;
        bool golden_step = true;
        if (std::fabs(e) > tol) {
            // A parabola through x, w and v.
            double r = (x - w) * (gx - gv);
            double q = (x - v) * (gx - gw);
            double p = (x - v) * q - (x - w) * r;
            q = 2.0 * (q - r);
            if (q > 0.0)
                p = -p;
            else
                q = -q;
            r = e;
            e = d;
            if (std::fabs(p) < std::fabs(0.5 * q * r) && p > q * (a - x) && p < q * (b - x)) {
                d = p / q;
                const double u = x + d;
                if (u - a < 2.0 * tol || b - u < 2.0 * tol)
                    d = x < m ? tol : -tol;
                golden_step = false;
            }
        }
        if (golden_step) {
            e = (x < m ? b : a) - x;
            d = golden * e;
        }
        const double u = std::fabs(d) >= tol ? x + d : x + (d > 0.0 ? tol : -tol);
        const double gu = g(u);
        if (gu <= gx) {
            (u < x ? b : a) = x;
            v = w;
            gv = gw;
            w = x;
            gw = gx;
            x = u;
            gx = gu;
        } else {
            (u < x ? a : b) = u;
            if (gu <= gw || w == x) {
                v = w;
                gv = gw;
                w = u;
                gw = gu;
            } else if (gu <= gv || v == x || v == w) {
                v = u;
                gv = gu;
            }
        }
    }
    return {x, gx == std::numeric_limits<double>::infinity() ? std::numeric_limits<double>::quiet_NaN() : -gx};
}

// The maximum of f over [a, b]: f at n + 1 evenly spaced points (2 <= n <= 64), then the best local
// maximum among them refined within its neighbouring samples, and the second best too when it comes
// within half of the best. The ends count as samples, so a maximum at an end is exact. A best sample of
// at most `negligible` (rounding noise: a gap of 1e-13 mm has no digits worth refining) is taken as it
// is. On ties the smaller parameter wins.
template <class F>
vdcPeak vdc_maximise(F&& f, double a, double b, int n, double negligible = 0.0)
{
    n = std::clamp(n, 2, 64);
    std::array<double, 65> y;
    const double h = (b - a) / n;
    auto at = [&](int i) { return i == n ? b : a + i * h; };
    for (int i = 0; i <= n; ++i) {
        y[static_cast<std::size_t>(i)] = f(at(i));
        if (std::isnan(y[static_cast<std::size_t>(i)]))
            y[static_cast<std::size_t>(i)] = -std::numeric_limits<double>::infinity();
    }
    // The two best samples that are local maxima.
    int first = -1, second = -1;
    for (int i = 0; i <= n; ++i) {
        const double yi = y[static_cast<std::size_t>(i)];
        if ((i > 0 && y[static_cast<std::size_t>(i - 1)] > yi) || (i < n && y[static_cast<std::size_t>(i + 1)] > yi))
            continue;
        if (first < 0 || yi > y[static_cast<std::size_t>(first)]) {
            second = first;
            first = i;
        } else if (second < 0 || yi > y[static_cast<std::size_t>(second)]) {
            second = i;
        }
    }
    vdcPeak best{a, std::numeric_limits<double>::quiet_NaN()};
    if (first < 0 || y[static_cast<std::size_t>(first)] == -std::numeric_limits<double>::infinity())
        return best;
    best = {at(first), y[static_cast<std::size_t>(first)]};
    if (best.value <= negligible)
        return best;
    for (int i : {first, second}) {
        if (i < 0 || y[static_cast<std::size_t>(i)] == -std::numeric_limits<double>::infinity() ||
            (i == second && y[static_cast<std::size_t>(i)] < 0.5 * best.value))
            continue;
        const vdcPeak p =
            vdc_refine_max(f, at(std::max(i - 1, 0)), at(std::min(i + 1, n)), at(i), y[static_cast<std::size_t>(i)]);
        if (p.value > best.value || (p.value == best.value && p.x < best.x))
            best = p;
    }
    return best;
}

// A local minimum of f over the unit square from (u, v), where f is `value`: compass search along the
// axes, staying inside the square, its step halved from `step` whenever no neighbour is lower, until it
// is below `relative` times |f| (or below `min_step`). Near a minimum m > 0 where f grows like
// sqrt(m^2 + k^2 d^2) with the distance d, the value is then right to about (k relative)^2 / 2 of m, however
// small m; where f falls to 0 the search goes on towards `min_step`. Stops early at a value of 0, and after
// 4000 evaluations.
template <class F>
vdcPeak2 vdc_minimise_in_square(F&& f, double u, double v, double value, double step, double relative,
                                double min_step = 1e-15)
{
    vdcPeak2 best{u, v, value};
    for (int evaluations = 0; evaluations < 4000 && best.value != 0.0;) {
        if (step < min_step || step < relative * std::fabs(best.value))
            break;
        bool moved = false;
        for (const auto& [du, dv] : {std::array<double, 2>{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            const double cu = std::clamp(best.u + du * step, 0.0, 1.0);
            const double cv = std::clamp(best.v + dv * step, 0.0, 1.0);
            if (cu == best.u && cv == best.v)
                continue;
            const double fc = f(cu, cv);
            ++evaluations;
            if (fc < best.value) {
                best = {cu, cv, fc};
                moved = true;
            }
        }
        if (!moved)
            step *= 0.5;
    }
    return best;
}

// The local minima among n values, those within `within` times |least| above the least, least first and
// at most `count` of them (ties in index order): where local searches start. `has_lower(i)` tells whether
// a neighbour of value i is lower. Returns how many there are; NaN values never count.
template <class HasLower>
int vdc_local_minima(const double* values, int n, HasLower&& has_lower, double within, int* out, int count)
{
    int found = 0;
    for (int i = 0; i < n; ++i) {
        const double y = values[i];
        if (std::isnan(y) || has_lower(i))
            continue;
        // Insertion into the sorted list of the best `count`.
        int k = found;
        if (k == count) {
            if (!(y < values[out[count - 1]]))
                continue;
            --k;
        }
        for (; k > 0 && y < values[out[k - 1]]; --k)
            out[k] = out[k - 1];
        out[k] = i;
        found = std::min(found + 1, count);
    }
    const double limit = found > 0 ? values[out[0]] + within * std::fabs(values[out[0]]) : 0.0;
    int kept = 0;
    while (kept < found && values[out[kept]] <= limit)
        ++kept;
    return kept;
}

// The same over an n x n grid of values, u index running fastest.
inline int vdc_grid_minima(const double* values, int n, double within, int* out, int count)
{
    const auto has_lower = [&](int i) {
        const int a = i % n, b = i / n;
        const auto lower = [&](int a2, int b2) {
            return a2 >= 0 && a2 < n && b2 >= 0 && b2 < n && values[b2 * n + a2] < values[i];
        };
        return lower(a - 1, b) || lower(a + 1, b) || lower(a, b - 1) || lower(a, b + 1);
    };
    return vdc_local_minima(values, n * n, has_lower, within, out, count);
}

// Gauss-Legendre quadrature with N points on [0, 1]: exact for polynomials of degree up to 2N - 1.
// The nodes are the roots of the Legendre polynomial P_N, found by Newton's method at compile time.
template <int N>
struct vdcGaussLegendre {
    std::array<double, N> x{};
    std::array<double, N> w{};
};

namespace vdc_detail {

// cos on [0, pi] by its Taylor series: only the starting guesses of the Newton iteration need it.
constexpr double cos_series(double x) noexcept
{
    double term = 1.0, sum = 1.0;
    for (int k = 1; k < 30; ++k) {
        term *= -x * x / ((2.0 * k - 1.0) * (2.0 * k));
        sum += term;
    }
    return sum;
}

}  // namespace vdc_detail

template <int N>
constexpr vdcGaussLegendre<N> vdc_gauss_legendre() noexcept
{
    vdcGaussLegendre<N> rule;
    for (int i = 0; i < N; ++i) {
        double x = vdc_detail::cos_series(std::numbers::pi * (i + 0.75) / (N + 0.5));
        double derivative = 1.0;
        for (int iteration = 0; iteration < 100; ++iteration) {
            double p0 = 1.0, p1 = x;
            for (int k = 2; k <= N; ++k) {
                const double p2 = ((2.0 * k - 1.0) * x * p1 - (k - 1.0) * p0) / k;
                p0 = p1;
                p1 = p2;
            }
            derivative = N * (x * p1 - p0) / (x * x - 1.0);
            const double step = p1 / derivative;
            x -= step;
            if (step == 0.0 || (step < 0 ? -step : step) < 1e-17)
                break;
        }
        rule.x[static_cast<std::size_t>(i)] = 0.5 * (1.0 - x);
        rule.w[static_cast<std::size_t>(i)] = 1.0 / ((1.0 - x * x) * derivative * derivative);
    }
    return rule;
}

inline constexpr vdcGaussLegendre<8> vdc_gauss_legendre_8 = vdc_gauss_legendre<8>();
inline constexpr vdcGaussLegendre<24> vdc_gauss_legendre_24 = vdc_gauss_legendre<24>();

// The integral of f over [a, b] by an N-point rule.
template <int N, class F>
double vdc_integrate_fixed(const vdcGaussLegendre<N>& rule, F&& f, double a, double b)
{
    double sum = 0.0;
    for (int i = 0; i < N; ++i)
        sum += rule.w[static_cast<std::size_t>(i)] * f(a + (b - a) * rule.x[static_cast<std::size_t>(i)]);
    return sum * (b - a);
}

namespace vdc_detail {

template <class F>
double integrate_adaptive(F& f, double a, double b, double whole, int depth)
{
    const double m = 0.5 * (a + b);
    const double left = vdc_integrate_fixed(vdc_gauss_legendre_8, f, a, m);
    const double right = vdc_integrate_fixed(vdc_gauss_legendre_8, f, m, b);
    const double sum = left + right;
    if (depth <= 0 || std::fabs(sum - whole) <= 1e-11 * std::fabs(sum) + 1e-15)
        return sum;
    return integrate_adaptive(f, a, m, left, depth - 1) + integrate_adaptive(f, m, b, right, depth - 1);
}

}  // namespace vdc_detail

// The integral of a smooth f over [a, b], halving intervals until two 8-point rules agree to about
// eleven digits (at most 2^12 pieces).
template <class F>
double vdc_integrate(F&& f, double a, double b)
{
    const double whole = vdc_integrate_fixed(vdc_gauss_legendre_8, f, a, b);
    return vdc_detail::integrate_adaptive(f, a, b, whole, 12);
}
