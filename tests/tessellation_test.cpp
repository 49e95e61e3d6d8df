#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <string>
#include <vector>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/mesh/vda_face_mesher.h>
#include <vdacheck/mesh/vda_surface_bounds.h>
#include <vdacheck/mesh/vda_surface_grid.h>
#include <vdacheck/mesh/vda_surface_mesher.h>
#include <vdacheck/mesh/vda_tessellator.h>
#include <vdacheck/vdacheck.h>

#include "vda_test_support.h"

namespace {

// z = a s^2 + b t^2 + c s t over x = s, y = t: a surface whose every point and chordal error is known.
struct Quadric {
    double a = 0, b = 0, c = 0;
    double z(double s, double t) const { return a * s * s + b * t * t + c * s * t; }
};

// The quadric over [0, width] x [0, height] as nu by nv patches of order 3, each the same polynomial
// expanded about its corner; patch (gap_i, gap_j) is lifted by `gap`.
vdaSurf& graph(vdaFile& file, const char* name, int nu, int nv, double width, double height, Quadric q,
               double gap = 0.0, int gap_i = 0, int gap_j = 0)
{
    std::vector<vdaSurfPatch> patches;
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            const double hs = width / nu, ht = height / nv, s0 = i * hs, t0 = j * ht;
            std::vector<giPoint3> c(9);  // c[l * 3 + k]: coefficient of u^k v^l
            c[0] = {s0, t0, q.z(s0, t0) + (i == gap_i && j == gap_j ? gap : 0.0)};
            c[1] = {hs, 0, (2 * q.a * s0 + q.c * t0) * hs};
            c[2] = {0, 0, q.a * hs * hs};
            c[3] = {0, ht, (2 * q.b * t0 + q.c * s0) * ht};
            c[4] = {0, 0, q.c * hs * ht};
            c[6] = {0, 0, q.b * ht * ht};
            patches.emplace_back(s0, s0 + hs, t0, t0 + ht, 3, 3, c);
        }
    return file.create<vdaSurf>(name, nu, nv, patches);
}

// A closed polygon in the parameter plane as a cons of straight segments, w = 0 .. n.
vdaCons& polygon(vdaFile& file, const char* name, const char* surf, const std::vector<giPoint2>& corners)
{
    std::vector<vdaConsSegment> segments;
    for (std::size_t i = 0; i < corners.size(); ++i) {
        const giPoint2 a = corners[i], b = corners[(i + 1) % corners.size()];
        segments.emplace_back(double(i), double(i + 1), std::vector<giPoint2>{a, {b.x() - a.x(), b.y() - a.y()}});
    }
    return file.create<vdaCons>(name, surf, "", 0.0, double(corners.size()), segments);
}

std::vector<giPoint2> rectangle(double x0, double y0, double x1, double y1)
{
    return {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}};
}

vdaFace& face(vdaFile& file, const char* name, const char* surf, const std::vector<const vdaCons*>& loops)
{
    std::vector<vdaBoundary> boundaries;
    for (const vdaCons* c : loops)
        boundaries.emplace_back(std::vector<vdaTrimmedCurve>{vdaTrimmedCurve(c->name(), 0, c->num_segments())});
    return file.create<vdaFace>(name, surf, boundaries);
}

giPoint3 vertex(const vdaDrawing& d, std::uint32_t v)
{
    return {d.positions[3 * v], d.positions[3 * v + 1], d.positions[3 * v + 2]};
}

// Twice the area of the triangle that starts at index k, along its normal.
giVector3 normal(const vdaDrawing& d, std::size_t k)
{
    const giPoint3 a = vertex(d, d.indices[k]);
    return (vertex(d, d.indices[k + 1]) - a).cross(vertex(d, d.indices[k + 2]) - a);
}

double area(const vdaDrawing& d)
{
    double sum = 0;
    for (std::size_t k = 0; k < d.indices.size(); k += 3)
        sum += std::sqrt(normal(d, k).dot(normal(d, k))) / 2;
    return sum;
}

