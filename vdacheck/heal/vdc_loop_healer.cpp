#include <vdacheck/heal/vdc_loop_healer.h>

#include <algorithm>
#include <cmath>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/heal/vdc_displacement.h>
#include <vdacheck/heal/vdc_joint_healer.h>
#include <vdacheck/heal/vdc_largest.h>
#include <vdacheck/model/vda_cons.h>

namespace {

// The side of a breakpoint inside a piece running from w1 to w2, at its end `at_end`.
vdaSide inside(double w1, double w2, bool at_end) { return (w2 > w1) != at_end ? vdaSide::after : vdaSide::before; }

}  // namespace

std::optional<vdcLoopHealer::Fix> vdcLoopHealer::heal(const vdaSurfEval& surf, const Piece& first, const Piece& second,
                                                      std::string& why) const
{
    if (std::optional<Fix> fix = by_trims(surf, first, second))
        return fix;
    return by_ends(surf, first, second, why);
}

std::optional<vdcLoopHealer::Fix> vdcLoopHealer::by_trims(const vdaSurfEval& surf, const Piece& first,
                                                          const Piece& second) const
{
    // Newton's method on c1(x) = c2(y) in the parameter plane, from the pieces' ends.
    const vdaConsEval& c1 = *first.cons;
    const vdaConsEval& c2 = *second.cons;
    double x = first.w2, y = second.w1;
    bool met = false;
    for (int iteration = 0; iteration < 30; ++iteration) {
        const vdaConsSample p = c1.sample(x, 1, inside(first.w1, first.w2, true));
        const vdaConsSample q = c2.sample(y, 1, inside(second.w1, second.w2, false));
        const giPoint2 r = p.point - q.point;
        const double scale = 1.0 + std::fabs(p.point.x()) + std::fabs(p.point.y());
        if (gi_norm(r) <= 1e-15 * scale) {
            met = true;
            break;
        }
        // [p' -q'] (dx, dy) = -r.
        const double det = -p.d1.x() * q.d1.y() + p.d1.y() * q.d1.x();
        if (!(std::fabs(det) > 0.0) || !std::isfinite(det))
            return std::nullopt;
        const double dx = (-r.x() * -q.d1.y() - -r.y() * -q.d1.x()) / det;
        const double dy = (p.d1.x() * -r.y() - p.d1.y() * -r.x()) / det;
        // Kept within the cons: a crossing beyond one stalls at its end and is not met.
        x = std::clamp(x + dx, c1.start(), c1.end());
        y = std::clamp(y + dy, c2.start(), c2.end());
        if (!std::isfinite(x) || !std::isfinite(y))
            return std::nullopt;
    }
    // The pieces keep their direction and do not collapse.
    if (!met || (x - first.w1 > 0.0) != (first.w2 - first.w1 > 0.0) || x == first.w1 ||
        (second.w2 - y > 0.0) != (second.w2 - second.w1 > 0.0) || y == second.w2)
        return std::nullopt;
    Fix fix;
    fix.by_trims = true;
    fix.end = x;
    fix.start = y;
    fix.displacement = std::max(vdcDisplacement::trimmed(surf, c1, first.w1, first.w2, first.w1, x),
                                vdcDisplacement::trimmed(surf, c2, second.w1, second.w2, y, second.w2));
    if (!(fix.displacement <= tolerance_))
        return std::nullopt;
    return fix;
}

std::optional<vdcLoopHealer::Fix> vdcLoopHealer::by_ends(const vdaSurfEval& surf, const Piece& first,
                                                         const Piece& second, std::string& why) const
{
    const vdaConsEval& c1 = *first.cons;
    const vdaConsEval& c2 = *second.cons;
    auto at_cons_end = [](const vdaConsEval& c, double w) { return w == c.start() || w == c.end(); };
    if (!at_cons_end(c1, first.w2) || !at_cons_end(c2, second.w1)) {
        why = "the trimmed curves neither cross near the gap nor end where their cons end";
        return std::nullopt;
    }
    const giPoint2 p = c1.point(first.w2, inside(first.w1, first.w2, true));
    const giPoint2 q = c2.point(second.w1, inside(second.w1, second.w2, false));
    const giPoint2 half = 0.5 * (q - p);
    const bool same = &c1 == &c2;
    auto segments_of = [](const vdaConsEval& c) {
        std::vector<vdaConsSegment> s;
        for (int i = 0; i < c.num_segments(); ++i)
            s.push_back(c.segment(i));
        return s;
    };
    vdcJointHealer<giPoint2> h1(segments_of(c1));
    vdcJointHealer<giPoint2> h2(segments_of(c2));
    auto move = [](vdcJointHealer<giPoint2>& h, const vdaConsEval& c, double w, const giPoint2& d) {
        const bool at_end = w == c.end();
        h.move(at_end ? c.num_segments() - 1 : 0, at_end, {d.x(), d.y()});
    };
    move(h1, c1, first.w2, half);
    move(same ? h1 : h2, c2, second.w1, -1.0 * half);
    Fix fix;
    fix.segments.push_back(h1.segments());
    if (!same)
        fix.segments.push_back(h2.segments());
    // How far each cons moved on the surface.
    for (std::size_t k = 0; k < fix.segments.size(); ++k) {
        const vdaConsEval& before = k == 0 ? c1 : c2;
        const vdaCons changed("", "", "", before.curve_start(), before.curve_end(), fix.segments[k]);
        const auto after = vdaConsEval::make(changed);
        if (!after) {
            why = after.why_not();
            return std::nullopt;
        }
        fix.displacement = std::max(fix.displacement, vdcDisplacement::cons(before, surf, *after, surf));
    }
    if (!(fix.displacement <= tolerance_)) {
        why = "closing it would move a cons by more than the tolerance";
        return std::nullopt;
    }
    return fix;
}
