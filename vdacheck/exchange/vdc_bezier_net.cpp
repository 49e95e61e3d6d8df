#include <vdacheck/exchange/vdc_bezier_net.h>

#include <algorithm>
#include <cmath>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>

namespace {

vdaCoord3 coord(const giPoint3& p) noexcept { return {p.x(), p.y(), p.z()}; }
vdaCoord3 coord(const giPoint2& p) noexcept { return {p.x(), p.y(), 0.0}; }
const vdaCoord3& coord(const vdaCoord3& p) noexcept { return p; }

// The n + 1 Bernstein coefficients of degree n of a power series of `order` <= n + 1 terms read from
// `coeffs` at `stride`: the missing higher terms are zero, which raises the degree exactly.
template <class Point>
std::vector<vdaCoord3> bernstein(const Point* coeffs, int order, int stride, int n)
{
    std::vector<vdaCoord3> b(static_cast<std::size_t>(n + 1), vdaCoord3{0.0, 0.0, 0.0});
    for (int k = 0; k < order; ++k)
        b[static_cast<std::size_t>(k)] = coord(coeffs[k * stride]);
    vda_power_to_bernstein(b.data(), n + 1, 1);
    return b;
}

}  // namespace

void vdcBezierNet::place(int i, int j, const vdaCoord3& p)
{
    const std::size_t at =
        static_cast<std::size_t>(j) * static_cast<std::size_t>(u_poles) + static_cast<std::size_t>(i);
    int& count = placed_[at];
    vdaCoord3& pole = poles[at];
    if (count == 0) {
        pole = p;
    } else {
        const vdaCoord3 d{p[0] - pole[0], p[1] - pole[1], p[2] - pole[2]};
        mismatch = std::max(mismatch, vda_coord_norm(d));
        for (std::size_t c = 0; c < 3; ++c)
            pole[c] += d[c] / (count + 1);
    }
    ++count;
}

template <class Path>
vdcBezierNet vdcBezierNet::of_path(const Path& path)
{
    vdcBezierNet net;
    const int n = path.num_segments();
    for (int i = 0; i < n; ++i)
        net.u_degree = std::max(net.u_degree, path.segment(i).order() - 1);
    net.u_poles = n * net.u_degree + 1;
    net.poles.assign(static_cast<std::size_t>(net.u_poles), vdaCoord3{0.0, 0.0, 0.0});
    net.placed_.assign(net.poles.size(), 0);
    for (int i = 0; i <= n; ++i)
        net.u_knots.push_back(path.breakpoint(i));
    for (int i = 0; i < n; ++i) {
        const auto& segment = path.segment(i);
        const std::vector<vdaCoord3> b = bernstein(segment.all_coeffs().data(), segment.order(), 1, net.u_degree);
        for (int a = 0; a <= net.u_degree; ++a)
            net.place(i * net.u_degree + a, 0, b[static_cast<std::size_t>(a)]);
    }
    net.placed_.clear();
    return net;
}

vdcBezierNet vdcBezierNet::of(const vdaCurveEval& curve) { return of_path(curve); }
vdcBezierNet vdcBezierNet::of(const vdaConsEval& cons) { return of_path(cons); }

vdcBezierNet vdcBezierNet::of(const vdaSurfEval& surf)
{
    vdcBezierNet net;
    const int nu = surf.num_patches_u(), nv = surf.num_patches_v();
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            net.u_degree = std::max(net.u_degree, surf.patch(i, j).u_order() - 1);
            net.v_degree = std::max(net.v_degree, surf.patch(i, j).v_order() - 1);
        }
    net.u_poles = nu * net.u_degree + 1;
    net.v_poles = nv * net.v_degree + 1;
    net.poles.assign(static_cast<std::size_t>(net.u_poles) * static_cast<std::size_t>(net.v_poles),
                     vdaCoord3{0.0, 0.0, 0.0});
    net.placed_.assign(net.poles.size(), 0);
    for (int i = 0; i <= nu; ++i)
        net.u_knots.push_back(surf.u_breakpoint(i));
    for (int j = 0; j <= nv; ++j)
        net.v_knots.push_back(surf.v_breakpoint(j));
    const int du = net.u_degree, dv = net.v_degree;
    std::vector<vdaCoord3> rows;  // per v power l, the u Bernstein coefficients: rows[l * (du + 1) + a]
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            const vdaSurfPatch& patch = surf.patch(i, j);
            const int uo = patch.u_order(), vo = patch.v_order();
            rows.assign(static_cast<std::size_t>((du + 1) * (dv + 1)), vdaCoord3{0.0, 0.0, 0.0});
            for (int l = 0; l < vo; ++l) {
                const std::vector<vdaCoord3> b = bernstein(&patch.coeffs(0, l), uo, 1, du);
                std::copy(b.begin(), b.end(), rows.begin() + l * (du + 1));
            }
            // Then each column of u coefficients along v.
            for (int a = 0; a <= du; ++a) {
                const std::vector<vdaCoord3> b = bernstein(rows.data() + a, vo, du + 1, dv);
                for (int c = 0; c <= dv; ++c)
                    net.place(i * du + a, j * dv + c, b[static_cast<std::size_t>(c)]);
            }
        }
    net.placed_.clear();
    return net;
}
