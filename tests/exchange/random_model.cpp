#include "random_model.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include <vdacheck/vdacheck.h>

namespace {

// A polynomial in two variables: c[k][l] is the coefficient of s^k t^l.
using Poly2 = std::vector<std::vector<double>>;

double binomial(int n, int k)
{
    double b = 1.0;
    for (int i = 1; i <= k; ++i)
        b = b * (n - k + i) / i;
    return b;
}

// f(a + b u, c + d v) as a polynomial in (u, v).
Poly2 substitute(const Poly2& f, double a, double b, double c, double d)
{
    const std::size_t p = f.size(), q = f[0].size();
    Poly2 out(p, std::vector<double>(q, 0.0));
    for (std::size_t k = 0; k < p; ++k)
        for (std::size_t l = 0; l < q; ++l)
            for (std::size_t i = 0; i <= k; ++i)
                for (std::size_t j = 0; j <= l; ++j)
                    out[i][j] += f[k][l] * binomial(int(k), int(i)) * std::pow(a, double(k - i)) *
                                 std::pow(b, double(i)) * binomial(int(l), int(j)) * std::pow(c, double(l - j)) *
                                 std::pow(d, double(j));
    return out;
}

// f(a + b u, c + d u) as a polynomial in u.
std::vector<double> along(const Poly2& f, double a, double b, double c, double d)
{
    const Poly2 g = substitute(f, a, b, c, d);
    std::vector<double> out(g.size() + g[0].size() - 1, 0.0);
    for (std::size_t k = 0; k < g.size(); ++k)
        for (std::size_t l = 0; l < g[0].size(); ++l)
            out[k + l] += g[k][l];
    return out;
}

class Generator {
public:
    explicit Generator(std::uint64_t seed) : random_(seed) {}

