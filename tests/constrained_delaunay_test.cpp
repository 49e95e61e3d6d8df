#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <vector>

#include <vdacheck/geometry/gi_constrained_delaunay.h>
#include <vdacheck/geometry/gi_exact_predicates.h>

namespace {

using Loop = std::vector<giPoint2>;
using Status = giConstrainedDelaunay::Status;
using Pred = giExactPredicates;

__extension__ typedef __int128 wide;

// Exact in-circle sign by 128-bit integer arithmetic: the oracle for the predicate on the lattice.
int incircle_oracle(const giPoint2& a, const giPoint2& b, const giPoint2& c, const giPoint2& d)
{
    auto w = [](double v) { return static_cast<wide>(static_cast<std::int64_t>(v)); };
    const wide adx = w(a.x()) - w(d.x()), ady = w(a.y()) - w(d.y());
    const wide bdx = w(b.x()) - w(d.x()), bdy = w(b.y()) - w(d.y());
    const wide cdx = w(c.x()) - w(d.x()), cdy = w(c.y()) - w(d.y());
    const wide det = (adx * adx + ady * ady) * (bdx * cdy - bdy * cdx) +
                     (bdx * bdx + bdy * bdy) * (cdx * ady - cdy * adx) +
                     (cdx * cdx + cdy * cdy) * (adx * bdy - ady * bdx);
    return (det > 0) - (det < 0);
}

Loop closed(Loop loop)
{
    loop.push_back(loop.front());
    return loop;
}

Loop reversed(Loop loop)
{
    std::reverse(loop.begin(), loop.end());
    return loop;
}

Loop rectangle(double x0, double y0, double x1, double y1) { return closed({{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}}); }

double signed_area(const Loop& loop)
{
    double a = 0;
    for (std::size_t i = 0; i + 1 < loop.size(); ++i)
        a += loop[i].x() * loop[i + 1].y() - loop[i + 1].x() * loop[i].y();
    return a / 2;
}

// Area of the region of loops that neither cross nor nest beyond one level: the first loop minus the rest.
double region_area(const std::vector<Loop>& loops)
{
    double a = std::fabs(signed_area(loops[0]));
    for (std::size_t i = 1; i < loops.size(); ++i)
        a -= std::fabs(signed_area(loops[i]));
    return a;
}

using EdgeKey = std::pair<std::uint32_t, std::uint32_t>;

// The properties every successful triangulation has, checked against the input: the mesh covers exactly
// `area` without overlap, every loop edge is a chain of mesh edges, and every other inner edge is locally
// Delaunay. Coordinates must be small whole numbers, so that the exact predicates apply to them directly.
void expect_valid(const giConstrainedDelaunay::Result& r, const std::vector<Loop>& loops, double area,
                  const std::string& what)
{
    ASSERT_EQ(r.status, Status::ok) << what << ": " << giConstrainedDelaunay::describe(r.status);
    double sum = 0;
    std::map<EdgeKey, int> directed;  // directed edge -> triangle count
    std::map<EdgeKey, std::uint32_t> apex;
    for (const auto& t : r.triangles) {
        const double twice = Pred::orient_value(r.points[t[0]], r.points[t[1]], r.points[t[2]]);
        EXPECT_GT(twice, 0) << what << ": every triangle counter-clockwise and not flat";
        sum += twice / 2;
        for (int i = 0; i < 3; ++i) {
            const EdgeKey e{t[i], t[(i + 1) % 3]};
            EXPECT_EQ(++directed[e], 1) << what << ": an edge used twice in one sense means overlap";
            apex[e] = t[(i + 2) % 3];
        }
    }
    EXPECT_EQ(sum, area) << what << ": the triangles cover the region's exact area";

    // Constraint edges: the mesh vertices on each loop edge, in order along it, cut it into pieces. A piece
    // that an odd number of loop edges run along bounds the region, so it is a mesh edge.
    std::map<EdgeKey, int> pieces;
    for (const Loop& loop : loops)
        for (std::size_t i = 0; i + 1 < loop.size(); ++i) {
            const giPoint2 p = loop[i], q = loop[i + 1];
            if (p == q)
                continue;
            std::vector<std::pair<double, std::uint32_t>> on;
            for (std::uint32_t v = 0; v < r.points.size(); ++v) {
                const giPoint2 x = r.points[v];
                const double t = (x.x() - p.x()) * (q.x() - p.x()) + (x.y() - p.y()) * (q.y() - p.y());
                const double len = (q.x() - p.x()) * (q.x() - p.x()) + (q.y() - p.y()) * (q.y() - p.y());
                if (Pred::orient(p, q, x) == 0 && t >= 0 && t <= len)
                    on.push_back({t, v});
            }
            std::sort(on.begin(), on.end());
            for (std::size_t k = 0; k + 1 < on.size(); ++k)
                ++pieces[{std::min(on[k].second, on[k + 1].second), std::max(on[k].second, on[k + 1].second)}];
        }
    for (const auto& [e, n] : pieces)
        if (n % 2 == 1) {
            EXPECT_TRUE(directed.count(e) || directed.count({e.second, e.first}))
                << what << ": loop edge piece " << e.first << "-" << e.second << " is a mesh edge";
        }

    for (const auto& [e, n] : directed) {
        const EdgeKey twin{e.second, e.first};
        if (!directed.count(twin) || pieces.count({std::min(e.first, e.second), std::max(e.first, e.second)}))
            continue;
        EXPECT_LE(Pred::incircle(r.points[e.first], r.points[e.second], r.points[apex[e]], r.points[apex[twin]]), 0)
            << what << ": edge " << e.first << "-" << e.second << " is locally Delaunay";
    }
}

}  // namespace

