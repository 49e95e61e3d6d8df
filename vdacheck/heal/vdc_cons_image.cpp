#include <vdacheck/heal/vdc_cons_image.h>

#include <algorithm>
#include <cmath>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/heal/vdc_polynomial_fit.h>

namespace {

// A piece of the cons within one patch (or fitted over several): its range of the cons's parameter w.
struct Piece {
    double w0, w1;
    bool fitted = false;
};

// The roots in (0, 1) of f - level for one coordinate f of a cons segment, by sign changes on a fine grid.
void crossings(const vdcPolynomial<1>& f, double level, std::vector<double>& out)
{
    constexpr int samples = 128;
    double x0 = 0.0, y0 = f.at(0.0)[0] - level;
    for (int k = 1; k <= samples; ++k) {
        const double x1 = double(k) / samples, y1 = f.at(x1)[0] - level;
        if (y1 == 0.0 && y0 != 0.0) {
            out.push_back(x1);
        } else if ((y0 < 0.0 && y1 > 0.0) || (y0 > 0.0 && y1 < 0.0)) {
            double lo = x0, hi = x1, ylo = y0;
            for (int it = 0; it < 100 && hi - lo > 1e-15; ++it) {
                const double m = 0.5 * (lo + hi), ym = f.at(m)[0] - level;
                if ((ym < 0.0) == (ylo < 0.0)) {
                    lo = m;
                    ylo = ym;
                } else {
                    hi = m;
                }
            }
            out.push_back(0.5 * (lo + hi));
        }
        x0 = x1;
        y0 = y1;
    }
}

vdcPolynomial<1> coordinate(const vdcPolynomial<2>& p, int d, double offset, double scale)
{
    std::vector<std::array<double, 1>> c;
    for (std::size_t k = 0; k < p.size(); ++k)
        c.push_back({(p.coefficient(k)[static_cast<std::size_t>(d)] - (k == 0 ? offset : 0.0)) / scale});
    while (c.size() > 1 && c.back()[0] == 0.0)
        c.pop_back();
    return vdcPolynomial<1>(std::move(c));
}

std::vector<double> scalar(const vdcPolynomial<1>& p)
{
    std::vector<double> out;
    for (const auto& c : p.coefficients())
        out.push_back(c[0]);
    return out;
}

// S(u(x), v(x)) for the patch's power basis, by Horner's scheme in polynomials.
vdcPolynomial<3> compose(const vdaSurfPatch& patch, const vdcPolynomial<1>& u, const vdcPolynomial<1>& v)
{
    const std::vector<double> us = scalar(u), vs = scalar(v);
    auto coefficient = [&](int k, int l) {
        const giPoint3& c = patch.coeffs(k, l);
        return vdcPolynomial<3>({{c.x(), c.y(), c.z()}});
    };
    vdcPolynomial<3> surface;
    for (int l = patch.v_order() - 1; l >= 0; --l) {
        vdcPolynomial<3> row = coefficient(patch.u_order() - 1, l);
        for (int k = patch.u_order() - 2; k >= 0; --k)
            row = row.times(us).plus(coefficient(k, l));
        surface = l == patch.v_order() - 1 ? row : surface.times(vs).plus(row);
    }
    return surface;
}

}  // namespace

