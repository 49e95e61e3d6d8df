#include <cmath>
#include <map>
#include <tuple>
#include <vector>

#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/mesh/vda_drawing_ops.h>
#include <vdacheck/mesh/vda_surface_grid.h>
#include <vdacheck/mesh/vda_surface_mesher.h>

void vdaSurfaceMesher::mesh(const vdaSurfEval& surf, const vdaSurfaceGrid& grid, double weld, vdaDrawing& out)
{
    const std::vector<double>& s = grid.s();
    const std::vector<double>& t = grid.t();
    const int ns = static_cast<int>(s.size()), nt = static_cast<int>(t.size());
    auto at = [nt](int a, int b) {
        return static_cast<std::size_t>(a) * static_cast<std::size_t>(nt) + static_cast<std::size_t>(b);
    };
    // The patch a grid point is first evaluated in: the one of the cell above and to the right of it.
    auto home_column = [&](int a) { return grid.column_of_step(a < ns - 1 ? a : a - 1); };
    auto home_row = [&](int b) { return grid.row_of_step(b < nt - 1 ? b : b - 1); };
    auto evaluate = [&](int i, int j, int a, int b) {
        const double sa = s[static_cast<std::size_t>(a)], tb = t[static_cast<std::size_t>(b)];
        if (i < 0 || j < 0)
            return surf.point(sa, tb);
        return surf.patch_point(i, j, surf.local_u(i, sa), surf.local_v(j, tb));
    };

    std::vector<giPoint3> home(static_cast<std::size_t>(ns) * static_cast<std::size_t>(nt));
    std::vector<std::uint32_t> vertex(home.size());
    for (int a = 0; a < ns; ++a)
        for (int b = 0; b < nt; ++b) {
            home[at(a, b)] = evaluate(home_column(a), home_row(b), a, b);
            vertex[at(a, b)] = vda_add_vertex(out, home[at(a, b)]);
        }

    // Corners of cells in another patch than their home: the same vertex where the patches meet.
    std::map<std::tuple<int, int, int, int>, std::pair<std::uint32_t, giPoint3>> seam;
    auto corner = [&](int i, int j, int a, int b) -> std::pair<std::uint32_t, giPoint3> {
        if (i < 0 || j < 0 || (i == home_column(a) && j == home_row(b)))
            return {vertex[at(a, b)], home[at(a, b)]};
        const auto key = std::make_tuple(a, b, i, j);
        if (const auto it = seam.find(key); it != seam.end())
            return it->second;
        const giPoint3 p = evaluate(i, j, a, b);
        const std::pair<std::uint32_t, giPoint3> v = gi_distance(p, home[at(a, b)]) <= weld
                                                         ? std::make_pair(vertex[at(a, b)], home[at(a, b)])
                                                         : std::make_pair(vda_add_vertex(out, p), p);
        seam.emplace(key, v);
        return v;
    };

    out.indices.reserve(out.indices.size() + 6 * static_cast<std::size_t>(ns - 1) * static_cast<std::size_t>(nt - 1));
    for (int a = 0; a + 1 < ns; ++a)
        for (int b = 0; b + 1 < nt; ++b) {
            const int i = grid.column_of_step(a), j = grid.row_of_step(b);
            const auto c00 = corner(i, j, a, b), c10 = corner(i, j, a + 1, b);
            const auto c01 = corner(i, j, a, b + 1), c11 = corner(i, j, a + 1, b + 1);
            if (gi_distance(c00.second, c11.second) <= gi_distance(c10.second, c01.second)) {
                vda_add_triangle(out, c00.first, c10.first, c11.first);
                vda_add_triangle(out, c00.first, c11.first, c01.first);
            } else {
                vda_add_triangle(out, c00.first, c10.first, c01.first);
                vda_add_triangle(out, c10.first, c11.first, c01.first);
            }
        }
}
