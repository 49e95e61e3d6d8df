// Random models and a second opinion: every value the quality run reports (each finding and each rule's
// worst value) is measured again here, at the place it names, from the model's own polynomials evaluated
// densely by this file's code, and must agree to three significant digits and be the extreme of its item.
// The models are cut from bicubic B-spline height fields, with cons and their exact space curves, a face
// and a top, as the benchmarks' model is made; a faulty model has gaps, kinks, deviations, jumps,
// crossing and misoriented holes of random size, and its clean twin reports nothing.

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <numbers>
#include <string>
#include <vector>

#include "quality_support.h"

namespace {

using R = vdcQualityRule;

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    double uniform(double lo, double hi)
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return lo + (hi - lo) * double((z ^ (z >> 31)) >> 11) * 0x1.0p-53;
    }

private:
    std::uint64_t state_;
};

// ---- The model's polynomials, evaluated here.

using V = std::array<double, 3>;
V vec(const giPoint3& p) { return {p.x(), p.y(), p.z()}; }
V vec(const giPoint2& p) { return {p.x(), p.y(), 0}; }
V operator-(const V& a, const V& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
double norm(const V& a) { return std::sqrt(a[0] * a[0] + a[1] * a[1] + a[2] * a[2]); }
V cross(const V& a, const V& b)
{
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double angle(const V& a, const V& b)
{
    return std::atan2(norm(cross(a, b)), a[0] * b[0] + a[1] * b[1] + a[2] * b[2]) / qt::deg;
}

// Powers x^0 .. x^(n-1) and their derivatives k x^(k-1).
void powers(double x, int n, double* p, double* d)
{
    p[0] = 1, d[0] = 0;
    for (int k = 1; k < n; ++k)
        p[k] = p[k - 1] * x, d[k] = k * p[k - 1];
}

// A patch at (u, v) with its derivatives in the local parameters; [0] is the point.
std::array<V, 3> at(const vdaSurfPatch& p, double u, double v)
{
    double pu[25], du[25], pv[25], dv[25];
    powers(u, p.u_order(), pu, du);
    powers(v, p.v_order(), pv, dv);
    std::array<V, 3> r{};
    for (int l = 0; l < p.v_order(); ++l)
        for (int k = 0; k < p.u_order(); ++k) {
            const V c = vec(p.coeffs(k, l));
            const double terms[3] = {pu[k] * pv[l], du[k] * pv[l], pu[k] * dv[l]};
            for (int d = 0; d < 3; ++d)
                for (int x = 0; x < 3; ++x)
                    r[std::size_t(d)][std::size_t(x)] += terms[d] * c[std::size_t(x)];
        }
    return r;
}
V normal(const vdaSurfPatch& p, double u, double v)
{
    const auto s = at(p, u, v);
    return cross(s[1], s[2]);
}
// A segment at local u: point and derivative.
template <class Point>
std::array<V, 2> at(const vdaSegment<Point>& g, double u)
{
    double pu[25], du[25];
    powers(u, g.order(), pu, du);
    std::array<V, 2> r{};
    for (int k = 0; k < g.order(); ++k)
        for (int x = 0; x < 3; ++x) {
            const double c = vec(g.all_coeffs()[std::size_t(k)])[std::size_t(x)];
            r[0][std::size_t(x)] += pu[k] * c;
            r[1][std::size_t(x)] += du[k] * c;
        }
    return r;
}

// The index i of the interval [b[i], b[i + 1]) holding x, clamped to the intervals there are.
int locate(const std::vector<double>& b, double x)
{
    int i = 0;
    while (i + 2 < int(b.size()) && x >= b[std::size_t(i + 1)])
        ++i;
    return i;
}
template <class E>
std::vector<double> breakpoints(const E& e)
{
    std::vector<double> b;
    for (int i = 0; i < e.num_segments(); ++i)
        b.push_back(e.segment(i).start_parameter());
    b.push_back(e.segment(e.num_segments() - 1).end_parameter());
    return b;
}

// The surface at global (s, t).
std::array<V, 3> at(const vdaSurf& surf, double s, double t)
{
    const vdaSurfPatch& p = surf.patch(locate(surf.u_parameters(), s), locate(surf.v_parameters(), t));
    return at(p, (s - p.u_start_parameter()) / (p.u_end_parameter() - p.u_start_parameter()),
              (t - p.v_start_parameter()) / (p.v_end_parameter() - p.v_start_parameter()));
}
// A cons or curve at global w; `segment` (if not -1) is used even outside its range.
template <class E>
std::array<V, 2> along(const E& e, double w, int segment = -1)
{
    const int i = segment >= 0 ? segment : locate(breakpoints(e), w);
    const auto& g = e.segment(i);
    return at(g, (w - g.start_parameter()) / (g.end_parameter() - g.start_parameter()));
}

// The least of f over [0, 1]^2: a 65 x 65 grid, the best sample then walked downhill in eight
// directions with shrinking steps.
double least(const std::function<double(double, double)>& f)
{
    double bu = 0, bv = 0, best = f(0, 0);
    for (int b = 0; b <= 64; ++b)
        for (int a = 0; a <= 64; ++a)
            if (const double y = f(a / 64.0, b / 64.0); y < best)
                best = y, bu = a / 64.0, bv = b / 64.0;
    for (double h = 1 / 64.0; h > 1e-10;) {
        bool moved = false;
        for (int d = 0; d < 8; ++d) {
            const double cu = std::clamp(bu + h * std::round(std::cos(d * std::numbers::pi / 4)), 0.0, 1.0);
            const double cv = std::clamp(bv + h * std::round(std::sin(d * std::numbers::pi / 4)), 0.0, 1.0);
            if (const double y = f(cu, cv); y < best)
                best = y, bu = cu, bv = cv, moved = true;
        }
        if (!moved)
            h /= 2;
    }
    return best;
}
// The largest of f over [a, b] at n + 1 samples, and f's integral over [0, 1] by Simpson's rule.
double largest(const std::function<double(double)>& f, double a, double b, int n = 2000)
{
    double best = -INFINITY;
    for (int k = 0; k <= n; ++k)
        best = std::max(best, f(a + (b - a) * k / n));
    return best;
}
double integral(const std::function<double(double)>& f)
{
    constexpr int n = 200;
    double sum = f(0) + f(1);
    for (int k = 1; k < n; ++k)
        sum += (k % 2 ? 4 : 2) * f(double(k) / n);
    return sum / (3 * n);
}

// ---- The second opinion.

// The rule's value at the place a finding names, and the extreme of the rule over the item (largest for
// a rule with a maximum, least for one with a minimum).
struct Opinion {
    double at = NAN;
    double extreme = NAN;
};

template <class T>
const T& entity(const vdaFile& file, const utString& name)
{
    return *static_cast<const T*>(file.find(name));
}

Opinion on_surface(const vdaSurf& surf, const vdcQualityFinding& f)
{
    const auto& n = f.where.indices;
    const vdaSurfPatch& p = surf.patch(n[0], n[1]);
    const double u = (f.where.parameters[0] - p.u_start_parameter()) / (p.u_end_parameter() - p.u_start_parameter());
    const double v = (f.where.parameters[1] - p.v_start_parameter()) / (p.v_end_parameter() - p.v_start_parameter());
    if (f.rule == R::surf_patch_gap || f.rule == R::surf_patch_kink) {
        const vdaSurfPatch& q = n[2] == 0 ? surf.patch(n[0] + 1, n[1]) : surf.patch(n[0], n[1] + 1);
        const auto g = [&](double x) {
            const auto a = n[2] == 0 ? at(p, 1, x) : at(p, x, 1), b = n[2] == 0 ? at(q, 0, x) : at(q, x, 0);
            return f.rule == R::surf_patch_gap ? norm(a[0] - b[0]) : angle(cross(a[1], a[2]), cross(b[1], b[2]));
        };
        return {g(n[2] == 0 ? v : u), largest(g, 0, 1)};
    }
    if (f.rule == R::surf_undefined_normal) {
        const double most = -least([&](double a, double b) { return -norm(normal(p, a, b)); });
        return {norm(normal(p, u, v)) / most, least([&](double a, double b) { return norm(normal(p, a, b)); }) / most};
    }
    if (f.rule == R::surf_tiny_patch) {
        // The longest iso-curve running in the finding's direction.
        const auto length = [&](double x) {
            return integral([&](double y) { return norm(n[2] == 0 ? at(p, y, x)[1] : at(p, x, y)[2]); });
        };
        return {length(n[2] == 0 ? v : u), largest(length, 0, 1, 40)};
    }
    // surf-degenerate-edge: the edge's length.
    const double length = integral([&](double y) {
        const std::array<double, 4> u_of{y, 1, y, 0}, v_of{0, y, 1, y};
        const auto s = at(p, u_of[std::size_t(n[2])], v_of[std::size_t(n[2])]);
        return norm(n[2] % 2 ? s[2] : s[1]);
    });
    return {length, length};
}

Opinion on_curve(const vdaCurve& curve, const vdcQualityFinding& f)
{
    const int i = f.where.indices[0];
    if (f.rule == R::curve_tiny_segment) {
        const double length = integral([&](double u) { return norm(at(curve.segment(i), u)[1]); });
        return {length, length};
    }
    const auto a = at(curve.segment(i), 1.0), b = at(curve.segment(i + 1), 0.0);
    const double value = f.rule == R::curve_segment_gap ? norm(a[0] - b[0]) : angle(a[1], b[1]);
    return {value, value};
}

Opinion on_cons(const vdaFile& file, const vdaCons& cons, const vdcQualityFinding& f)
{
    const vdaSurf& surf = entity<vdaSurf>(file, cons.basis_surface_name());
    const int i = f.where.indices[0], n = cons.num_segments();
    const auto w_of = [&](int k) {
        return k < n ? cons.segment(k).start_parameter() : cons.segment(n - 1).end_parameter();
    };
    const auto uv = [&](double w, int k) { return along(cons, w, k)[0]; };
    const auto space = [&](double w, int k) { return at(surf, uv(w, k)[0], uv(w, k)[1])[0]; };
    if (f.rule == R::cons_segment_gap) {
        const double gap = norm(space(w_of(i + 1), i) - space(w_of(i + 1), i + 1));
        return {gap, gap};
    }
    std::function<double(double, int)> g;
    if (f.rule == R::cons_outside_domain) {
        const auto &us = surf.u_parameters(), &vs = surf.v_parameters();
        g = [&](double w, int k) {
            const V p = uv(w, k);
            const double ws = us.back() - us.front(), wt = vs.back() - vs.front();
            return std::max(
                {(us.front() - p[0]) / ws, (p[0] - us.back()) / ws, (vs.front() - p[1]) / wt, (p[1] - vs.back()) / wt});
        };
    } else {
        const vdaCurve& curve = entity<vdaCurve>(file, cons.curve_3d_name());
        const double rate = (cons.end_parameter() - cons.start_parameter()) / (w_of(n) - w_of(0));
        g = [&, rate](double w, int k) {
            return norm(space(w, k) - along(curve, cons.start_parameter() + (w - w_of(0)) * rate)[0]);
        };
    }
    // At the place, approached from inside its segment; the extreme over the segments' insides.
    const double w = f.where.parameters[0], middle = 0.5 * (w_of(i) + w_of(i + 1));
    double extreme = -INFINITY;
    for (int k = 0; k < n; ++k)
        extreme = std::max(extreme, largest([&](double x) { return g(x, k); }, w_of(k) + 1e-9, w_of(k + 1) - 1e-9));
    return {g(w + 1e-7 * (middle - w), i), extreme};
}

// A chain of trimmed curves on a surface: its point (and normal) at piece k and cons parameter w.
struct Side {
    const vdaSurf* surf;
    std::vector<std::pair<const vdaCons*, std::array<double, 2>>> pieces;
    std::array<V, 3> at_piece(int k, double w) const
    {
        const V p = along(*pieces[std::size_t(k)].first, w)[0];
        return at(*surf, p[0], p[1]);
    }
};
Side side_of(const vdaFile& file, const utString& basis, const std::vector<const vdaTrimmedCurve*>& curves)
{
    const vdaObject* b = file.find(basis);
    Side side{b->is_type(vdaFace::id) ? &entity<vdaSurf>(file, static_cast<const vdaFace*>(b)->basis_surface_name())
                                      : static_cast<const vdaSurf*>(b),
              {}};
    for (const vdaTrimmedCurve* c : curves)
        side.pieces.push_back(
            {&entity<vdaCons>(file, c->basis_curve_name()), {c->start_parameter(), c->end_parameter()}});
    return side;
}

Opinion on_face(const vdaFile& file, const vdaFace& face, const vdcQualityFinding& f)
{
    std::vector<Side> loops;
    for (int b = 0; b < face.num_boundaries(); ++b) {
        std::vector<const vdaTrimmedCurve*> curves;
        for (int k = 0; k < face.boundary(b).num_curve_segments(); ++k)
            curves.push_back(&face.boundary(b).curve_segment(k));
        loops.push_back(side_of(file, face.name(), curves));
    }
    const auto& n = f.where.indices;
    if (f.rule == R::face_loop_gap) {
        const Side& loop = loops[std::size_t(n[0])];
        const int next = (n[1] + 1) % int(loop.pieces.size());
        const double gap = norm(loop.at_piece(n[1], loop.pieces[std::size_t(n[1])].second[1])[0] -
                                loop.at_piece(next, loop.pieces[std::size_t(next)].second[0])[0]);
        return {gap, gap};
    }
    // Twice the signed area of a loop in (s, t); the models' boundaries are whole cons of straight segments.
    const auto area = [](const Side& loop) {
        double sum = 0;
        for (const auto& piece : loop.pieces)
            for (int k = 0; k < piece.first->num_segments(); ++k) {
                const V a = at(piece.first->segment(k), 0)[0], b = at(piece.first->segment(k), 1)[0];
                sum += a[0] * b[1] - a[1] * b[0];
            }
        return sum;
    };
    if (f.rule == R::face_loop_orientation) {
        const double ratio = area(loops[std::size_t(n[0])]) / area(loops[0]);
        return {ratio, ratio};
    }
    // face-loop-self-intersection: the place of a crossing lies on both boundaries it names (whose cons
    // are straight, segment by segment).
    for (int m = 0; f.value > 0 && m < 4; m += 2) {
        const vdaCons& cons = *loops[std::size_t(n[m])].pieces[std::size_t(n[m + 1])].first;
        double off = INFINITY;
        for (int k = 0; k < cons.num_segments(); ++k) {
            const V a = at(cons.segment(k), 0)[0], b = at(cons.segment(k), 1)[0];
            const V p{f.where.parameters[0], f.where.parameters[1], 0};
            const V ab = b - a, ap = p - a;
            const double t = std::clamp((ap[0] * ab[0] + ap[1] * ab[1]) / (ab[0] * ab[0] + ab[1] * ab[1]), 0.0, 1.0);
            off = std::min(off, std::hypot(ap[0] - t * ab[0], ap[1] - t * ab[1]));
        }
        EXPECT_LT(off, 1e-12) << "boundary " << n[m] << " piece " << n[m + 1];
    }
    return {f.value, f.value};
}

Opinion on_top(const vdaFile& file, const vdaTop& top, const vdcQualityFinding& f)
{
    const vdaSurfacePair& pair = top.surface_pair(f.where.indices[0]);
    Side sides[2];
    for (int s = 0; s < 2; ++s) {
        const vdaLinkedSurf& l = s == 0 ? pair.first_linked_surface() : pair.second_linked_surface();
        std::vector<const vdaTrimmedCurve*> curves;
        for (int j = 0; j < l.num_trimmed_curves(); ++j)
            curves.push_back(&l.trimmed_curve(j));
        sides[s] = side_of(file, l.basis_entity_name(), curves);
    }
    // The point of `to` nearest to p (its one piece sampled, then the best sample's neighbourhood).
    const auto nearest = [](const Side& to, const V& p) {
        const auto [w1, w2] = to.pieces[0].second;
        const auto d = [&](double w) { return norm(to.at_piece(0, w)[0] - p); };
        double best = w1;
        for (int k = 0; k <= 50; ++k)
            if (const double w = w1 + (w2 - w1) * k / 50; d(w) < d(best))
                best = w;
        for (double h = (w2 - w1) / 50; std::fabs(h) > 1e-13; h /= 2)
            for (const double w : {best - h, best + h})
                if (w >= std::min(w1, w2) && w <= std::max(w1, w2) && d(w) < d(best))
                    best = w;
        return best;
    };
    const int from = f.where.indices[1];
    const auto g = [&](double w, int s) {
        const auto here = sides[s].at_piece(0, w);
        const auto there = sides[1 - s].at_piece(0, nearest(sides[1 - s], here[0]));
        if (f.rule == R::top_edge_gap)
            return norm(here[0] - there[0]);
        const double a = angle(cross(here[1], here[2]), cross(there[1], there[2]));
        return std::min(a, 180 - a);
    };
    double extreme = -INFINITY;
    for (int s = 0; s < (f.rule == R::top_edge_gap ? 2 : 1); ++s) {
        const auto [w1, w2] = sides[s].pieces[0].second;
        extreme = std::max(extreme, largest([&](double w) { return g(w, s); }, w1, w2, 200));
    }
    return {g(f.where.parameters[0], from), extreme};
}

Opinion second_opinion(const vdaFile& file, const vdcQualityFinding& f)
{
    const vdaObject& e = *file.find(f.entity);
    if (e.is_type(vdaSurf::id))
        return on_surface(static_cast<const vdaSurf&>(e), f);
    if (e.is_type(vdaCurve::id))
        return on_curve(static_cast<const vdaCurve&>(e), f);
    if (e.is_type(vdaCons::id))
        return on_cons(file, static_cast<const vdaCons&>(e), f);
    if (e.is_type(vdaFace::id))
        return on_face(file, static_cast<const vdaFace&>(e), f);
    return on_top(file, static_cast<const vdaTop&>(e), f);
}

// ---- The models.

// Six bicubic patches S of 40 mm over irregular breakpoints, cut from one B-spline height field; SA and
// SB are its first two columns and its last, joined by a top. N1 crosses S straight, its curve C1 its
// image patch by patch; N2 has two segments, its curve C2 likewise. F is bounded by S's domain and has a
// clockwise hole. Faults: S's last column kinked and its corner patch lifted, C1 lifted off its cons on
// one segment, N2 and C2 jumping together, F's hole through its right side and a second hole
// counter-clockwise. Returns the crossings F's boundaries have.
int make_model(vdaFile& file, std::uint64_t seed, bool faulty)
{
    Random r(seed);
    std::array<std::array<double, 5>, 6> net;
    for (auto& row : net)
        for (double& z : row)
            z = r.uniform(-40, 40);
    // Irregular breakpoints, evenly spaced: a straight cons then maps to a smooth curve.
    std::vector<double> bs{r.uniform(-1, 1)}, bt{r.uniform(-1, 1)};
    const double ws = r.uniform(0.5, 2), wt = r.uniform(0.5, 2);
    for (int k = 0; k < 3; ++k)
        bs.push_back(bs[0] + (k + 1) * ws);
    for (int k = 0; k < 2; ++k)
        bt.push_back(bt[0] + (k + 1) * wt);
    const double kink = faulty ? r.uniform(0.005, 0.02) : 0, lift = faulty ? r.uniform(0.03, 0.08) : 0;
    const auto basis = [](double t) {
        return std::array{(1 - t) * (1 - t) * (1 - t) / 6, (3 * t * t * t - 6 * t * t + 4) / 6,
                          (-3 * t * t * t + 3 * t * t + 3 * t + 1) / 6, t * t * t / 6};
    };
    const auto shape = [&](int i, int j, double u, double v) {
        const auto bu = basis(u), bv = basis(v);
        double z = i == 2 ? kink * 40 * u : 0.0;
        for (int a = 0; a < 4; ++a)
            for (int b = 0; b < 4; ++b)
                z += bu[std::size_t(a)] * bv[std::size_t(b)] * net[std::size_t(i + a)][std::size_t(j + b)];
        return giPoint3(40 * (i + u), 40 * (j + v), z);
    };
    const auto patch = [&](int i, int j, double raise) {
        return qt::patch_of(
            4, 4, [&](double u, double v) { return shape(i, j, u, v) + giVector3(0, 0, raise); }, bs[std::size_t(i)],
            bs[std::size_t(i + 1)], bt[std::size_t(j)], bt[std::size_t(j + 1)]);
    };
    std::vector<vdaSurfPatch> all, first, last;
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 3; ++i) {
            all.push_back(patch(i, j, i == 2 && j == 1 ? lift : 0));
            (i < 2 ? first : last).push_back(patch(i, j, 0));
        }
    file.create<vdaSurf>("S", 3, 2, all);
    file.create<vdaSurf>("SA", 2, 2, first);
    file.create<vdaSurf>("SB", 1, 2, last);

    // A straight cons segment over [w0, w1] and the curve segments of its image, one per patch (the
    // second raised by `raise`), over the curve parameters that w maps to.
    const auto image = [&](double w0, double w1, giPoint2 a, giPoint2 b, double raise,
                           const std::function<double(double)>& curve_at, std::vector<vdaCurveSegment>& curve) {
        std::vector<double> cuts{0, 1};
        for (const auto& [breaks, c0, c1] : {std::tuple(&bs, a.x(), b.x()), std::tuple(&bt, a.y(), b.y())})
            for (std::size_t k = 1; k + 1 < breaks->size(); ++k)
                if (const double x = ((*breaks)[k] - c0) / (c1 - c0); x > 0 && x < 1)
                    cuts.push_back(x);
        std::sort(cuts.begin(), cuts.end());
        for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
            const double x0 = cuts[k], x1 = cuts[k + 1];
            const giPoint2 m = a + (0.5 * (x0 + x1)) * (b - a);
            const int i = locate(bs, m.x()), j = locate(bt, m.y());
            const double up = k == 1 ? raise : 0.0;
            // The curve's parameter increases: where it runs against the cons, the segment runs back.
            const double c0 = curve_at(w0 + x0 * (w1 - w0)), c1 = curve_at(w0 + x1 * (w1 - w0));
            curve.push_back(qt::curve_of(
                7,
                [&](double y) {
                    const double x = c0 < c1 ? x0 + y * (x1 - x0) : x1 - y * (x1 - x0);
                    const giPoint2 p = a + x * (b - a);
                    return shape(i, j, (p.x() - bs[std::size_t(i)]) / (bs[std::size_t(i + 1)] - bs[std::size_t(i)]),
                                 (p.y() - bt[std::size_t(j)]) / (bt[std::size_t(j + 1)] - bt[std::size_t(j)])) +
                           giVector3(0, 0, up);
                },
                std::min(c0, c1), std::max(c0, c1)));
        }
        return qt::line(w0, w1, a, b);
    };
    // A point of patch (i, j) well inside it.
    const auto inside = [&](int i, int j) {
        return giPoint2(bs[std::size_t(i)] + r.uniform(0.3, 0.7) * (bs[std::size_t(i + 1)] - bs[std::size_t(i)]),
                        bt[std::size_t(j)] + r.uniform(0.3, 0.7) * (bt[std::size_t(j + 1)] - bt[std::size_t(j)]));
    };
    // The cons and their curves run over irregular parameters, the curves against the cons.
    const double wa = r.uniform(-1, 0), wm = r.uniform(0.3, 0.7), wb = r.uniform(1, 2);
    const double ca = r.uniform(3, 4), cb = r.uniform(1, 2);
    const auto curve_at = [&](double w) { return ca + (w - wa) / (wb - wa) * (cb - ca); };
    std::vector<vdaCurveSegment> c1, c2;
    const vdaConsSegment n1 =
        image(wa, wb, inside(0, 0), inside(2, 1), faulty ? r.uniform(0.03, 0.08) : 0, curve_at, c1);
    std::reverse(c1.begin(), c1.end());
    file.create<vdaCurve>("C1", c1);
    file.create<vdaCons>("N1", "S", "C1", ca, cb, std::vector{n1});
    // N2 runs straight on through its joint, unless it jumps there.
    const giPoint2 q1 = inside(1, 0), q0(inside(0, 0).x(), q1.y() + r.uniform(-0.1, 0.1) * wt);
    const giPoint2 q2 = q1 + ((inside(2, 0).x() - q1.x()) / (q1.x() - q0.x())) * (q1 - q0);
    const giPoint2 jump(0, faulty ? r.uniform(0.02, 0.05) * (bt[1] - bt[0]) : 0);
    const vdaConsSegment first_half = image(wa, wm, q0, q1, 0, curve_at, c2);
    const vdaConsSegment second_half = image(wm, wb, q1 + jump, q2, 0, curve_at, c2);
    std::reverse(c2.begin(), c2.end());
    file.create<vdaCurve>("C2", c2);
    file.create<vdaCons>("N2", "S", "C2", ca, cb, std::vector{first_half, second_half});

    // F: the domain counter-clockwise; holes clockwise.
    const auto polygon = [&](const char* name, std::vector<giPoint2> p) {
        std::vector<vdaConsSegment> segments;
        for (std::size_t k = 0; k < p.size(); ++k)
            segments.push_back(qt::line(double(k), k + 1.0, p[k], p[(k + 1) % p.size()]));
        file.create<vdaCons>(name, "S", "", 0.0, 1.0, segments);
        return vdaBoundary({vdaTrimmedCurve(name, 0, double(p.size()))});
    };
    const auto s_at = [&](double x) { return bs[0] + x * (bs[3] - bs[0]); };
    const auto t_at = [&](double x) { return bt[0] + x * (bt[2] - bt[0]); };
    std::vector<vdaBoundary> loops{
        polygon("FO", {{s_at(0), t_at(0)}, {s_at(1), t_at(0)}, {s_at(1), t_at(1)}, {s_at(0), t_at(1)}})};
    const double right = faulty ? s_at(r.uniform(1.05, 1.2)) : s_at(r.uniform(0.8, 0.95));
    const double low = t_at(r.uniform(0.5, 0.6)), high = t_at(r.uniform(0.7, 0.9)), left = s_at(r.uniform(0.6, 0.7));
    loops.push_back(polygon("FH", {{left, low}, {left, high}, {right, high}, {right, low}}));
    if (faulty)
        loops.push_back(polygon(
            "FC", {{s_at(0.1), t_at(0.1)}, {s_at(0.3), t_at(0.1)}, {s_at(0.3), t_at(0.3)}, {s_at(0.1), t_at(0.3)}}));
    file.create<vdaFace>("F", "S", loops);

    // T: SA's right edge upwards, SB's left edge downwards, claimed tangent.
    file.create<vdaCons>("EA", "SA", "", 0.0, 1.0, std::vector{qt::line(0, 1, {bs[2], bt[0]}, {bs[2], bt[2]})});
    file.create<vdaCons>("EB", "SB", "", 0.0, 1.0, std::vector{qt::line(0, 1, {bs[2], bt[2]}, {bs[2], bt[0]})});
    file.create<vdaTop>("T", std::vector{vdaSurfacePair(vdaLinkedSurf("SA", {vdaTrimmedCurve("EA", 0, 1)}),
                                                        vdaLinkedSurf("SB", {vdaTrimmedCurve("EB", 0, 1)}), 1)});
    return faulty ? 2 : 0;
}