    std::unique_ptr<vdaFile> make(int pairs)
    {
        file_ = std::make_unique<vdaFile>();
        file_->create<vdaHeader>("RANDOM");
        for (int k = 0; k < pairs; ++k)
            pair(k);
        return std::move(file_);
    }

private:
    double uniform(double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random_); }
    int integer(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random_); }
    bool chance(double p) { return uniform(0.0, 1.0) < p; }

    // Breakpoints from `from` to `to` in `n` uneven steps.
    std::vector<double> breakpoints(double from, double to, int n)
    {
        std::vector<double> w{0.0};
        for (int i = 0; i < n; ++i)
            w.push_back(w.back() + uniform(0.3, 1.0));
        for (double& x : w)
            x = from + (to - from) * x / w.back();
        w.back() = to;
        return w;
    }

    // Power coefficients padded with zero terms to a random larger order (at most 25).
    template <class P>
    std::vector<P> padded(std::vector<P> c)
    {
        c.resize(std::min<std::size_t>(25, c.size() + std::size_t(integer(0, 2))), P());
        return c;
    }

    struct Surface {
        std::string name;
        std::array<Poly2, 3> xyz;
        double u_end, v_end;
    };

    Surface surface(const std::string& name, double x0, double y0)
    {
        Surface s{name, {}, uniform(1.0, 3.0), uniform(1.0, 3.0)};
        const int p = integer(1, 5), q = integer(1, 5);
        for (int c = 0; c < 3; ++c) {
            s.xyz[std::size_t(c)].assign(std::size_t(p + 1), std::vector<double>(std::size_t(q + 1), 0.0));
            for (int k = 0; k <= p; ++k)
                for (int l = 0; l <= q; ++l)
                    s.xyz[std::size_t(c)][std::size_t(k)][std::size_t(l)] =
                        uniform(-1.0, 1.0) * (c == 2 ? 20.0 : 3.0) / std::pow(s.u_end, k) / std::pow(s.v_end, l);
        }
        s.xyz[0][0][0] += x0;
        s.xyz[0][1][0] += 200.0 / s.u_end;  // 200 mm across in x and in y: no fold
        s.xyz[1][0][0] += y0;
        s.xyz[1][0][1] += 100.0 / s.v_end;
        const std::vector<double> us = breakpoints(0.0, s.u_end, integer(1, 3));
        const std::vector<double> vs = breakpoints(0.0, s.v_end, integer(1, 3));
        const int nu = int(us.size()) - 1, nv = int(vs.size()) - 1;
        std::vector<vdaSurfPatch> patches;
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) {
                std::array<Poly2, 3> local;
                for (std::size_t c = 0; c < 3; ++c)
                    local[c] = substitute(s.xyz[c], us[std::size_t(i)], us[std::size_t(i) + 1] - us[std::size_t(i)],
                                          vs[std::size_t(j)], vs[std::size_t(j) + 1] - vs[std::size_t(j)]);
                const int uo = std::min(25, p + 1 + integer(0, 2)), vo = std::min(25, q + 1 + integer(0, 2));
                std::vector<giPoint3> coeffs;
                for (int l = 0; l < vo; ++l)
                    for (int k = 0; k < uo; ++k) {
                        const auto at = [&](std::size_t c) {
                            return k <= p && l <= q ? local[c][std::size_t(k)][std::size_t(l)] : 0.0;
                        };
                        coeffs.emplace_back(at(0), at(1), at(2));
                    }
                patches.emplace_back(us[std::size_t(i)], us[std::size_t(i) + 1], vs[std::size_t(j)],
                                     vs[std::size_t(j) + 1], uo, vo, std::move(coeffs));
            }
        file_->create<vdaSurf>(utString(name), nu, nv, std::move(patches));
        return s;
    }

    // The piece of a boundary from (s, t) = a to b: a space curve along that line and a cons on it, with or
    // against each other and trimmed forward or backward. Returns the trimmed piece.
    vdaTrimmedCurve piece(const Surface& s, const std::string& name, giPoint2 a, giPoint2 b)
    {
        // The curve runs from a to b over its own breakpoints c0 .. cn (or from b to a).
        const bool curve_forward = chance(0.5);
        const giPoint2 from = curve_forward ? a : b, to = curve_forward ? b : a;
        const double c0 = uniform(-2.0, 2.0), c1 = c0 + uniform(0.5, 4.0);
        const std::vector<double> cs = breakpoints(c0, c1, integer(1, 3));
        std::vector<vdaCurveSegment> segments;
        for (std::size_t i = 0; i + 1 < cs.size(); ++i) {
            const double f0 = (cs[i] - c0) / (c1 - c0), f1 = (cs[i + 1] - c0) / (c1 - c0);
            const double sa = from.x() + (to.x() - from.x()) * f0, sb = (to.x() - from.x()) * (f1 - f0);
            const double ta = from.y() + (to.y() - from.y()) * f0, tb = (to.y() - from.y()) * (f1 - f0);
            std::array<std::vector<double>, 3> c;
            for (std::size_t k = 0; k < 3; ++k)
                c[k] = along(s.xyz[k], sa, sb, ta, tb);
            std::vector<giPoint3> coeffs;
            for (std::size_t k = 0; k < c[0].size(); ++k)
                coeffs.emplace_back(c[0][k], c[1][k], c[2][k]);
            coeffs = padded(coeffs);
            segments.emplace_back(cs[i], cs[i + 1], std::move(coeffs));
        }
        file_->create<vdaCurve>(utString("C" + name), std::move(segments));
        // The cons runs from a to b over its own breakpoints, covering the curve forward or backward.
        const double w0 = uniform(-1.0, 1.0), w1 = w0 + uniform(0.5, 2.0);
        const std::vector<double> ws = breakpoints(w0, w1, integer(1, 3));
        std::vector<vdaConsSegment> cons_segments;
        for (std::size_t i = 0; i + 1 < ws.size(); ++i) {
            const double f0 = (ws[i] - w0) / (w1 - w0), f1 = (ws[i + 1] - w0) / (w1 - w0);
            const giPoint2 p0(a.x() + (b.x() - a.x()) * f0, a.y() + (b.y() - a.y()) * f0);
            const giPoint2 d((b.x() - a.x()) * (f1 - f0), (b.y() - a.y()) * (f1 - f0));
            cons_segments.emplace_back(ws[i], ws[i + 1], padded(std::vector<giPoint2>{p0, d}));
        }
        file_->create<vdaCons>(utString("N" + name), utString(s.name), utString("C" + name), curve_forward ? c0 : c1,
                               curve_forward ? c1 : c0, std::move(cons_segments));
        return vdaTrimmedCurve(utString("N" + name), w0, w1);
    }

    // A loop around the rectangle lo .. hi of the parameter plane, counter-clockwise (or clockwise for a hole).
    // Each piece is sometimes listed backward: its cons then runs from its end to its start.
    vdaBoundary loop(const Surface& s, const std::string& name, giPoint2 lo, giPoint2 hi, bool clockwise,
                     std::vector<std::string>* sides = nullptr)
    {
        std::vector<giPoint2> corners{lo, giPoint2(hi.x(), lo.y()), hi, giPoint2(lo.x(), hi.y())};
        if (clockwise)
            std::reverse(corners.begin(), corners.end());
        std::vector<vdaTrimmedCurve> pieces;
        for (std::size_t k = 0; k < 4; ++k) {
            const std::string piece_name = name + char('a' + k);
            const giPoint2 a = corners[k], b = corners[(k + 1) % 4];
            if (chance(0.5)) {
                pieces.push_back(piece(s, piece_name, a, b));
            } else {
                const vdaTrimmedCurve backward = piece(s, piece_name, b, a);
                pieces.emplace_back(backward.basis_curve_name(), backward.end_parameter(), backward.start_parameter());
            }
            if (sides)
                sides->push_back("N" + piece_name);
        }
        return vdaBoundary(std::move(pieces));
    }

    // Two faces side by side on one surface, split at s = mid, and the TOP that joins them along the split.
    void pair(int k)
    {
        const std::string id = std::to_string(k);
        const Surface s = surface("S" + id, 260.0 * (k % 4), 160.0 * (k / 4));
        const double mid = s.u_end * uniform(0.4, 0.6);
        const double t0 = s.v_end * uniform(0.0, 0.1), t1 = s.v_end * uniform(0.9, 1.0);
        std::vector<std::string> left_sides, right_sides;
        std::vector<vdaBoundary> left{
            loop(s, "L" + id, giPoint2(s.u_end * uniform(0.0, 0.1), t0), giPoint2(mid, t1), false, &left_sides)};
        std::vector<vdaBoundary> right{
            loop(s, "R" + id, giPoint2(mid, t0), giPoint2(s.u_end * uniform(0.9, 1.0), t1), false, &right_sides)};
        if (chance(0.5))
            right.push_back(loop(s, "H" + id, giPoint2(mid + 0.2 * (s.u_end - mid), t0 + 0.3 * (t1 - t0)),
                                 giPoint2(mid + 0.6 * (s.u_end - mid), t0 + 0.6 * (t1 - t0)), true));
        file_->create<vdaFace>(utString("FL" + id), utString(s.name), std::move(left));
        file_->create<vdaFace>(utString("FR" + id), utString(s.name), std::move(right));
        // The left face's side 1 (s = mid) is the right face's side 3.
        const auto side = [&](const std::vector<std::string>& sides, int i, const std::string& face) {
            const vdaCons* cons = vda_cast<vdaCons>(file_->find(utString(sides[std::size_t(i)])));
            const auto eval = vdaConsEval::make(*cons);
            return vdaLinkedSurf(utString(face), {vdaTrimmedCurve(cons->name(), eval->start(), eval->end())});
        };
        file_->create<vdaTop>(utString("T" + id),
                              std::vector<vdaSurfacePair>{
                                  vdaSurfacePair(side(left_sides, 1, "FL" + id), side(right_sides, 3, "FR" + id), 0)});
        extras(k, s);
    }

    void extras(int k, const Surface& s)
    {
        const std::string id = std::to_string(k);
        if (chance(0.3))
            surface("U" + id, 260.0 * (k % 4), 160.0 * (k / 4) - 600.0);
        if (chance(0.3)) {
            const giPoint2 a(0.0, 0.0), b(s.u_end, s.v_end);
            piece(s, "free" + id, a, b);  // a cons of no face, on a curve of no other cons
        }
        if (chance(0.3)) {
            const double angle = uniform(0.0, 2.0 * std::numbers::pi);
            file_->create<vdaCircle>(utString("CI" + id), giPoint3(uniform(-50, 50), uniform(-50, 50), 0.0),
                                     uniform(1.0, 20.0), giVector3(std::cos(angle), std::sin(angle), 0.0),
                                     giVector3(-std::sin(angle), std::cos(angle), 0.0), uniform(0.0, 90.0),
                                     uniform(180.0, 360.0));
        }
        if (chance(0.3)) {
            file_->create<vdaPoint>(utString("P" + id), giPoint3(uniform(-9, 9), uniform(-9, 9), uniform(-9, 9)));
            file_->create<vdaMDI>(utString("M" + id), std::vector<giPoint3>{giPoint3(1, 2, 3), giPoint3(4, 5, 6)},
                                  std::vector<giVector3>{giVector3(0, 0, 1), giVector3(1, 0, 0)});
            file_->create<vdaGroup>(utString("G" + id),
                                    std::vector<utString>{utString("P" + id), utString("M" + id), utString("FL" + id)});
        }
        if (chance(0.3)) {
            const double a = uniform(0.0, 2.0 * std::numbers::pi);
            file_->create<vdaTmat>(utString("X" + id),
                                   giXform3({std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a), 0, 0, 0, 1},
                                            {0, 0, uniform(100.0, 200.0)}));
            file_->create<vdaTlist>(utString("TL" + id), utString("X" + id),
                                    std::vector<utString>{utString("FR" + id)});
        }
    }

    std::mt19937_64 random_;
    std::unique_ptr<vdaFile> file_;
};

}  // namespace