// Edges that only one triangle has: the mesh's borders (and cracks).
std::size_t open_edges(const vdaDrawing& d)
{
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> count;
    for (std::size_t k = 0; k < d.indices.size(); k += 3)
        for (int i = 0; i < 3; ++i) {
            const std::uint32_t a = d.indices[k + i], b = d.indices[k + (i + 1) % 3];
            ++count[{std::min(a, b), std::max(a, b)}];
        }
    return static_cast<std::size_t>(
        std::count_if(count.begin(), count.end(), [](const auto& e) { return e.second == 1; }));
}

// Largest vertical distance between a triangle's centre and the quadric above it (an upper bound of the
// distance to the surface), and between a vertex and the quadric.
struct Deviation {
    double centre = 0, vertex = 0;
};
Deviation deviation(const vdaDrawing& d, Quadric q)
{
    Deviation dev;
    for (std::size_t k = 0; k < d.indices.size(); k += 3) {
        double x = 0, y = 0, z = 0;
        for (int i = 0; i < 3; ++i) {
            const giPoint3 p = vertex(d, d.indices[k + i]);
            x += p.x() / 3, y += p.y() / 3, z += p.z() / 3;
            dev.vertex = std::max(dev.vertex, std::fabs(p.z() - q.z(p.x(), p.y())));
        }
        dev.centre = std::max(dev.centre, std::fabs(z - q.z(x, y)));
    }
    return dev;
}

vdaScene tessellate(const vdaFile& file, double tolerance, int threads = 1)
{
    vdaTessellationOptions options;
    options.chordal_tolerance = tolerance;
    options.threads = threads;
    return vdaTessellator::tessellate(file, options);
}

const vdaDrawing* drawing(const vdaScene& scene, const std::string& entity, const std::string& transform = "")
{
    for (const vdaDrawing& d : scene.drawings)
        if (d.entity == entity && d.transform == transform)
            return &d;
    return nullptr;
}

}  // namespace

TEST(vdaTessellator, FlatFaceWithHolesHasTheExactTrimmedArea)
{
    vdaFile file;
    graph(file, "S1", 2, 1, 100, 50, {});
    const vdaCons& outer = polygon(file, "B1", "S1", rectangle(0, 0, 100, 50));
    const vdaCons& hole = polygon(file, "B2", "S1", rectangle(25, 12.5, 75, 37.5));
    const vdaCons& triangle = polygon(file, "B3", "S1", {{80, 10}, {90, 10}, {85, 40}});  // clockwise or not: parity
    face(file, "F1", "S1", {&outer, &hole, &triangle});

    const vdaScene scene = tessellate(file, 0.01);
    const vdaDrawing* f = drawing(scene, "F1");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->type, "FACE");
    EXPECT_FALSE(f->untrimmed);
    EXPECT_NEAR(area(*f), 5000 - 1250 - 150, 1e-3);
    EXPECT_EQ(scene.triangles, f->indices.size() / 3);
}

TEST(vdaTessellator, SeamsShareTheirVerticesWhereTheSurfaceJoinsAndOpenWhereItDoesNot)
{
    const Quadric q{0.002, -0.001, 0.0005};
    const double tolerance = 0.01;
    for (const double gap : {0.0, 0.5 * tolerance, 1.0}) {
        vdaFile file;
        const auto eval = vdaSurfEval::make(graph(file, "S1", 3, 2, 120, 80, q, gap, 1, 0));
        const vdaSurfaceBounds bounds(*eval);
        const vdaSurfaceGrid grid(*eval, bounds, tolerance, 1);
        vdaDrawing d;
        vdaSurfaceMesher::mesh(*eval, grid, tolerance, d);
        const std::size_t ns = grid.s().size(), nt = grid.t().size();
        const std::size_t border = 2 * (ns - 1) + 2 * (nt - 1);
        if (gap <= tolerance) {
            EXPECT_EQ(d.positions.size() / 3, ns * nt) << gap << ": one vertex per grid point";
            EXPECT_EQ(open_edges(d), border) << gap << ": no crack, only the outer border";
        } else {
            // Patch (1, 0) stands apart: each point of its left, right and upper seams is a vertex of its
            // own beside the one its neighbours share.
            std::size_t row0 = 0, column1 = 0;
            for (std::size_t b = 0; b + 1 < nt; ++b)
                row0 += grid.row_of_step(int(b)) == 0;
            for (std::size_t a = 0; a + 1 < ns; ++a)
                column1 += grid.column_of_step(int(a)) == 1;
            EXPECT_EQ(d.positions.size() / 3, ns * nt + 2 * (row0 + 1) + (column1 + 1) - 2);
            EXPECT_EQ(open_edges(d), border + 2 * (2 * row0 + column1)) << "the crack shows on both sides";
        }
        EXPECT_LE(deviation(d, q).vertex, 1e-4 + gap) << "every vertex lies on its patch";
    }
}

