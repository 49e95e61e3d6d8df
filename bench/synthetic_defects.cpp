#include "synthetic_defects.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>
#include <set>

#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/heal/vdc_polynomial.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/model/vda_top.h>

#include "synthetic_random.h"

namespace {

using R = vdcQualityRule;

std::string name(char kind, long k, int edge = -1)
{
    std::string n(1, kind);
    n += std::to_string(k);
    if (edge >= 0)
        n += char('A' + edge);
    return n;
}

template <class T>
T* find(vdaFile& file, const std::string& n)
{
    return vda_cast<T>(file.find(utString(std::string_view(n))));
}

giPoint3 plus(const giPoint3& p, const giVector3& v) { return p + v; }
giPoint3 as_point(const giVector3& v) { return giPoint3(v.x(), v.y(), v.z()); }
giVector3 as_vector(const giPoint3& p) { return giVector3(p.x(), p.y(), p.z()); }

// The segment over [a, b] cut at local parameter x: the two halves over [a, m] and [m, b].
std::pair<vdaCurveSegment, vdaCurveSegment> split(const vdaCurveSegment& s, double x)
{
    const vdcPolynomial<3> p = vdcPolynomial<3>::of(s.all_coeffs());
    const double m = s.start_parameter() + x * (s.end_parameter() - s.start_parameter());
    const std::size_t order = static_cast<std::size_t>(s.order());
    return {vdaCurveSegment(s.start_parameter(), m, p.composed(0.0, x).points<giPoint3>(order)),
            vdaCurveSegment(m, s.end_parameter(), p.composed(x, 1.0 - x).points<giPoint3>(order))};
}

// A patch cut across u at local parameter x, over [u0, m] and [m, u1].
std::pair<vdaSurfPatch, vdaSurfPatch> split(const vdaSurfPatch& p, double x)
{
    std::vector<giPoint3> left, right;
    for (int l = 0; l < p.v_order(); ++l) {
        std::vector<giPoint3> row;
        for (int k = 0; k < p.u_order(); ++k)
            row.push_back(p.coeffs(k, l));
        const vdcPolynomial<3> r = vdcPolynomial<3>::of(row);
        for (const giPoint3& c : r.composed(0.0, x).points<giPoint3>(row.size()))
            left.push_back(c);
        for (const giPoint3& c : r.composed(x, 1.0 - x).points<giPoint3>(row.size()))
            right.push_back(c);
    }
    const double m = p.u_start_parameter() + x * (p.u_end_parameter() - p.u_start_parameter());
    return {vdaSurfPatch(p.u_start_parameter(), m, p.v_start_parameter(), p.v_end_parameter(), p.u_order(), p.v_order(),
                         left),
            vdaSurfPatch(m, p.u_end_parameter(), p.v_start_parameter(), p.v_end_parameter(), p.u_order(), p.v_order(),
                         right)};
}

// The patches of a surface with f applied to each coefficient: f(i, j, k, l, c).
void edit_patches(vdaSurf& s, const std::function<void(int, int, int, int, giPoint3&)>& f)
{
    std::vector<vdaSurfPatch> patches;
    for (int j = 0; j < s.num_patches_in_v(); ++j)
        for (int i = 0; i < s.num_patches_in_u(); ++i) {
            const vdaSurfPatch& p = s.patch(i, j);
            std::vector<giPoint3> c = p.all_coeffs();
            for (int l = 0; l < p.v_order(); ++l)
                for (int k = 0; k < p.u_order(); ++k)
                    f(i, j, k, l, c[static_cast<std::size_t>(l * p.u_order() + k)]);
            patches.emplace_back(p.u_start_parameter(), p.u_end_parameter(), p.v_start_parameter(), p.v_end_parameter(),
                                 p.u_order(), p.v_order(), std::move(c));
        }
    s.set_patches(s.num_patches_in_u(), s.num_patches_in_v(), std::move(patches));
}

double chord(const vdaCurve& c)
{
    const vdaCurveSegment& first = c.segment(0);
    const vdaCurveSegment& last = c.segment(c.num_segments() - 1);
    giVector3 end(0, 0, 0);
    for (const giPoint3& p : last.all_coeffs())
        end = end + as_vector(p);
    return gi_distance(first.coeffs(0), as_point(end));
}

// v turned by `angle` about the unit vector axis.
giVector3 turned(const giVector3& v, const giVector3& axis, double angle)
{
    return std::cos(angle) * v + std::sin(angle) * axis.cross(v) + (1 - std::cos(angle)) * axis.dot(v) * axis;
}

}  // namespace

