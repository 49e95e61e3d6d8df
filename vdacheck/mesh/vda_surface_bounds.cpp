#include <algorithm>
#include <cmath>
#include <numeric>

#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/mesh/vda_bernstein.h>
#include <vdacheck/mesh/vda_surface_bounds.h>

namespace {

int steps_for(double curvature, double tolerance) noexcept
{
    const double n = std::ceil(std::sqrt(curvature / tolerance));
    return n >= vdaSurfaceBounds::max_steps ? vdaSurfaceBounds::max_steps : n > 1.0 ? static_cast<int>(n) : 1;
}

vdaCoord3 combine(const vdaCoord3& a, double ka, const vdaCoord3& b, double kb) noexcept
{
    return {ka * a[0] + kb * b[0], ka * a[1] + kb * b[1], ka * a[2] + kb * b[2]};
}

}  // namespace

vdaSurfaceBounds::vdaSurfaceBounds(const vdaSurfEval& surf)
    : column_curvature_(static_cast<std::size_t>(surf.num_patches_u()), 0.0),
      row_curvature_(static_cast<std::size_t>(surf.num_patches_v()), 0.0)
{
    min_ = {INFINITY, INFINITY, INFINITY};
    max_ = {-INFINITY, -INFINITY, -INFINITY};
    std::vector<vdaCoord3> b;
    for (int j = 0; j < surf.num_patches_v(); ++j)
        for (int i = 0; i < surf.num_patches_u(); ++i) {
            const vdaSurfPatch& patch = surf.patch(i, j);
            const int nu = patch.u_order(), nv = patch.v_order();
            b.resize(static_cast<std::size_t>(nu * nv));
            for (int k = 0; k < nu * nv; ++k) {
                const giPoint3& c = patch.all_coeffs()[static_cast<std::size_t>(k)];
                b[static_cast<std::size_t>(k)] = {c.x(), c.y(), c.z()};
            }
            for (int l = 0; l < nv; ++l)
                vda_power_to_bernstein(&b[static_cast<std::size_t>(l * nu)], nu, 1);
            for (int k = 0; k < nu; ++k)
                vda_power_to_bernstein(&b[static_cast<std::size_t>(k)], nv, nu);
            auto at = [&](int k, int l) -> const vdaCoord3& { return b[static_cast<std::size_t>(l * nu + k)]; };

            const int p = nu - 1, q = nv - 1;
            double m_uu = 0, m_uv = 0, m_vv = 0;
            for (int l = 0; l < nv; ++l)
                for (int k = 0; k < nu; ++k) {
                    for (std::size_t d = 0; d < 3; ++d) {
                        min_[d] = std::min(min_[d], at(k, l)[d]);
                        max_[d] = std::max(max_[d], at(k, l)[d]);
                    }
                    if (k + 2 < nu)
                        m_uu = std::max(
                            m_uu, vda_coord_norm(combine(combine(at(k + 2, l), 1, at(k + 1, l), -2), 1, at(k, l), 1)));
                    if (l + 2 < nv)
                        m_vv = std::max(
                            m_vv, vda_coord_norm(combine(combine(at(k, l + 2), 1, at(k, l + 1), -2), 1, at(k, l), 1)));
                    if (k + 1 < nu && l + 1 < nv)
                        m_uv = std::max(m_uv, vda_coord_norm(combine(combine(at(k + 1, l + 1), 1, at(k + 1, l), -1), 1,
                                                                     combine(at(k, l + 1), -1, at(k, l), 1), 1)));
                }
            m_uu *= p * (p - 1);
            m_vv *= q * (q - 1);
            m_uv *= p * q;
            auto& cu = column_curvature_[static_cast<std::size_t>(i)];
            auto& cv = row_curvature_[static_cast<std::size_t>(j)];
            cu = std::max(cu, (m_uu + m_uv) / 4);
            cv = std::max(cv, (m_vv + m_uv) / 4);
        }
}

void vdaSurfaceBounds::steps(double tolerance, std::vector<int>& u, std::vector<int>& v) const
{
    u.clear();
    v.clear();
    for (double c : column_curvature_)
        u.push_back(steps_for(c, tolerance));
    for (double c : row_curvature_)
        v.push_back(steps_for(c, tolerance));
}

double vdaSurfaceBounds::triangles(double tolerance, int stride) const
{
    if (stride > 1)
        return 2 * std::ceil(double(columns()) / stride) * std::ceil(double(rows()) / stride);
    std::vector<int> u, v;
    steps(tolerance, u, v);
    return 2.0 * std::accumulate(u.begin(), u.end(), 0.0) * std::accumulate(v.begin(), v.end(), 0.0);
}