TEST(giExactPredicates, SignsAgreeWithIntegerArithmeticOnNearCocircularPoints)
{
    // Rectangles are exactly cocircular; moving the fourth corner by one lattice step changes the sign of
    // a determinant whose terms reach 2^100, far beyond what a double rounds correctly.
    std::mt19937_64 random(7);
    std::uniform_int_distribution<std::int64_t> coordinate(-(1 << 25), 1 << 25);
    std::uniform_int_distribution<int> step(-1, 1);
    int zero = 0, nonzero = 0;
    for (int i = 0; i < 20000; ++i) {
        const double x0 = double(coordinate(random)), y0 = double(coordinate(random));
        const double x1 = double(coordinate(random)), y1 = double(coordinate(random));
        const giPoint2 a(x0, y0), b(x1, y0), c(x1, y1);
        const giPoint2 d(x0 + step(random) * (x0 > 0 ? -1 : 1), y1 + step(random) * (y1 > 0 ? -1 : 1));
        const int expected = incircle_oracle(a, b, c, d);
        ASSERT_EQ(Pred::incircle(a, b, c, d), expected) << i;
        (expected == 0 ? zero : nonzero)++;
        const giPoint2 mid((x0 + x1) / 2, (y0 + y1) / 2);
        if (mid.x() == std::floor(mid.x()) && mid.y() == std::floor(mid.y())) {
            ASSERT_EQ(Pred::orient(a, c, mid), 0) << "the midpoint of a diagonal lies on it";
        }
    }
    EXPECT_GT(zero, 1000);
    EXPECT_GT(nonzero, 1000);
}

