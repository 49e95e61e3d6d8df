#pragma once

#include <array>
#include <cmath>
#include <vector>

// Conversion of power-basis polynomials on the unit interval to Bernstein form. A Bernstein polygon holds
// the polynomial in its convex hull, and its differences bound the derivatives: that bounds boxes and the
// curvature that decides how finely to sample.

using vdaCoord3 = std::array<double, 3>;

// Converts n power coefficients a[0], a[stride], ... (of u^0 .. u^(n-1)) in place to the n Bernstein
// coefficients of the same polynomial: b_i = sum_{k <= i} C(i, k) / C(n - 1, k) a_k.
inline void vda_power_to_bernstein(vdaCoord3* a, int n, int stride)
{
    if (n <= 1)
        return;
    // From the highest i down, so that each b_i reads only a_k (k <= i) not yet overwritten.
    for (int i = n - 1; i >= 1; --i) {
        vdaCoord3 b{0.0, 0.0, 0.0};
        double c_ik = 1.0;  // C(i, k)
        double c_nk = 1.0;  // C(n - 1, k)
        for (int k = 0; k <= i; ++k) {
            const double w = c_ik / c_nk;
            for (int d = 0; d < 3; ++d)
                b[static_cast<std::size_t>(d)] += w * a[k * stride][static_cast<std::size_t>(d)];
            c_ik = c_ik * (i - k) / (k + 1);
            c_nk = c_nk * (n - 1 - k) / (k + 1);
        }
        a[i * stride] = b;
    }
}

inline double vda_coord_norm(const vdaCoord3& v) { return std::sqrt(v[0] * v[0] + v[1] * v[1] + v[2] * v[2]); }