TEST(vdaTessellator, ChordalToleranceHoldsAtTriangleCentres)
{
    struct Case {
        const char* what;
        Quadric q;
        int nu, nv;
        double tolerance;
    };
    const Case cases[] = {
        {"paraboloid, one patch", {0.01, 0.01, 0}, 1, 1, 0.05},
        {"saddle, 3 by 2 patches", {0.004, -0.006, 0.003}, 3, 2, 0.02},
        {"parabolic cylinder, fine tolerance", {0.02, 0, 0}, 2, 1, 0.001},
    };
    for (const Case& c : cases) {
        vdaFile file;
        graph(file, "S1", c.nu, c.nv, 100, 60, c.q);
        graph(file, "S2", c.nu, c.nv, 100, 60, c.q);
        const vdaCons& outer = polygon(file, "B1", "S2", {{5, 5}, {95, 3}, {90, 55}, {50, 40}, {10, 58}});
        const vdaCons& hole = polygon(file, "B2", "S2", rectangle(30, 15, 60, 30));
        face(file, "F2", "S2", {&outer, &hole});
        const vdaScene scene = tessellate(file, c.tolerance);
        for (const char* name : {"S1", "F2"}) {
            const vdaDrawing* d = drawing(scene, name);
            ASSERT_NE(d, nullptr) << c.what << " " << name;
            const Deviation dev = deviation(*d, c.q);
            EXPECT_LE(dev.centre, c.tolerance) << c.what << " " << name;
            EXPECT_GE(dev.centre, c.tolerance / 10) << c.what << " " << name << ": not needlessly fine";
            EXPECT_LE(dev.vertex, 1e-4) << c.what << " " << name;
        }
    }
}

TEST(vdaTessellator, TriangleBudgetCoarsensTheWholeScene)
{
    vdaFile file;
    std::vector<utString> names;
    for (int k = 0; k < 10; ++k) {
        const char name[] = {'S', char('0' + k), 0};
        names.push_back(graph(file, name, 4, 4, 100, 100, {0.01 * (k + 1), 0.02, 0}).name());
    }
    // Each surface is drawn twice: instances count against the budget too.
    file.create<vdaGroup>("G1", names);
    file.create<vdaTmat>("TM1", giXform3({1, 0, 0, 0, 1, 0, 0, 0, 1}, {0, 0, 50}));
    file.create<vdaTlist>("TL1", "TM1", std::vector<utString>{"G1"});
    vdaTessellationOptions options;
    options.threads = 2;
    const vdaScene fine = vdaTessellator::tessellate(file, options);
    for (const std::size_t budget : {std::size_t(2000), std::size_t(500), std::size_t(40)}) {
        options.triangle_budget = budget;
        const vdaScene coarse = vdaTessellator::tessellate(file, options);
        EXPECT_LE(coarse.triangles, budget);
        EXPECT_GT(coarse.triangles, 0u);
        EXPECT_EQ(coarse.drawings.size(), 20u) << "coarser, never dropped";
        if (budget < fine.triangles) {
            EXPECT_GT(coarse.chordal_tolerance, fine.chordal_tolerance);
        }
    }
    EXPECT_GT(fine.triangles, 2000u) << "the budgets above must bite";
}

