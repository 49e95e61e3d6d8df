#include <vdacheck/heal/vdc_segment_merger.h>

#include <cmath>

#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/heal/vdc_cross_tangents.h>
#include <vdacheck/heal/vdc_displacement.h>
#include <vdacheck/heal/vdc_polynomial.h>

namespace {

using Vec = std::array<double, 3>;

vdcPolynomial<3> poly(const vdaCurveSegment& s) { return vdcPolynomial<3>::of(s.all_coeffs()); }

double length(const vdcPolynomial<3>& p)
{
    // Simpson's rule on the speed: enough to tell a tiny segment from one that is not.
    constexpr int n = 64;
    double sum = 0.0;
    for (int k = 0; k <= n; ++k) {
        const double w = (k == 0 || k == n) ? 1.0 : (k % 2 ? 4.0 : 2.0);
        sum += w * gi_norm(vdc_vector(p.slope_at(double(k) / n)));
    }
    return sum / (3.0 * n);
}

// The parameter u near `guess` (beyond [0, 1]) where p comes nearest to `target`: Newton's method on the
// derivative of the squared distance.
double nearest(const vdcPolynomial<3>& p, const giPoint3& target, double guess)
{
    double u = guess;
    for (int iteration = 0; iteration < 50; ++iteration) {
        const giVector3 d = vdc_vector(p.at(u)) - giVector3(target.x(), target.y(), target.z());
        const giVector3 t = vdc_vector(p.slope_at(u));
        // Second derivative by a difference: the step only has to converge, not be exact.
        const double h = 1e-6;
        const giVector3 tt = (1.0 / (2 * h)) * (vdc_vector(p.slope_at(u + h)) - vdc_vector(p.slope_at(u - h)));
        const double f = d.dot(t), df = t.dot(t) + d.dot(tt);
        if (!(std::fabs(df) > 0.0))
            break;
        const double step = f / df;
        u -= step;
        if (std::fabs(step) < 1e-15)
            break;
    }
    return u;
}

}  // namespace

std::optional<vdcSegmentMerger::Merged> vdcSegmentMerger::merge(const std::vector<vdaCurveSegment>& segments,
                                                                int tiny) const
{
    std::optional<Merged> best;
    for (bool arc : {false, true})
        for (bool into_next : {true, false}) {
            if (arc && !by_arc_)
                continue;
            std::optional<Merged> m = candidate(segments, tiny, into_next, arc);
            if (m && (!best || m->displacement < best->displacement))
                best = std::move(m);
        }
    return best;
}

std::optional<vdcSegmentMerger::Merged> vdcSegmentMerger::candidate(const std::vector<vdaCurveSegment>& segments,
                                                                    int tiny, bool into_next, bool by_arc) const
{
    const int n = static_cast<int>(segments.size());
    const int other = into_next ? tiny + 1 : tiny - 1;
    if (other < 0 || other >= n)
        return std::nullopt;
    const vdaCurveSegment& t = segments[static_cast<std::size_t>(tiny)];
    const vdaCurveSegment& g = segments[static_cast<std::size_t>(other)];
    const vdcPolynomial<3> neighbour = poly(g), small = poly(t);
    const double a = g.start_parameter(), b = g.end_parameter();
    // The merged segment runs over both ranges; x is its local parameter, u the neighbour's.
    const double start = into_next ? t.start_parameter() : a;
    const double end = into_next ? b : t.end_parameter();
    double u_far;  // the neighbour's parameter at the merged segment's far end (the tiny segment's other end)
    if (!by_arc) {
        u_far = into_next ? (start - a) / (b - a) : (end - a) / (b - a);
    } else {
        const Vec far = small.at(into_next ? 0.0 : 1.0);
        const double speed = gi_norm(vdc_vector(neighbour.slope_at(into_next ? 0.0 : 1.0)));
        if (!(speed > 0.0))
            return std::nullopt;
        const double reach = length(small) / speed;
        u_far = nearest(neighbour, giPoint3(far[0], far[1], far[2]), into_next ? -reach : 1.0 + reach);
        if (into_next ? !(u_far < 0.0) : !(u_far > 1.0))
            return std::nullopt;
    }
    vdcPolynomial<3> merged = into_next ? neighbour.composed(u_far, 1.0 - u_far) : neighbour.composed(0.0, u_far);

    // The far end onto the joint the tiny segment had with the segment beyond it (or onto its own end).
    const int beyond = into_next ? tiny - 1 : tiny + 1;
    const bool has_beyond = beyond >= 0 && beyond < n;
    const Vec target = has_beyond ? poly(segments[static_cast<std::size_t>(beyond)]).at(into_next ? 1.0 : 0.0)
                                  : small.at(into_next ? 0.0 : 1.0);
    const Vec here = merged.at(into_next ? 0.0 : 1.0);
    Vec move{};
    for (int d = 0; d < 3; ++d)
        move[static_cast<std::size_t>(d)] = target[static_cast<std::size_t>(d)] - here[static_cast<std::size_t>(d)];
    merged =
        merged.plus(vdcPolynomial<3>({move}).times(into_next ? vdc_blend::value_at_start : vdc_blend::value_at_end));
    if (has_beyond) {
        // Where the tiny segment joined the segment beyond smoothly, the merged one does too.
        const giVector3 there =
            vdc_vector(poly(segments[static_cast<std::size_t>(beyond)]).slope_at(into_next ? 1.0 : 0.0));
        const giVector3 was = vdc_vector(small.slope_at(into_next ? 0.0 : 1.0));
        const giVector3 now = vdc_vector(merged.slope_at(into_next ? 0.0 : 1.0));
        if (gi_norm(there) > 0.0 && gi_norm(was) > 0.0 && gi_norm(now) > 0.0 &&
            gi_angle_deg(there, was) <= smooth_deg_) {
            const giVector3 turn = (gi_norm(now) / gi_norm(there)) * there - now;
            merged = merged.plus(vdcPolynomial<3>({vdc_array(turn)})
                                     .times(into_next ? vdc_blend::slope_at_start(2) : vdc_blend::slope_at_end(2)));
        }
    }
    if (length(merged) < shortest_)
        return std::nullopt;

    Merged out;
    for (int i = 0; i < n; ++i) {
        if (i == tiny)
            continue;
        if (i == other)
            out.segments.emplace_back(start, end, merged.points<giPoint3>(static_cast<std::size_t>(g.order())));
        else
            out.segments.push_back(segments[static_cast<std::size_t>(i)]);
    }
    out.by_arc = by_arc;
    out.into_next = into_next;
    out.displacement = by_arc ? vdcDisplacement::curves_apart(segments, out.segments)
                              : vdcDisplacement::curves(segments, out.segments);
    if (!(out.displacement <= tolerance_))
        return std::nullopt;
    return out;
}