std::optional<std::vector<vdaCurveSegment>> vdcConsImage::make(const vdaConsEval& cons, const vdaSurfEval& surf,
                                                               std::string& why) const
{
    // Cut the cons at every patch border it crosses.
    std::vector<Piece> pieces;
    for (int i = 0; i < cons.num_segments(); ++i) {
        const vdcPolynomial<2> c = vdcPolynomial<2>::of(cons.segment(i).all_coeffs());
        std::vector<double> cuts;
        for (int k = 1; k < surf.num_patches_u(); ++k)
            crossings(coordinate(c, 0, 0.0, 1.0), surf.u_breakpoint(k), cuts);
        for (int k = 1; k < surf.num_patches_v(); ++k)
            crossings(coordinate(c, 1, 0.0, 1.0), surf.v_breakpoint(k), cuts);
        std::sort(cuts.begin(), cuts.end());
        double previous = cons.breakpoint(i);
        double last_cut = 0.0;
        for (double x : cuts)
            if (x - last_cut > 1e-9 && 1.0 - x > 1e-9) {
                const double w = cons.global_parameter(i, x);
                pieces.push_back({previous, w});
                previous = w;
                last_cut = x;
            }
        pieces.push_back({previous, cons.breakpoint(i + 1)});
    }
    auto point = [&](double w) {
        const vdaConsSample uv =
            cons.sample(w, 1, w < 0.5 * (cons.start() + cons.end()) ? vdaSide::after : vdaSide::before);
        return surf.sample_along(uv, 0).point;
    };
    // Pieces too short in space join a neighbour, and are fitted.
    for (std::size_t k = 0; pieces.size() > 1 && k < pieces.size();) {
        if (gi_distance(point(pieces[k].w0), point(pieces[k].w1)) >= shortest_) {
            ++k;
            continue;
        }
        const std::size_t into = k + 1 < pieces.size() ? k + 1 : k - 1;
        pieces[into].w0 = std::min(pieces[into].w0, pieces[k].w0);
        pieces[into].w1 = std::max(pieces[into].w1, pieces[k].w1);
        pieces[into].fitted = true;
        pieces.erase(pieces.begin() + static_cast<std::ptrdiff_t>(k));
        k = 0;
    }

    struct Made {
        double w0, w1;
        vdcPolynomial<3> p;
    };
    std::vector<Made> made;
    std::vector<Piece> todo(pieces.rbegin(), pieces.rend());
    while (!todo.empty()) {
        const Piece piece = todo.back();
        todo.pop_back();
        const double wm = 0.5 * (piece.w0 + piece.w1);
        const int i = cons.segment_at(wm);
        const double x0 = cons.local_parameter(i, piece.w0), x1 = cons.local_parameter(i, piece.w1);
        const vdaConsSample mid = cons.sample(wm, 0);
        const int pu = surf.patch_u_at(mid.point.x()), pv = surf.patch_v_at(mid.point.y());
        const vdaSurfPatch& patch = surf.patch(pu, pv);
        if (!piece.fitted) {
            const vdcPolynomial<2> c = vdcPolynomial<2>::of(cons.segment(i).all_coeffs()).composed(x0, x1 - x0);
            const vdcPolynomial<1> u =
                coordinate(c, 0, surf.u_breakpoint(pu), surf.u_breakpoint(pu + 1) - surf.u_breakpoint(pu));
            const vdcPolynomial<1> v =
                coordinate(c, 1, surf.v_breakpoint(pv), surf.v_breakpoint(pv + 1) - surf.v_breakpoint(pv));
            const std::size_t degree = (static_cast<std::size_t>(patch.u_order()) - 1) * (u.size() - 1) +
                                       (static_cast<std::size_t>(patch.v_order()) - 1) * (v.size() - 1);
            if (degree <= 24) {
                made.push_back({piece.w0, piece.w1, compose(patch, u, v)});
                continue;
            }
        }
        double error = 0.0;
        const vdcPolynomial<3> fit = vdc_fit(
            [&](double x) {
                const giPoint3 p = point(piece.w0 + x * (piece.w1 - piece.w0));
                return std::array<double, 3>{p.x(), p.y(), p.z()};
            },
            12, &error);
        if (error <= fit_tolerance_) {
            made.push_back({piece.w0, piece.w1, fit});
        } else if (piece.w1 - piece.w0 > 1e-6 * (cons.end() - cons.start())) {
            const double m = 0.5 * (piece.w0 + piece.w1);
            todo.push_back({m, piece.w1, true});
            todo.push_back({piece.w0, m, true});
        } else {
            why = "the image of the cons cannot be fitted closely enough";
            return std::nullopt;
        }
    }

    // Onto the curve's parameter, which may run against the cons.
    const bool forward = cons.curve_parameter_rate() > 0.0;
    std::vector<vdaCurveSegment> out;
    const std::size_t n = made.size();
    for (std::size_t k = 0; k < n; ++k) {
        const Made& m = forward ? made[k] : made[n - 1 - k];
        const double wb = forward ? m.w1 : m.w0;
        const double sa = k == 0 ? (forward ? cons.curve_start() : cons.curve_end()) : out.back().end_parameter();
        const double sb = k + 1 == n ? (forward ? cons.curve_end() : cons.curve_start()) : cons.curve_parameter(wb);
        if (!(sb > sa)) {
            why = "the pieces of the cons map onto an empty range of its curve";
            return std::nullopt;
        }
        const vdcPolynomial<3> p = forward ? m.p : m.p.composed(1.0, -1.0);
        out.emplace_back(sa, sb, p.points<giPoint3>(2));
    }
    return out;
}
