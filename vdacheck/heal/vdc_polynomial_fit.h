#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <type_traits>

#include <vdacheck/heal/vdc_polynomial.h>

// The lowest-degree interpolant of a smooth function f: [0, 1] -> R^D (see vdcPolynomial::interpolate)
// that reproduces f between its nodes to rounding, trying degrees 2 to max_degree; when none does, the one
// that came closest. Polynomials of low degree come out exact, so corrections that are polynomials
// stay so.
template <class F, class V = std::remove_cvref_t<std::invoke_result_t<F&, double>>>
vdcPolynomial<static_cast<int>(std::tuple_size_v<V>)> vdc_fit(F&& f, int max_degree = 12, double* error = nullptr)
{
    constexpr int D = static_cast<int>(std::tuple_size_v<V>);
    vdcPolynomial<D> best;
    double best_error = std::numeric_limits<double>::infinity();
    for (int n = 2; n <= max_degree; n += 2) {
        const vdcPolynomial<D> p = vdcPolynomial<D>::interpolate(f, n);
        double worst = 0.0, scale = 0.0;
        for (int k = 0; k <= 4 * n; ++k) {
            const double x = (k + 0.5) / (4 * n + 1);
            const V want = f(x);
            const V got = p.at(x);
            double d2 = 0.0;
            for (int d = 0; d < D; ++d) {
                d2 += (want[static_cast<std::size_t>(d)] - got[static_cast<std::size_t>(d)]) *
                      (want[static_cast<std::size_t>(d)] - got[static_cast<std::size_t>(d)]);
                scale = std::max(scale, std::fabs(want[static_cast<std::size_t>(d)]));
            }
            worst = std::max(worst, std::sqrt(d2));
        }
        if (worst < best_error) {
            best = p;
            best_error = worst;
        }
        if (worst <= 1e-13 * (1.0 + scale))
            break;
    }
    if (error)
        *error = best_error;
    return best;
}
