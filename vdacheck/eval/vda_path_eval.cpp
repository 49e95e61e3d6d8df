#include <vdacheck/eval/vda_path_eval.h>

#include <cmath>

#include <vdacheck/eval/vda_horner.h>

template <class Point, class Vector>
Point vdaPathEval<Point, Vector>::segment_point(int i, double u) const noexcept
{
    const Segment& g = segs_[i];
    vdaCoordsOf<Point> r[1];
    vda_horner<0>(g.all_coeffs().data(), g.order(), u, r);
    return vda_from_coords<Point>(r[0]);
}

template <class Point, class Vector>
typename vdaPathEval<Point, Vector>::Sample vdaPathEval<Point, Vector>::segment_sample(int i, double u,
                                                                                       int derivatives) const noexcept
{
    const Segment& g = segs_[i];
    const Point* c = g.all_coeffs().data();
    vdaCoordsOf<Point> r[3]{};
    if (derivatives <= 0)
        vda_horner<0>(c, g.order(), u, r);
    else if (derivatives == 1)
        vda_horner<1>(c, g.order(), u, r);
    else
        vda_horner<2>(c, g.order(), u, r);
    const double k = 1.0 / (g.end_parameter() - g.start_parameter());
    Sample out{vda_from_coords<Point>(r[0]), Vector(), Vector()};
    if (derivatives >= 1)
        out.d1 = vda_from_coords<Vector>(r[1], k);
    if (derivatives >= 2)
        out.d2 = vda_from_coords<Vector>(r[2], k * k);
    return out;
}

template <class Point, class Vector>
const char* vdaPathEval<Point, Vector>::why_not(const Segment* segments, int n) noexcept
{
    if (n <= 0)
        return "no segments";
    for (int i = 0; i < n; ++i) {
        const Segment& g = segments[i];
        if (g.order() < 2 || g.order() > 25)
            return "segment order outside 2..25";
        if (!std::isfinite(g.start_parameter()) || !std::isfinite(g.end_parameter()) ||
            !(g.start_parameter() < g.end_parameter()))
            return "segment parameters not increasing";
        if (i > 0 && g.start_parameter() != segments[i - 1].end_parameter())
            return "segments not joined";
        for (const Point& c : g.all_coeffs())
            if (!vda_usable(c))
                return "invalid coefficient";
    }
    return nullptr;
}

template class vdaPathEval<giPoint3, giVector3>;
template class vdaPathEval<giPoint2, giPoint2>;