std::vector<long> vda_parts_without(const vdaFile& file, const std::vector<std::string>& names)
{
    const std::set<std::string> flagged(names.begin(), names.end());
    std::vector<long> parts;
    for (const vdaObject& e : file) {
        const std::string_view n = e.name().view();
        if (!e.is_type(vdaSurf::id) || n.size() < 2 || n[0] != 'S' ||
            !std::all_of(n.begin() + 1, n.end(), [](char c) { return c >= '0' && c <= '9'; }))
            continue;
        const long k = std::stol(std::string(n.substr(1)));
        std::vector<std::string> own{name('S', k), name('F', k)};
        for (int i = 0; i < 4; ++i) {
            own.push_back(name('C', k, i));
            own.push_back(name('N', k, i));
        }
        const bool whole = std::all_of(own.begin(), own.end(), [&](const std::string& m) {
            return file.find(utString(std::string_view(m))) && !flagged.count(m);
        });
        if (whole && !flagged.count(name('T', k)))
            parts.push_back(k);
    }
    return parts;
}

std::vector<vdaInjectedDefect> vda_inject_defects(vdaFile& file, const std::vector<long>& clean_parts,
                                                  std::uint64_t seed, int per_rule, double tolerance, double angle)
{
    SyntheticRandom random(seed);
    std::vector<long> parts = clean_parts;
    // A fixed shuffle: each defect takes the next part that suits it.
    for (std::size_t i = parts.size(); i > 1; --i)
        std::swap(parts[i - 1], parts[static_cast<std::size_t>(random.next() % i)]);
    std::vector<bool> used(parts.size(), false);
    std::vector<vdaInjectedDefect> out;
    constexpr double deg = std::numbers::pi / 180.0;

    const std::vector<R> rules{R::curve_segment_gap,    R::curve_segment_kink, R::surf_patch_gap, R::surf_patch_kink,
                               R::cons_curve_deviation, R::cons_segment_gap,   R::face_loop_gap,  R::top_edge_gap,
                               R::top_continuity,       R::curve_tiny_segment, R::surf_tiny_patch};
    for (R rule : rules)
        for (int d = 0; d < per_rule; ++d) {
            const bool below = d % 2 == 0;
            const bool tiny = rule == R::curve_tiny_segment || rule == R::surf_tiny_patch;
            const bool degrees =
                rule == R::curve_segment_kink || rule == R::surf_patch_kink || rule == R::top_continuity;
            const double limit = degrees ? angle : tolerance;
            const double size = tiny    ? 0.01
                                : below ? random.uniform(0.2, 0.8) * limit
                                        : random.uniform(2.0, 10.0) * limit;
            for (std::size_t p = 0; p < parts.size(); ++p) {
                if (used[p])
                    continue;
                const long k = parts[p];
                vdaSurf& surf = *find<vdaSurf>(file, name('S', k));
                const bool grid = surf.num_patches_in_u() == 2 && surf.num_patches_in_v() == 2;
                std::string entity;
                if (rule == R::curve_segment_gap || rule == R::curve_segment_kink) {
                    vdaCurve* curve = nullptr;
                    for (int e = 0; e < 4 && !curve; ++e)
                        if (vdaCurve* c = find<vdaCurve>(file, name('C', k, e)); c->num_segments() >= 2)
                            curve = c;
                    if (!curve)
                        continue;
                    std::vector<vdaCurveSegment> segments = curve->segments();
                    const vdaCurveSegment& last = segments.back();
                    std::vector<giPoint3> c = last.all_coeffs();
                    if (rule == R::curve_segment_gap) {
                        c[0] = plus(c[0], giVector3(0, 0, size));
                    } else {
                        giVector3 axis = as_vector(c[1]).cross(giVector3(0, 0, 1));
                        axis = (1.0 / gi_norm(axis)) * axis;
                        for (std::size_t i = 1; i < c.size(); ++i)
                            c[i] = as_point(turned(as_vector(c[i]), axis, size * deg));
                    }
                    segments.back() = vdaCurveSegment(last.start_parameter(), last.end_parameter(), c);
                    curve->set_segments(std::move(segments));
                    entity = curve->name().c_str();
                } else if (rule == R::surf_patch_gap || rule == R::surf_patch_kink) {
                    if (!grid)
                        continue;
                    edit_patches(surf, [&](int i, int j, int kk, int l, giPoint3& c) {
                        if (rule == R::surf_patch_gap && i == 1 && j == 1 && kk == 0 && l == 0)
                            c.z() += size;
                        if (rule == R::surf_patch_kink && i == 1 && kk == 1 && l == 0)
                            c.z() += std::tan(size * deg) * std::fabs(c.x());
                    });
                    entity = name('S', k);
                } else if (rule == R::cons_curve_deviation) {
                    vdaCurve& curve = *find<vdaCurve>(file, name('C', k, 1));
                    std::vector<vdaCurveSegment> segments;
                    for (const vdaCurveSegment& s : curve.segments()) {
                        std::vector<giPoint3> c = s.all_coeffs();
                        c[0].z() += size;
                        segments.emplace_back(s.start_parameter(), s.end_parameter(), c);
                    }
                    curve.set_segments(std::move(segments));
                    entity = name('N', k, 1);
                } else if (rule == R::cons_segment_gap) {
                    vdaCons& cons = *find<vdaCons>(file, name('N', k, 1));
                    if (cons.num_segments() != 1)
                        continue;
                    const vdaConsSegment& s = cons.segment(0);
                    const giPoint2 a = s.coeffs(0), b = a + s.coeffs(1);  // the synthetic cons are lines
                    const giPoint2 m = a + 0.5 * (b - a);
                    const double along = size / chord(*find<vdaCurve>(file, name('C', k, 1)));
                    const giPoint2 start = m + along * (b - a);
                    const double w0 = s.start_parameter(), w1 = s.end_parameter(), wm = 0.5 * (w0 + w1);
                    cons.set_segments({vdaConsSegment(w0, wm, {a, m - a}), vdaConsSegment(wm, w1, {start, b - start})});
                    entity = name('N', k, 1);
                } else if (rule == R::face_loop_gap) {
                    vdaFace& face = *find<vdaFace>(file, name('F', k));
                    vdaTrimmedCurve& piece = face.boundary(0).curve_segment(2);
                    piece.set_parameters(size / chord(*find<vdaCurve>(file, name('C', k, 2))), piece.end_parameter());
                    entity = name('F', k);
                } else if (rule == R::top_edge_gap || rule == R::top_continuity) {
                    if (!find<vdaTop>(file, name('T', k)))
                        continue;
                    const int nv = surf.num_patches_in_v();
                    edit_patches(surf, [&](int, int j, int kk, int l, giPoint3& c) {
                        if (rule == R::top_edge_gap && kk == 0 && l == 0)
                            c.z() += size;
                        if (rule == R::top_continuity && kk == 0 && l <= 1)
                            c.z() += std::tan(size * deg) * 100.0 / nv * (l == 0 ? j : 1);
                    });
                    entity = name('T', k);
                } else if (rule == R::curve_tiny_segment) {
                    vdaCurve& curve = *find<vdaCurve>(file, name('C', k, 3));
                    std::vector<vdaCurveSegment> segments = curve.segments();
                    const vdaCurveSegment last = segments.back();
                    const double length = gi_distance(last.coeffs(0), [&] {
                        giVector3 e(0, 0, 0);
                        for (const giPoint3& c : last.all_coeffs())
                            e = e + as_vector(c);
                        return as_point(e);
                    }());
                    const auto [left, right] = split(last, 1.0 - size / length);
                    segments.back() = left;
                    segments.push_back(right);
                    curve.set_segments(std::move(segments));
                    entity = name('C', k, 3);
                } else if (rule == R::surf_tiny_patch) {
                    if (surf.num_patches_in_u() != 1 || surf.num_patches_in_v() != 1)
                        continue;
                    const auto [left, right] = split(surf.patch(0, 0), 1.0 - size / 100.0);
                    surf.set_patches(2, 1, {left, right});
                    entity = name('S', k);
                }
                used[p] = true;
                out.push_back({rule, entity, size, tiny || size <= limit});
                break;
            }
        }
    return out;
}
