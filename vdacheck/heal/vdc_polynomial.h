#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <numbers>
#include <vector>

#include <vdacheck/eval/vda_horner.h>

// A polynomial with values in D dimensions in the power basis of one parameter u, as VDA-FS segments and
// patch rows hold them: coefficient k belongs to u^k. Healing builds its corrections from these (blends,
// products, affine changes of the parameter, interpolants) and adds them to the model's coefficients.
template <int D>
class vdcPolynomial {
public:
    using Vec = std::array<double, D>;

    vdcPolynomial() = default;
    explicit vdcPolynomial(std::vector<Vec> coefficients) : c_(std::move(coefficients)) {}
    // From the coefficients of a segment or patch row (giPoint3, giPoint2).
    template <class Point>
    static vdcPolynomial of(const std::vector<Point>& points)
    {
        vdcPolynomial p;
        p.c_.reserve(points.size());
        for (const Point& q : points) {
            const auto c = vda_coords(q);
            Vec v{};
            std::copy(std::begin(c.c), std::end(c.c), v.begin());
            p.c_.push_back(v);
        }
        return p;
    }
    template <class Point>
    std::vector<Point> points(std::size_t size) const
    {
        std::vector<Point> out;
        out.reserve(std::max(size, c_.size()));
        for (std::size_t k = 0; k < std::max(size, c_.size()); ++k) {
            vdaCoords<D> c{};
            const Vec v = coefficient(k);
            std::copy(v.begin(), v.end(), std::begin(c.c));
            out.push_back(vda_from_coords<Point>(c));
        }
        return out;
    }

    std::size_t size() const noexcept { return c_.size(); }
    Vec coefficient(std::size_t k) const noexcept { return k < c_.size() ? c_[k] : Vec{}; }
    const std::vector<Vec>& coefficients() const noexcept { return c_; }

    Vec at(double u) const noexcept
    {
        Vec r{};
        for (std::size_t k = c_.size(); k-- > 0;)
            for (int d = 0; d < D; ++d)
                r[d] = r[d] * u + c_[k][d];
        return r;
    }
    // The first derivative with respect to u.
    Vec slope_at(double u) const noexcept
    {
        Vec r{};
        for (std::size_t k = c_.size(); k-- > 1;)
            for (int d = 0; d < D; ++d)
                r[d] = r[d] * u + double(k) * c_[k][d];
        return r;
    }

    // this + k q.
    vdcPolynomial plus(const vdcPolynomial& q, double k = 1.0) const
    {
        vdcPolynomial r = *this;
        r.c_.resize(std::max(c_.size(), q.c_.size()), Vec{});
        for (std::size_t i = 0; i < q.c_.size(); ++i)
            for (int d = 0; d < D; ++d)
                r.c_[i][d] += k * q.c_[i][d];
        return r;
    }
    // The product with a scalar polynomial (coefficients in the same power basis).
    vdcPolynomial times(const std::vector<double>& scalar) const
    {
        if (c_.empty() || scalar.empty())
            return {};
        vdcPolynomial r;
        r.c_.assign(c_.size() + scalar.size() - 1, Vec{});
        for (std::size_t i = 0; i < c_.size(); ++i)
            for (std::size_t j = 0; j < scalar.size(); ++j)
                for (int d = 0; d < D; ++d)
                    r.c_[i + j][d] += c_[i][d] * scalar[j];
        return r;
    }
    // The same curve in the parameter x with u = a + b x.
    vdcPolynomial composed(double a, double b) const
    {
        vdcPolynomial r;
        r.c_.assign(c_.size(), Vec{});
        // Horner in polynomials: r = (...(c_n (a + b x) + c_n-1)(a + b x) + ...) + c_0.
        for (std::size_t k = c_.size(); k-- > 0;) {
            for (std::size_t i = c_.size() - 1; i > 0; --i)
                for (int d = 0; d < D; ++d)
                    r.c_[i][d] = r.c_[i][d] * a + r.c_[i - 1][d] * b;
            for (int d = 0; d < D; ++d)
                r.c_[0][d] = r.c_[0][d] * a + c_[k][d];
        }
        return r;
    }
    // The largest distance of a coefficient from zero: a cheap bound of the values on [0, 1] times size().
    double magnitude() const noexcept
    {
        double m = 0.0;
        for (const Vec& v : c_)
            for (double x : v)
                m = std::max(m, std::fabs(x));
        return m;
    }