std::unique_ptr<vdaFile> vdatest_random_model(std::uint64_t seed, int pairs) { return Generator(seed).make(pairs); }

std::unique_ptr<vdaFile> vdatest_cylinder_model()
{
    constexpr double radius = 50.0, height = 80.0, lift = 120.0;
    // The quarter arcs as cubic Bezier curves, in power form over their own [0, 1]; the corners exact.
    const double k = radius * 4.0 / 3.0 * std::tan(std::numbers::pi / 8.0);
    const giPoint2 corner[5] = {{radius, 0}, {0, radius}, {-radius, 0}, {0, -radius}, {radius, 0}};
    const giPoint2 tangent[5] = {{0, 1}, {-1, 0}, {0, -1}, {1, 0}, {0, 1}};
    std::array<std::array<giPoint2, 4>, 4> arcs;
    for (std::size_t q = 0; q < 4; ++q) {
        const giPoint2 b0 = corner[q], b3 = corner[q + 1];
        const giPoint2 b1(b0.x() + k * tangent[q].x(), b0.y() + k * tangent[q].y());
        const giPoint2 b2(b3.x() - k * tangent[q + 1].x(), b3.y() - k * tangent[q + 1].y());
        const auto at = [&](double c0, double c1, double c2, double c3, int i) {
            const double v[4][2] = {{b0.x(), b0.y()}, {b1.x(), b1.y()}, {b2.x(), b2.y()}, {b3.x(), b3.y()}};
            return c0 * v[0][i] + c1 * v[1][i] + c2 * v[2][i] + c3 * v[3][i];
        };
        const double power[4][4] = {{1, 0, 0, 0}, {-3, 3, 0, 0}, {3, -6, 3, 0}, {-1, 3, -3, 1}};
        for (std::size_t j = 0; j < 4; ++j)
            arcs[q][j] = giPoint2(at(power[j][0], power[j][1], power[j][2], power[j][3], 0),
                                  at(power[j][0], power[j][1], power[j][2], power[j][3], 1));
    }
    auto file = std::make_unique<vdaFile>();
    file->create<vdaHeader>("CLOSED");
    const auto cylinder = [&](const char* name, double z) {
        std::vector<vdaSurfPatch> patches;
        for (std::size_t q = 0; q < 4; ++q) {
            std::vector<giPoint3> coeffs;  // u order 4, v order 2: c[l][k] of u^k v^l
            for (int l = 0; l < 2; ++l)
                for (std::size_t j = 0; j < 4; ++j)
                    coeffs.push_back(l == 0   ? giPoint3(arcs[q][j].x(), arcs[q][j].y(), j == 0 ? z : 0.0)
                                     : j == 0 ? giPoint3(0, 0, height)
                                              : giPoint3(0, 0, 0));
            patches.emplace_back(double(q), double(q + 1), 0.0, 1.0, 4, 2, std::move(coeffs));
        }
        file->create<vdaSurf>(utString(name), 4, 1, std::move(patches));
    };
    cylinder("CYL", 0.0);
    cylinder("BAND", lift);
    // The rings at t = 0.25 and 0.75 and the seam between them, as space curves and as cons on BAND.
    const auto ring = [&](const char* name, double t) {
        std::vector<vdaCurveSegment> segments;
        for (std::size_t q = 0; q < 4; ++q) {
            std::vector<giPoint3> coeffs;
            for (std::size_t j = 0; j < 4; ++j)
                coeffs.emplace_back(arcs[q][j].x(), arcs[q][j].y(), j == 0 ? lift + t * height : 0.0);
            segments.emplace_back(double(q), double(q + 1), std::move(coeffs));
        }
        file->create<vdaCurve>(utString(name), std::move(segments));
    };
    const auto seam = [&](const char* name, double from, double to) {
        file->create<vdaCurve>(utString(name), std::vector{vdaCurveSegment(0.0, 1.0,
                                                                           {giPoint3(radius, 0, lift + from * height),
                                                                            giPoint3(0, 0, (to - from) * height)})});
    };
    const auto cons = [&](const char* name, const char* curve, double start, double end, giPoint2 from, giPoint2 to) {
        const double w = std::abs(end - start);
        file->create<vdaCons>(
            utString(name), utString("BAND"), utString(curve), start, end,
            std::vector{vdaConsSegment(0.0, w, {from, giPoint2(to.x() - from.x(), to.y() - from.y())})});
    };
    ring("KB", 0.25);
    ring("KT", 0.75);
    seam("KR", 0.25, 0.75);
    seam("KL", 0.75, 0.25);
    cons("NB", "KB", 0.0, 4.0, {0, 0.25}, {4, 0.25});
    cons("NR", "KR", 0.0, 1.0, {4, 0.25}, {4, 0.75});
    cons("NT", "KT", 4.0, 0.0, {4, 0.75}, {0, 0.75});  // against its curve
    cons("NL", "KL", 0.0, 1.0, {0, 0.75}, {0, 0.25});
    file->create<vdaFace>(utString("FB"), utString("BAND"),
                          std::vector{vdaBoundary(
                              {vdaTrimmedCurve(utString("NB"), 0.0, 4.0), vdaTrimmedCurve(utString("NR"), 0.0, 1.0),
                               vdaTrimmedCurve(utString("NT"), 0.0, 4.0), vdaTrimmedCurve(utString("NL"), 0.0, 1.0)})});
    return file;
}