TEST(QualityProperty, EveryValueAgreesWithADenseSecondOpinion)
{
    for (std::uint64_t seed = 1; seed <= 10; ++seed)
        for (const bool faulty : {false, true}) {
            SCOPED_TRACE("seed " + std::to_string(seed) + (faulty ? ", faulty" : ", clean"));
            vdaFile file;
            const int crossings = make_model(file, seed, faulty);
            vdcQualityProfile profile;
            const vdcQualityReport report = qt::run(file, profile);
            if (!faulty) {
                EXPECT_TRUE(report.findings.empty()) << qt::listed(report);
            }
            std::vector<const vdcQualityFinding*> values;
            for (const vdcQualityFinding& f : report.findings)
                values.push_back(&f);
            for (const vdcQualityRuleSummary& s : report.rules)
                if (s.worst)
                    values.push_back(&*s.worst);
            for (const vdcQualityFinding* f : values) {
                SCOPED_TRACE(std::string(f->entity.view()) + " " + f->id());
                const Opinion o = second_opinion(file, *f);
                // Rounding noise has no digits: values this small agree absolutely.
                const double noise = std::string(f->unit()) == "relative" ? 1e-12 : 1e-8;
                EXPECT_NEAR(f->value, o.at, 1e-3 * std::fabs(o.at) + noise);
                if (vdc_quality_rule_info(f->rule).limit == vdcQualityLimit::at_most) {
                    EXPECT_LE(o.extreme, f->value + 1e-3 * std::fabs(f->value) + noise);
                } else {
                    EXPECT_GE(o.extreme, f->value - 1e-3 * std::fabs(f->value) - noise);
                }
            }
            EXPECT_EQ(report.rule(R::face_loop_self_intersection).worst->value, crossings);
        }
}

}  // namespace