// A budget too small for even the coarsest drawing: surfaces and faces are drawn as outlines, the largest
// first, so that no budget is ever exceeded and a smaller one never draws more; nothing is left out.
TEST(vdaTessellator, ABudgetTooSmallForTheTrianglesDrawsOutlinesAndIsNeverExceeded)
{
    for (const std::string& path :
         {std::string(VDACHECK_SOURCE_DIR) + "/examples/bracket.vda", vdatest::sample_path("OpenVDAFS__FC267.vda")}) {
        SCOPED_TRACE(path);
        const auto file = vdaReader::load(path);
        vdaTessellationOptions options;
        options.threads = 1;
        const vdaScene full = vdaTessellator::tessellate(*file, options);
        const auto drawn = [](const vdaScene& scene) {
            std::vector<std::pair<std::string, std::string>> entities;
            for (const vdaDrawing& d : scene.drawings)
                entities.emplace_back(d.entity, d.transform);
            return entities;
        };
        std::size_t previous = 0;
        for (std::size_t budget = 1; budget <= full.triangles + 1; budget += budget < 40 ? 1 : 17) {
            options.triangle_budget = budget;
            const vdaScene scene = vdaTessellator::tessellate(*file, options);
            ASSERT_LE(scene.triangles, budget);
            ASSERT_GE(scene.triangles, previous) << "budget " << budget;
            previous = scene.triangles;
            EXPECT_EQ(scene.triangle_budget, budget);
            EXPECT_EQ(drawn(scene), drawn(full));
            for (const vdaDrawing& d : scene.drawings)
                if (d.outline) {
                    EXPECT_EQ(d.shape, vdaDrawing::Shape::lines);
                    EXPECT_TRUE(d.indices.empty() && d.runs.size() >= 1 && !d.positions.empty());
                }
        }
        options.triangle_budget = 1;
        const vdaScene outlines = vdaTessellator::tessellate(*file, options);
        EXPECT_EQ(outlines.triangles, 0u);
        for (std::size_t k = 0; k < full.drawings.size(); ++k)
            EXPECT_EQ(outlines.drawings[k].outline, full.drawings[k].shape == vdaDrawing::Shape::triangles)
                << full.drawings[k].entity;
    }
}

TEST(vdaTessellator, SamplesTessellate)
{
    for (const char* sample : {"OpenVDAFS__CURVE_SP1.vda", "OpenVDAFS__SURF_FLAE0001.vda", "OpenVDAFS__FC267.vda"}) {
        const auto file = vdaReader::load(vdatest::sample_path(sample));
        const vdaScene scene = vdaTessellator::tessellate(*file);
        EXPECT_FALSE(scene.drawings.empty()) << sample;
        EXPECT_GT(scene.chordal_tolerance, 0) << sample;
        for (const vdaDrawing& d : scene.drawings)
            EXPECT_FALSE(d.untrimmed) << sample << " " << d.entity;
    }

    // FC267's face: an outer loop and a circular hole; the mesh covers the region of (s, t) that the loops,
    // sampled densely, bound.
    const auto fc = vdaReader::load(vdatest::sample_path("OpenVDAFS__FC267.vda"));
    const vdaFace& f = vdatest::entity<vdaFace>(*fc, "FC267");
    const auto eval = vdaSurfEval::make(vdatest::entity<vdaSurf>(*fc, "SR109"));
    ASSERT_TRUE(eval);
    double expected = 0;
    for (int b = 0; b < f.num_boundaries(); ++b) {
        double twice = 0;
        for (int k = 0; k < f.boundary(b).num_curve_segments(); ++k) {
            const vdaTrimmedCurve& piece = f.boundary(b).curve_segment(k);
            const auto cons = vdaConsEval::make(*vda_cast<vdaCons>(piece.basis_curve()()));
            const double w0 = piece.start_parameter(), dw = (piece.end_parameter() - w0) / 4000;
            for (int i = 0; i < 4000; ++i) {
                const giPoint2 p = cons->point(w0 + i * dw), q = cons->point(w0 + (i + 1) * dw);
                twice += p.x() * q.y() - q.x() * p.y();
            }
        }
        expected += (b == 0 ? 0.5 : -0.5) * std::fabs(twice);
    }
    const vdaSurfaceBounds fb(*eval);
    const double tolerance = 0.01;
    const vdaSurfaceGrid fg(*eval, fb, tolerance, 1);
    vdaDrawing mesh;
    std::vector<giPoint2> st;
    ASSERT_EQ(vdaFaceMesher(*eval, fg, tolerance).mesh(f, mesh, &st), nullptr);
    double actual = 0;
    for (std::size_t k = 0; k < mesh.indices.size(); k += 3) {
        const giPoint2 a = st[mesh.indices[k]], b = st[mesh.indices[k + 1]], c = st[mesh.indices[k + 2]];
        actual += ((b.x() - a.x()) * (c.y() - a.y()) - (c.x() - a.x()) * (b.y() - a.y())) / 2;
    }
    EXPECT_GT(expected, 0.1);
    EXPECT_NEAR(actual, expected, 1e-3 * expected);
}