TEST(giConstrainedDelaunay, RegionsOfEveryShapeAreCoveredExactly)
{
    const Loop square = rectangle(0, 0, 8, 8);
    std::vector<giPoint2> grid;  // exactly cocircular everywhere
    for (int i = 1; i < 8; ++i)
        for (int j = 1; j < 8; ++j)
            grid.push_back({double(i), double(j)});
    Loop dense;  // collinear runs: every whole point along the square's sides
    for (int i = 0; i < 8; ++i)
        dense.push_back({double(i), 0});
    for (int i = 0; i < 8; ++i)
        dense.push_back({8, double(i)});
    for (int i = 8; i > 0; --i)
        dense.push_back({double(i), 8});
    for (int i = 8; i > 0; --i)
        dense.push_back({0, double(i)});
    dense = closed(dense);
    Loop comb{{0, 0}, {12, 0}, {12, 6}};  // three notches 5 deep between four prongs
    for (const double x : {11.0, 7.0, 3.0})
        comb.insert(comb.end(), {{x, 6}, {x, 1}, {x - 2, 1}, {x - 2, 6}});
    comb.push_back({0, 6});
    comb = closed(comb);
    const Loop spiral =
        closed({{0, 0}, {10, 0}, {10, 10}, {2, 10}, {2, 4}, {6, 4}, {6, 6}, {4, 6}, {4, 8}, {8, 8}, {8, 2}, {0, 2}});

    struct Case {
        const char* what;
        std::vector<Loop> loops;
        std::vector<giPoint2> steiner;
        double area;
    };
    const std::vector<Case> cases = {
        {"square", {square}, {}, 64},
        {"square, clockwise", {reversed(square)}, {}, 64},
        {"square with a cocircular grid inside", {square}, grid, 64},
        {"collinear runs along every side, with the grid", {dense}, grid, 64},
        {"hole", {square, rectangle(2, 2, 6, 4)}, grid, 56},
        {"hole given first, both in one sense", {rectangle(2, 2, 6, 4), square}, grid, 56},
        {"two holes", {square, rectangle(1, 1, 3, 3), reversed(rectangle(4, 4, 7, 7))}, grid, 51},
        {"comb: deep concave teeth", {comb}, {}, 42},
        {"spiral", {spiral}, {{1, 1}, {9, 9}, {5, 5}}, 0},
        {"hole touching the outer loop at a corner", {square, closed({{0, 0}, {4, 2}, {2, 4}})}, grid, 58},
        {"hole touching the middle of an outer edge", {square, closed({{0, 4}, {2, 2}, {2, 6}})}, grid, 60},
        {"hole running along an outer edge", {square, rectangle(0, 2, 2, 4)}, grid, 60},
        {"two loops sharing one vertex", {rectangle(0, 0, 4, 4), rectangle(4, 4, 8, 8)}, {}, 32},
        {"steiner points outside and on the boundary are dropped or merged",
         {square},
         {{-3, 4}, {20, 20}, {0, 0}, {4, 0}, {4, 4}, {4, 4}},
         64},
        {"duplicate consecutive loop points", {closed({{0, 0}, {0, 0}, {8, 0}, {8, 8}, {8, 8}, {0, 8}})}, {}, 64},
    };
    for (const Case& c : cases) {
        const double area = c.area != 0 ? c.area : region_area(c.loops);
        expect_valid(giConstrainedDelaunay::triangulate(c.loops, c.steiner), c.loops, area, c.what);
    }
}

TEST(giConstrainedDelaunay, LoopsThatBoundNoRegionFail)
{
    const Loop square = rectangle(0, 0, 4, 4);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        std::vector<Loop> loops;
        Status status;
        int loop;
    };
    const std::vector<Case> cases = {
        {"open loop", {{{0, 0}, {4, 0}, {4, 4}, {0, 4}}}, Status::open_loop, 0},
        {"open hole", {square, {{1, 1}, {2, 1}, {2, 2}}}, Status::open_loop, 1},
        {"figure of eight", {closed({{0, 0}, {4, 4}, {4, 0}, {0, 4}})}, Status::crossing, 0},
        {"hole crossing the outer loop", {square, rectangle(2, 1, 6, 3)}, Status::crossing, 1},
        {"two points", {closed({{0, 0}, {1, 1}})}, Status::degenerate_loop, 0},
        {"collinear there and back", {closed({{0, 0}, {1, 1}, {3, 3}})}, Status::degenerate_loop, -1},
        {"hole equal to the outer loop", {square, reversed(square)}, Status::degenerate_loop, -1},
        {"no loop", {}, Status::degenerate_loop, -1},
        {"not finite", {square, closed({{1, 1}, {2, nan}, {2, 2}})}, Status::not_finite, 1},
    };
    for (const Case& c : cases) {
        const auto r = giConstrainedDelaunay::triangulate(c.loops, {{1, 1}});
        EXPECT_EQ(r.status, c.status) << c.what;
        EXPECT_EQ(r.loop, c.loop) << c.what;
        EXPECT_TRUE(r.triangles.empty()) << c.what;
    }
}

TEST(giConstrainedDelaunay, SnapsToTheBoundingBoxLatticeAndReportsWhereEachInputWent)
{
    // Away from the origin and small: the lattice (steps of s / 2^23 here) follows the loops.
    const double o = 10, s = 1e-3;
    const std::vector<Loop> loops = {closed({{o, o}, {o + s, o}, {o + s, o + s}, {o, o + s}})};
    const std::vector<giPoint2> steiner = {{o + s / 2, o + s / 2}, {o + s / 2, o + s / 2 + 1e-12}, {o - 1, o}};
    const auto r = giConstrainedDelaunay::triangulate(loops, steiner);
    ASSERT_EQ(r.status, Status::ok);
    ASSERT_EQ(r.point_of_input.size(), 8u);
    EXPECT_EQ(r.point_of_input[4], r.point_of_input[0]) << "the closing point is the first point";
    EXPECT_EQ(r.point_of_input[6], r.point_of_input[5]) << "points 1e-12 apart merge";
    EXPECT_EQ(r.point_of_input[7], giConstrainedDelaunay::none) << "outside the loops";
    EXPECT_EQ(r.points.size(), 5u);
    EXPECT_EQ(r.triangles.size(), 4u);
    double area = 0;
    for (const auto& t : r.triangles)
        area += Pred::orient_value(r.points[t[0]], r.points[t[1]], r.points[t[2]]) / 2;
    EXPECT_NEAR(area, s * s, s * s * 1e-6);
}