    // The polynomial of degree n that takes f's values at the n + 1 Chebyshev points of [0, 1] (both ends
    // among them, so the interpolant is exact there): through the Chebyshev series, changed to the power
    // basis. The change costs digits as n grows (about 2^(2n) in coefficient size), so n is kept small.
    template <class F>
    static vdcPolynomial interpolate(F&& f, int n)
    {
        if (n <= 0)
            return vdcPolynomial(std::vector<Vec>{f(0.5)});
        std::vector<Vec> values(static_cast<std::size_t>(n) + 1);
        for (int j = 0; j <= n; ++j)
            values[static_cast<std::size_t>(j)] = f(0.5 * (1.0 + std::cos(std::numbers::pi * j / n)));
        // Chebyshev coefficients a_k of sum a_k T_k(2u - 1), ends of the sums halved.
        std::vector<Vec> a(static_cast<std::size_t>(n) + 1, Vec{});
        for (int k = 0; k <= n; ++k) {
            for (int j = 0; j <= n; ++j) {
                const double w = (j == 0 || j == n) ? 0.5 : 1.0;
                const double ck = w * std::cos(std::numbers::pi * double(j) * double(k) / n) * 2.0 / n;
                for (int d = 0; d < D; ++d)
                    a[static_cast<std::size_t>(k)][d] += ck * values[static_cast<std::size_t>(j)][d];
            }
            if (k == 0 || k == n)
                for (int d = 0; d < D; ++d)
                    a[static_cast<std::size_t>(k)][d] *= 0.5;
        }
        // T_0 = 1, T_1 = 2u - 1, T_k+1 = 2 (2u - 1) T_k - T_k-1, each in the power basis.
        std::vector<double> t0{1.0}, t1{-1.0, 2.0};
        vdcPolynomial r;
        r.c_.assign(static_cast<std::size_t>(n) + 1, Vec{});
        for (int k = 0; k <= n; ++k) {
            const std::vector<double>& t = k == 0 ? t0 : t1;
            for (std::size_t i = 0; i < t.size(); ++i)
                for (int d = 0; d < D; ++d)
                    r.c_[i][d] += a[static_cast<std::size_t>(k)][d] * t[i];
            if (k >= 1) {
                std::vector<double> next(t1.size() + 1, 0.0);
                for (std::size_t i = 0; i < t1.size(); ++i) {
                    next[i] -= 2.0 * t1[i];
                    next[i + 1] += 4.0 * t1[i];
                }
                for (std::size_t i = 0; i < t0.size(); ++i)
                    next[i] -= t0[i];
                t0 = std::move(t1);
                t1 = std::move(next);
            }
        }
        return r;
    }

private:
    std::vector<Vec> c_;
};

// The cubic Hermite blends on [0, 1], in the power basis: value 1 at one end with zero slope at both ends,
// and slope 1 at one end with zero value at both ends. A correction blended by them changes a segment or
// patch at one end only, and leaves the value or the slope there as asked.
namespace vdc_blend {
inline const std::vector<double> value_at_start{1.0, 0.0, -3.0, 2.0};  // 1 - 3u^2 + 2u^3
inline const std::vector<double> value_at_end{0.0, 0.0, 3.0, -2.0};    // 3u^2 - 2u^3

// Slope blends of any power k >= 2: u (1 - u)^k (slope 1 at 0) and -(1 - u) u^k (slope 1 at 1). Their
// largest value, k^k / (k + 1)^(k + 1), falls as k grows (4/27 for k = 2): a higher power turns a tangent
// with a smaller move, the change gathered closer to the end.
inline std::vector<double> slope_at_start(int k)
{
    std::vector<double> c(static_cast<std::size_t>(k) + 2, 0.0);
    double binomial = 1.0;
    for (int i = 0; i <= k; ++i) {
        c[static_cast<std::size_t>(i) + 1] = (i % 2 ? -1.0 : 1.0) * binomial;
        binomial = binomial * (k - i) / (i + 1);
    }
    return c;
}
inline std::vector<double> slope_at_end(int k)
{
    std::vector<double> c(static_cast<std::size_t>(k) + 2, 0.0);
    c[static_cast<std::size_t>(k)] = -1.0;
    c[static_cast<std::size_t>(k) + 1] = 1.0;
    return c;
}
inline double slope_peak(int k) { return std::pow(double(k), k) / std::pow(double(k + 1), k + 1); }
// The lowest power (2 to 12) whose blend moves by at most `limit` when it changes a slope by `slope`.
inline int gentlest(double slope, double limit)
{
    int k = 2;
    while (k < 12 && !(slope * slope_peak(k) <= limit))
        ++k;
    return k;
}
}  // namespace vdc_blend