TEST(vdaTessellator, MalformedEntitiesAreSkippedAndFacesThatCannotBeTrimmedAreDrawnWhole)
{
    const auto file = vdatest::read(R"(T = HEADER / 0
PT1 = POINT / 1., 2., 3.
PT2 = POINT / -1.7976931348623157E+308, 0., 0.
PS1 = PSET / 2, 0., 0., 0., 1., 1., 1.
PS2 = PSET / 2, 0., 0., 0., 1., 1.7976931348623157E+308, 1.
MD1 = MDI / 1, 0., 0., 0., 0., 0., 1.
CI1 = CIRCLE / 0., 0., 0., 10., 1., 0., 0., 0., 1., 0., 0., 90.
CI2 = CIRCLE / 0., 0., 0., 0., 1., 0., 0., 0., 1., 0., 0., 90.
C1 = CURVE / 1, 0., 1., 2, 0., 10., 0., 0., 0., 0.
C2 = CURVE / 1, 0., 1., 0
P1 = SURF / 1, 1, 0., 1., 0., 1.,
 2, 2, 0., 100., 0., 0., 0., 0., 50., 0., 0., 0., 0., 0.
P2 = SURF / 1, 1, 0., 1., 0., 1.,
 2, 2, 0., 100., 0., 0., 0., 0., 50., 0., 0., 0., 0., 0.
P3 = SURF / 1, 1, 0., 1., 0., 1., 0, 0
B1 = CONS / P1, C1, 0., 1., 4, 0., 1., 2., 3., 4.,
 2, 0., 1., 0., 0., 2, 1., 0., 0., 1.,
 2, 1., -1., 1., 0., 2, 0., 0., 1., -1.
BX = CONS / P1, C1, 0., 1., 4, 0., 1., 2., 3., 4.,
 2, 0., 1., 0., 1., 2, 1., 0., 1., -1.,
 2, 1., -1., 0., .6, 2, 0., 0., .6, -.6
K1 = CONS / NOPE, C1, 0., 1., 1, 0., 1., 2, 0., 1., 0., 0.
F1 = FACE / P1, 1, 1, B1, 0., 4.
F2 = FACE / P1, 1, 1, B8, 0., 4.
F3 = FACE / NOPE, 1, 1, B1, 0., 4.
F4 = FACE / P1, 1, 1, B1, 0., 3.
F5 = FACE / P1, 1, 1, BX, 0., 4.
F6 = FACE / P3, 1, 1, B1, 0., 4.
TL1 = TLIST / NOPE, 1, PT1
T = END
)");
    const vdaScene scene = tessellate(*file, 0.1);
    struct Row {
        const char* entity;
        bool drawn;
        bool untrimmed;
        const char* why;
    };
    const Row rows[] = {
        {"PT1", true, false, "a point"},
        {"PT2", false, false, "the invalid-value sentinel"},
        {"PS1", true, false, "a point set"},
        {"PS2", false, false, "a point set holding an unset coordinate"},
        {"MD1", true, false, "an MDI"},
        {"CI1", true, false, "an arc"},
        {"CI2", false, false, "a circle of radius 0"},
        {"C1", true, false, "a line"},
        {"C2", false, false, "a curve of order 0"},
        {"P1", false, false, "a surface drawn through its faces"},
        {"P2", true, false, "a surface no face trims"},
        {"P3", false, false, "a surface without coefficients"},
        {"B1", true, false, "a cons"},
        {"BX", true, false, "a cons that crosses itself"},
        {"K1", false, false, "a cons on a surface that does not exist"},
        {"F1", true, false, "a face with a closed loop"},
        {"F2", true, true, "a face whose loop names no cons"},
        {"F3", false, false, "a face on a surface that does not exist"},
        {"F4", true, true, "a face whose loop is open"},
        {"F5", true, true, "a face whose loop crosses itself"},
        {"F6", false, false, "a face on a surface that cannot be evaluated"},
        {"TL1", false, false, "a transformation list without a matrix (and no instance)"},
    };
    for (const Row& row : rows) {
        const vdaDrawing* d = drawing(scene, row.entity);
        EXPECT_EQ(d != nullptr, row.drawn) << row.why;
        if (d) {
            EXPECT_EQ(d->untrimmed, row.untrimmed) << row.why;
        }
    }
    EXPECT_EQ(scene.drawings.size(), 12u) << "nothing else, no instance";
    const vdaDrawing* whole = drawing(scene, "F4");
    ASSERT_NE(whole, nullptr);
    EXPECT_NEAR(area(*whole), 5000, 1e-3) << "drawn untrimmed: the whole surface";
    EXPECT_NEAR(area(*drawing(scene, "F1")), 5000, 1e-3);
    EXPECT_EQ(drawing(scene, "MD1")->vectors, (std::vector<float>{0, 0, 1}));
}