TEST(giConstrainedDelaunay, RandomPolygonsWithHoles)
{
    // Star-shaped outer loops with holes in their own sectors, whole-number coordinates, random sense,
    // collinear insertions, duplicates and Steiner points on a grid. Rounding to whole numbers may make a
    // loop cross itself: then a brute-force test must agree that it does.
    std::mt19937 random(20240611);
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
    auto chance = [&](int percent) { return int(random() % 100) < percent; };
    const double pi = std::acos(-1.0);

    auto star = [&](double cx, double cy, double r0, double r1, int n) {
        std::vector<double> angles;
        for (int i = 0; i < n; ++i)
            angles.push_back(2 * pi * (i + uniform(0.0, 0.9)) / n);
        Loop loop;
        for (double a : angles) {
            const double r = uniform(r0, r1);
            const giPoint2 p(std::round(cx + r * std::cos(a)), std::round(cy + r * std::sin(a)));
            if (!loop.empty() && chance(10)) {  // a collinear midpoint, when it is a whole point
                const giPoint2 q = loop.back();
                if (std::fmod(p.x() + q.x(), 2) == 0 && std::fmod(p.y() + q.y(), 2) == 0)
                    loop.push_back({(p.x() + q.x()) / 2, (p.y() + q.y()) / 2});
            }
            loop.push_back(p);
            if (chance(5))
                loop.push_back(p);
        }
        return chance(50) ? closed(loop) : reversed(closed(loop));
    };
    auto proper_crossing = [](const std::vector<Loop>& loops) {
        std::vector<std::pair<giPoint2, giPoint2>> edges;
        for (const Loop& l : loops)
            for (std::size_t i = 0; i + 1 < l.size(); ++i)
                if (!(l[i] == l[i + 1]))
                    edges.push_back({l[i], l[i + 1]});
        for (std::size_t i = 0; i < edges.size(); ++i)
            for (std::size_t j = i + 1; j < edges.size(); ++j) {
                const auto [a, b] = edges[i];
                const auto [c, d] = edges[j];
                if (Pred::orient(a, b, c) * Pred::orient(a, b, d) < 0 &&
                    Pred::orient(c, d, a) * Pred::orient(c, d, b) < 0)
                    return true;
            }
        return false;
    };

    int ok = 0, crossing = 0;
    for (int round = 0; round < 400; ++round) {
        const double r = uniform(50, 2000);
        std::vector<Loop> loops{star(0, 0, r, 1.5 * r, 8 + int(random() % 60))};
        const int holes = int(random() % 5);
        bool wild = false;
        for (int h = 0; h < holes; ++h) {
            const double a = 2 * pi * h / std::max(holes, 1);
            const double hr = r * 0.18;
            loops.push_back(star(0.5 * r * std::cos(a), 0.5 * r * std::sin(a), hr / 3, hr, 3 + int(random() % 12)));
            if (chance(5)) {  // a hole with a point far outside: it must cross the outer loop
                loops.back().insert(loops.back().begin() + 1, giPoint2(std::round(3 * r * std::cos(a)), 0));
                wild = true;
            }
        }
        std::vector<giPoint2> steiner;
        const double step = std::max(1.0, std::round(r / 6));
        for (double x = -1.5 * r; x <= 1.5 * r; x += step)
            for (double y = -1.5 * r; y <= 1.5 * r; y += step)
                steiner.push_back({std::round(x), std::round(y)});
        for (int i = 0; i < 20; ++i)
            steiner.push_back(loops[0][random() % loops[0].size()]);

        const std::string what = "round " + std::to_string(round);
        const auto result = giConstrainedDelaunay::triangulate(loops, steiner);
        if (proper_crossing(loops)) {
            EXPECT_EQ(result.status, Status::crossing) << what;
            ++crossing;
            continue;
        }
        if (wild)  // it touches the outer loop without crossing it: the region is not the simple one
            continue;
        expect_valid(result, loops, region_area(loops), what);
        ++ok;
        if (::testing::Test::HasFailure())
            break;
    }
    EXPECT_GT(ok, 300);
    EXPECT_GT(crossing, 5);
}
