#include <vdacheck/heal/vdc_seam_healer.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>
#include <tuple>

#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/heal/vdc_cross_tangents.h>
#include <vdacheck/heal/vdc_patch_edit.h>
#include <vdacheck/heal/vdc_polynomial_fit.h>

namespace {

// Corner mismatches below this (mm) are rounding: no need to close the other seams there.
constexpr double noise = 1e-9;

using Key = std::tuple<int, int, int>;  // direction, i, j

class Grid {
public:
    Grid(const vdaSurfEval& surf) : nu_(surf.num_patches_u()), nv_(surf.num_patches_v())
    {
        for (int j = 0; j < nv_; ++j)
            for (int i = 0; i < nu_; ++i)
                edits_.emplace_back(surf.patch(i, j));
    }
    int nu() const noexcept { return nu_; }
    int nv() const noexcept { return nv_; }
    vdcPatchEdit& at(int i, int j) noexcept { return edits_[static_cast<std::size_t>(j * nu_ + i)]; }
    // The two patches of a seam: before (its edge at 1) and after (its edge at 0).
    vdcPatchEdit& before(const Key& s) noexcept { return at(std::get<1>(s), std::get<2>(s)); }
    vdcPatchEdit& after(const Key& s) noexcept
    {
        const auto [d, i, j] = s;
        return d == 0 ? at(i + 1, j) : at(i, j + 1);
    }
    bool exists(const Key& s) const noexcept
    {
        const auto [d, i, j] = s;
        return i >= 0 && j >= 0 && (d == 0 ? i + 1 < nu_ && j < nv_ : i < nu_ && j + 1 < nv_);
    }
    // The grid vertices at the ends of a seam (along its running parameter, 0 then 1).
    std::array<std::pair<int, int>, 2> corners(const Key& s) const noexcept
    {
        const auto [d, i, j] = s;
        if (d == 0)
            return {{{i + 1, j}, {i + 1, j + 1}}};
        return {{{i, j + 1}, {i + 1, j + 1}}};
    }
    bool inner(std::pair<int, int> c) const noexcept
    {
        return c.first > 0 && c.first < nu_ && c.second > 0 && c.second < nv_;
    }
    std::vector<vdaSurfPatch> patches() const
    {
        std::vector<vdaSurfPatch> out;
        for (const vdcPatchEdit& e : edits_)
            out.push_back(e.patch());
        return out;
    }
    int max_order() const noexcept { return vdcPatchEdit::largest_order(edits_); }

private:
    int nu_, nv_;
    std::vector<vdcPatchEdit> edits_;
};

// Half the difference of a seam's two edges: what moves the edge before onto their mean.
vdcPolynomial<3> half_gap(Grid& grid, const Key& s)
{
    const int d = std::get<0>(s);
    return grid.after(s).edge(d, 0).plus(grid.before(s).edge(d, 1), -1.0).times({0.5});
}

double largest_norm(const vdcPolynomial<3>& p)
{
    double m = 0.0;
    for (int k = 0; k <= 64; ++k)
        m = std::max(m, gi_norm(vdc_vector(p.at(k / 64.0))));
    return m;
}

// The seams meeting at an inner grid vertex.
std::array<Key, 4> seams_at(std::pair<int, int> c)
{
    const auto [i, j] = c;
    return {Key{0, i - 1, j - 1}, Key{0, i - 1, j}, Key{1, i - 1, j - 1}, Key{1, i, j - 1}};
}

// The changes of the derivatives across a seam that make it tangent continuous, as polynomials along it.
std::pair<vdcPolynomial<3>, vdcPolynomial<3>> tangent_turns(Grid& grid, const Key& s)
{
    const int d = std::get<0>(s);
    const vdcPolynomial<3> edge = grid.before(s).edge(d, 1);
    const vdcPolynomial<3> a = grid.before(s).across(d, 1);
    const vdcPolynomial<3> b = grid.after(s).across(d, 0);
    auto turn = [&](double y, bool first) {
        const auto [da, db] =
            vdcCrossTangents::meet(vdc_vector(edge.slope_at(y)), vdc_vector(a.at(y)), vdc_vector(b.at(y)));
        return vdc_array(first ? da : db);
    };
    return {vdc_fit([&](double y) { return turn(y, true); }), vdc_fit([&](double y) { return turn(y, false); })};
}

}  // namespace