TEST(vdaTessellator, TlistDrawsTransformedInstancesBesideTheOriginals)
{
    const auto file = vdatest::read(R"(T = HEADER / 0
PT1 = POINT / 1., 2., 3.
C1 = CURVE / 1, 0., 1., 3, 0., 10., 0., 0., 0., 5., 0., 0., 0.
P1 = SURF / 1, 1, 0., 1., 0., 1.,
 3, 2, 0., 100., 0., 0., 0., 0., 0., 0., 0., 50., 0., 0.,
 0., 0., 20., 0., 0., 0.
G1 = GROUP / 2, PT1, P1
TM1 = TMAT / 0., -1., 0., 1., 0., 0., 0., 0., 1., 100., 0., 0.
TM2 = TMAT / 1., 0., 0., 0., 1., 0., 0., 0., -1., 0., 0., 0.
TL1 = TLIST / TM1, 3, G1, C1, PT1
TL2 = TLIST / TM2, 1, P1
T = END
)");
    const vdaScene scene = tessellate(*file, 0.05);
    std::vector<std::string> order;
    for (const vdaDrawing& d : scene.drawings)
        order.push_back(d.entity + (d.transform.empty() ? "" : "@" + d.transform));
    EXPECT_EQ(order, (std::vector<std::string>{"PT1", "C1", "P1", "PT1@TL1", "P1@TL1", "C1@TL1", "P1@TL2"}))
        << "instances follow their list, groups expanded, each entity once per list";

    for (const char* tlist : {"TL1", "TL2"}) {
        const giXform3& m = vdatest::entity<vdaTmat>(*file, tlist[2] == '1' ? "TM1" : "TM2").matrix();
        const vdaDrawing& original = *drawing(scene, "P1");
        const vdaDrawing& instance = *drawing(scene, "P1", tlist);
        ASSERT_EQ(instance.positions.size(), original.positions.size());
        ASSERT_EQ(instance.indices.size(), original.indices.size());
        for (std::uint32_t v = 0; v < original.positions.size() / 3; ++v) {
            const giPoint3 expected = gi_transform(m, vertex(original, v));
            EXPECT_LT(gi_distance(vertex(instance, v), expected), 1e-4) << tlist;
        }
        // Normals map with the matrix: a mirror reverses the triangles so that they keep facing out.
        for (std::size_t k = 0; k < original.indices.size(); k += 3)
            EXPECT_GT(gi_transform(m, normal(original, k)).dot(normal(instance, k)), 0) << tlist;
    }
}

