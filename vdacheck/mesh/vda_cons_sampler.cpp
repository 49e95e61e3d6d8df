#include <algorithm>
#include <cmath>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/mesh/vda_cons_sampler.h>
#include <vdacheck/mesh/vda_surface_grid.h>

bool vdaConsSampler::too_long(const vdaPathPoint& p, const vdaPathPoint& q) const noexcept
{
    const int ap = grid_.step_s_at(p.st.x()), aq = grid_.step_s_at(q.st.x());
    const int bp = grid_.step_t_at(p.st.y()), bq = grid_.step_t_at(q.st.y());
    const double ds = std::min(grid_.step_s_length(ap), grid_.step_s_length(aq));
    const double dt = std::min(grid_.step_t_length(bp), grid_.step_t_length(bq));
    return std::fabs(q.st.x() - p.st.x()) > ds || std::fabs(q.st.y() - p.st.y()) > dt;
}

void vdaConsSampler::sample(const vdaConsEval& cons, double w0, double w1, std::vector<vdaPathPoint>& out) const
{
    const std::size_t first = out.size();
    const double lo = std::min(w0, w1), hi = std::max(w0, w1);
    const int i0 = cons.segment_at(lo, vdaSide::after);
    const int i1 = std::max(i0, cons.segment_at(hi, vdaSide::before));
    auto split = [this](const vdaPathPoint& p, const vdaPathPoint& q) { return too_long(p, q); };
    for (int i = i0; i <= i1; ++i) {
        auto path = [&](double u) {
            vdaPathPoint p;
            p.x = u;
            p.st = cons.segment_point(i, u);
            p.point = surf_.point(p.st.x(), p.st.y());
            return p;
        };
        const double u0 = cons.local_parameter(i, i == i0 ? lo : cons.breakpoint(i));
        const double u1 = cons.local_parameter(i, i == i1 ? hi : cons.breakpoint(i + 1));
        const vdaPathPoint start = path(u0);
        if (out.size() == first)
            out.push_back(start);
        else if (!(out.back().st == start.st))  // a gap between segments: keep both ends
            out.push_back(start);
        if (hi > lo)
            vdaPathSampler::sample(path, split, start, u1, 2 * std::max(cons.segment(i).order() - 1, 1), tolerance_,
                                   out);
    }
    if (w0 > w1)
        std::reverse(out.begin() + static_cast<std::ptrdiff_t>(first), out.end());
}