std::optional<std::vector<vdaSurfPatch>> vdcSeamHealer::heal(const vdaSurfEval& surf, const std::vector<Seam>& seams,
                                                             std::string& why) const
{
    Grid grid(surf);
    std::set<Key> closing, tangent;
    std::vector<Key> queue;
    for (const Seam& s : seams) {
        const Key key{s.direction, s.i, s.j};
        if (!grid.exists(key))
            continue;
        if (closing.insert(key).second)
            queue.push_back(key);
        if (s.tangent)
            tangent.insert(key);
    }
    // Where a seam to be closed does not meet its neighbours at an inner corner, the corner moves: every
    // seam there is closed too, and so on from their other ends.
    while (!queue.empty()) {
        const Key s = queue.back();
        queue.pop_back();
        const vdcPolynomial<3> gap = half_gap(grid, s);
        const auto ends = grid.corners(s);
        for (int e = 0; e < 2; ++e) {
            if (!grid.inner(ends[static_cast<std::size_t>(e)]) || gi_norm(vdc_vector(gap.at(e))) <= noise)
                continue;
            for (const Key& other : seams_at(ends[static_cast<std::size_t>(e)]))
                if (grid.exists(other) && !closing.count(other) &&
                    2.0 * largest_norm(half_gap(grid, other)) <= tolerance_) {
                    closing.insert(other);
                    queue.push_back(other);
                }
        }
    }

    for (int d = 0; d < 2; ++d) {
        for (const Key& s : closing) {
            if (std::get<0>(s) != d)
                continue;
            const vdcPolynomial<3> move = half_gap(grid, s);
            grid.before(s).add(d, move, vdc_blend::value_at_end);
            grid.after(s).add(d, move.times({-1.0}), vdc_blend::value_at_start);
        }
        // Grid lines of this direction: seams (d, line, p) for d = 0, (d, p, line) for d = 1.
        const int lines = d == 0 ? grid.nu() - 1 : grid.nv() - 1;
        const int length = d == 0 ? grid.nv() : grid.nu();
        for (int line = 0; line < lines; ++line) {
            auto key = [&](int p) { return d == 0 ? Key{0, line, p} : Key{1, p, line}; };
            std::vector<std::optional<std::pair<vdcPolynomial<3>, vdcPolynomial<3>>>> turns(
                static_cast<std::size_t>(length));
            bool any = false;
            for (int p = 0; p < length; ++p)
                if (tangent.count(key(p)) && closing.count(key(p))) {
                    turns[static_cast<std::size_t>(p)] = tangent_turns(grid, key(p));
                    any = true;
                }
            if (!any)
                continue;
            // The turn at each corner of the line: shared by the seams on both sides of an inner corner.
            for (int side = 0; side < 2; ++side) {
                auto turn_of = [&](int p) -> const vdcPolynomial<3>* {
                    const auto& t = turns[static_cast<std::size_t>(p)];
                    return t ? (side == 0 ? &t->first : &t->second) : nullptr;
                };
                std::vector<std::array<double, 3>> corner(static_cast<std::size_t>(length) + 1, {0, 0, 0});
                for (int c = 0; c <= length; ++c) {
                    const vdcPolynomial<3>* below = c > 0 ? turn_of(c - 1) : nullptr;
                    const vdcPolynomial<3>* above = c < length ? turn_of(c) : nullptr;
                    std::array<double, 3>& value = corner[static_cast<std::size_t>(c)];
                    if (below && above)
                        for (int k = 0; k < 3; ++k)
                            value[static_cast<std::size_t>(k)] = 0.5 * (below->at(1.0)[static_cast<std::size_t>(k)] +
                                                                        above->at(0.0)[static_cast<std::size_t>(k)]);
                    else if (below)
                        value = below->at(1.0);
                    else if (above)
                        value = above->at(0.0);
                }
                std::vector<std::optional<vdcPolynomial<3>>> line_turns(static_cast<std::size_t>(length));
                double largest = 0.0;
                for (int p = 0; p < length; ++p) {
                    const vdcPolynomial<3>* own = turn_of(p);
                    const std::array<double, 3>& c0 = corner[static_cast<std::size_t>(p)];
                    const std::array<double, 3>& c1 = corner[static_cast<std::size_t>(p) + 1];
                    if (!own && c0 == std::array<double, 3>{} && c1 == std::array<double, 3>{})
                        continue;
                    vdcPolynomial<3> turn = own ? *own : vdcPolynomial<3>();
                    const std::array<double, 3> start = turn.at(0.0), end = turn.at(1.0);
                    std::array<double, 3> fix0, fix1;
                    for (int k = 0; k < 3; ++k) {
                        fix0[static_cast<std::size_t>(k)] =
                            c0[static_cast<std::size_t>(k)] - start[static_cast<std::size_t>(k)];
                        fix1[static_cast<std::size_t>(k)] =
                            c1[static_cast<std::size_t>(k)] - end[static_cast<std::size_t>(k)];
                    }
                    turn = turn.plus(vdcPolynomial<3>({fix0}).times(vdc_blend::value_at_start))
                               .plus(vdcPolynomial<3>({fix1}).times(vdc_blend::value_at_end));
                    for (int m = 0; m <= 32; ++m)
                        largest = std::max(largest, gi_norm(vdc_vector(turn.at(m / 32.0))));
                    line_turns[static_cast<std::size_t>(p)] = std::move(turn);
                }
                // One blend along the line, so that the seams across it stay closed.
                const int power = vdc_blend::gentlest(largest, 0.5 * tolerance_);
                for (int p = 0; p < length; ++p)
                    if (const auto& turn = line_turns[static_cast<std::size_t>(p)]) {
                        if (side == 0)
                            grid.before(key(p)).add(d, *turn, vdc_blend::slope_at_end(power));
                        else
                            grid.after(key(p)).add(d, *turn, vdc_blend::slope_at_start(power));
                    }
            }
        }
    }
    if (grid.max_order() > 25) {
        why = "a patch would need an order above 25";
        return std::nullopt;
    }
    return grid.patches();
}
