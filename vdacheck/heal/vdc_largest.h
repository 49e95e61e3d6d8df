#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

// Where a function is largest: dense samples, then a golden-section search between the neighbours of the
// best sample (and a compass search on the unit square for two parameters). Healing measures with these how
// far it moved the geometry; NaN values count as the largest, so that an undefined point is never missed.

struct vdcLargest {
    double at = 0.0;
    double value = 0.0;
};

template <class F>
vdcLargest vdc_largest(F&& f, double a, double b, int samples)
{
    samples = std::max(samples, 2);
    auto value = [&](double x) {
        const double y = f(x);
        return std::isnan(y) ? std::numeric_limits<double>::infinity() : y;
    };
    vdcLargest best{a, value(a)};
    int best_index = 0;
    for (int i = 1; i <= samples; ++i) {
        const double x = i == samples ? b : a + (b - a) * i / samples;
        const double y = value(x);
        if (y > best.value) {
            best = {x, y};
            best_index = i;
        }
    }
    double lo = a + (b - a) * std::max(best_index - 1, 0) / samples;
    double hi = a + (b - a) * std::min(best_index + 1, samples) / samples;
    constexpr double ratio = 0.6180339887498949;
    double x1 = hi - ratio * (hi - lo), x2 = lo + ratio * (hi - lo);
    double y1 = value(x1), y2 = value(x2);
    for (int iteration = 0; iteration < 60 && hi - lo > 1e-13 * (1.0 + std::fabs(hi)); ++iteration) {
        if (y1 >= y2) {
            hi = x2;
            x2 = x1;
            y2 = y1;
            x1 = hi - ratio * (hi - lo);
            y1 = value(x1);
        } else {
            lo = x1;
            x1 = x2;
            y1 = y2;
            x2 = lo + ratio * (hi - lo);
            y2 = value(x2);
        }
    }
    for (const vdcLargest& c : {vdcLargest{x1, y1}, vdcLargest{x2, y2}})
        if (c.value > best.value)
            best = c;
    return best;
}

struct vdcLargest2 {
    double u = 0.0;
    double v = 0.0;
    double value = 0.0;
};

// On [0, 1] x [0, 1] from an n x n grid of samples.
template <class F>
vdcLargest2 vdc_largest_on_square(F&& f, int samples)
{
    samples = std::max(samples, 2);
    auto value = [&](double u, double v) {
        const double y = f(u, v);
        return std::isnan(y) ? std::numeric_limits<double>::infinity() : y;
    };
    vdcLargest2 best{0.0, 0.0, value(0.0, 0.0)};
    for (int b = 0; b <= samples; ++b)
        for (int a = 0; a <= samples; ++a) {
            const double u = double(a) / samples, v = double(b) / samples;
            const double y = value(u, v);
            if (y > best.value)
                best = {u, v, y};
        }
    for (double step = 0.5 / samples; step > 1e-9;) {
        bool moved = false;
        for (const auto& [du, dv] : {std::array<double, 2>{1, 0}, {-1, 0}, {0, 1}, {0, -1}}) {
            const double u = std::clamp(best.u + du * step, 0.0, 1.0), v = std::clamp(best.v + dv * step, 0.0, 1.0);
            const double y = value(u, v);
            if (y > best.value) {
                best = {u, v, y};
                moved = true;
            }
        }
        if (!moved)
            step *= 0.5;
    }
    return best;
}