TEST(vdaTessellator, PolylinesFollowTheirCurvesWithinTheTolerance)
{
    const auto file = vdatest::read(R"(T = HEADER / 0
CI1 = CIRCLE / 1., 2., 3., 10., 1., 0., 0., 0., 1., 0., 30., 300.
C1 = CURVE / 2, 0., 1., 2., 3, 0., 10., 0., 0., 0., 5., 0., 0., 0.,
 2, 20., 10., 0., 0., 0., 0.
T = END
)");
    const double tolerance = 0.01;
    const vdaScene scene = tessellate(*file, tolerance);
    const vdaDrawing& circle = *drawing(scene, "CI1");
    EXPECT_EQ(circle.shape, vdaDrawing::Shape::lines);
    EXPECT_EQ(circle.runs, std::vector<std::uint32_t>{0});
    const giPoint3 centre(1, 2, 3);
    const std::size_t n = circle.positions.size() / 3;
    for (std::uint32_t v = 0; v + 1 < n; ++v) {
        EXPECT_NEAR(gi_distance(vertex(circle, v), centre), 10, 1e-5);
        const giPoint3 a = vertex(circle, v), b = vertex(circle, v + 1);
        const giPoint3 mid((a.x() + b.x()) / 2, (a.y() + b.y()) / 2, (a.z() + b.z()) / 2);
        EXPECT_LE(10 - gi_distance(mid, centre), tolerance);
        EXPECT_GE(10 - gi_distance(mid, centre), tolerance / 5) << "not needlessly fine";
    }
    EXPECT_LT(gi_distance(vertex(circle, std::uint32_t(n - 1)), {1 + 10 * std::cos(300 * std::numbers::pi / 180),
                                                                 2 + 10 * std::sin(300 * std::numbers::pi / 180), 3}),
              1e-5);

    // The parabola x = 10u, y = 5u^2 and then a line that starts 5 away from its end: two runs.
    const vdaDrawing& curve = *drawing(scene, "C1");
    ASSERT_EQ(curve.runs.size(), 2u);
    EXPECT_EQ(vertex(curve, curve.runs[1]), giPoint3(20, 0, 0));
    for (std::uint32_t v = 0; v + 1 < curve.runs[1]; ++v) {
        const giPoint3 a = vertex(curve, v), b = vertex(curve, v + 1);
        EXPECT_NEAR(a.y(), a.x() * a.x() / 20, 1e-5);
        // The parabola's largest distance from a chord of x-width h is 5 (h / 10)^2 / 4 (vertically).
        const double h = (b.x() - a.x()) / 10;
        EXPECT_LE(5 * h * h / 4, tolerance);
    }
}

TEST(vdaTessellator, SameSceneWhateverTheThreadCount)
{
    vdaFile file;
    for (int k = 0; k < 12; ++k) {
        const char s[] = {'S', char('A' + k), 0}, b[] = {'B', char('A' + k), 0}, f[] = {'F', char('A' + k), 0};
        graph(file, s, 1 + k % 3, 1 + k % 2, 100, 60, {0.001 * k, -0.002, 0.0005 * k});
        const vdaCons& loop = polygon(file, b, s, {{5, 5}, {95, 3.0 + k}, {90, 55}, {50, 40.0 - k}, {10, 58}});
        face(file, f, s, {&loop});
    }
    const vdaScene one = tessellate(file, 0.01, 1);
    const vdaScene three = tessellate(file, 0.01, 3);
    ASSERT_EQ(one.drawings.size(), three.drawings.size());
    for (std::size_t i = 0; i < one.drawings.size(); ++i) {
        EXPECT_EQ(one.drawings[i].entity, three.drawings[i].entity);
        EXPECT_EQ(one.drawings[i].positions, three.drawings[i].positions);
        EXPECT_EQ(one.drawings[i].indices, three.drawings[i].indices);
        EXPECT_EQ(one.drawings[i].runs, three.drawings[i].runs);
    }
    EXPECT_EQ(one.triangles, three.triangles);
    EXPECT_EQ(one.min, three.min);
    EXPECT_EQ(one.max, three.max);
}
