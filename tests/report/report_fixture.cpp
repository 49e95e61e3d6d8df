// Writes report pages from scenes built here, for the browser tests and for timing the page on a large
// model:
//   vdacheck_report_fixture fixture DIR        DIR/fixture.html and DIR/fixture.expected.json (what the page
//                                              must show), DIR/many.html (1,200 rows) and DIR/empty.html
//                                              (nothing drawn, no problems)
//   vdacheck_report_fixture large FILE TRIS [PER]
//                                              a scene of about TRIS triangles in surfaces of PER (default
//                                              2,000) each, with curves, points and a problem on every 50th
//                                              surface
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iostream>
#include <numbers>
#include <string>
#include <string_view>
#include <tuple>

#include <vdacheck/report/vdc_report_writer.h>
#include <vdacheck/rules/vdc_rules.h>
#include <vdacheck/util/ut_json_writer.h>

namespace {

using Point = std::array<double, 3>;
using Shape = vdaDrawing::Shape;

vdaDrawing drawing(std::string entity, std::string type, int line, Shape shape)
{
    vdaDrawing d;
    d.entity = std::move(entity);
    d.type = std::move(type);
    d.line = line;
    d.shape = shape;
    return d;
}

// "P" and 12 give "P12". (Written out, because g++ 12 warns wrongly on "P" + std::to_string(12).)
std::string numbered(const char* prefix, long n) { return std::string(prefix).append(std::to_string(n)); }

void add_vertex(vdaDrawing& d, const Point& p)
{
    for (const double c : p)
        d.positions.push_back(static_cast<float>(c));
}

// A surface f(u, v) over [0, 1]^2 as a grid of nu by nv quads, two triangles each.
vdaDrawing surface(std::string entity, std::string type, int line, int nu, int nv,
                   const std::function<Point(double, double)>& f)
{
    vdaDrawing d = drawing(std::move(entity), std::move(type), line, Shape::triangles);
    for (int j = 0; j <= nv; ++j)
        for (int i = 0; i <= nu; ++i)
            add_vertex(d, f(double(i) / nu, double(j) / nv));
    const auto at = [&](int i, int j) { return static_cast<std::uint32_t>(j * (nu + 1) + i); };
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i)
            d.indices.insert(d.indices.end(),
                             {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j), at(i + 1, j + 1), at(i, j + 1)});
    return d;
}

// Polylines, each f(t) over [0, 1] in n segments.
vdaDrawing polylines(std::string entity, std::string type, int line, int n,
                     const std::vector<std::function<Point(double)>>& pieces)
{
    vdaDrawing d = drawing(std::move(entity), std::move(type), line, Shape::lines);
    for (const auto& f : pieces) {
        d.runs.push_back(static_cast<std::uint32_t>(d.positions.size() / 3));
        for (int i = 0; i <= n; ++i)
            add_vertex(d, f(double(i) / n));
    }
    return d;
}

vdaDrawing points(std::string entity, std::string type, int line, const std::vector<Point>& at,
                  const std::vector<Point>& vectors = {})
{
    vdaDrawing d = drawing(std::move(entity), std::move(type), line, Shape::points);
    for (const Point& p : at)
        add_vertex(d, p);
    for (const Point& v : vectors)
        for (const double c : v)
            d.vectors.push_back(static_cast<float>(c));
    return d;
}

Point circle(double cx, double cy, double cz, double r, double t)
{
    const double a = 2 * std::numbers::pi * t;
    return {cx + r * std::cos(a), cy + r * std::sin(a), cz};
}

// A row of the table: a problem of a rule of the registry, at `severity`. `type` must outlive the row.
vdcProblem problem(vdcSeverity severity, std::string_view rule, std::string_view entity, std::string_view type,
                   int line, std::string_view message)
{
    vdcProblem p;
    p.rule = vdc_find_rule(rule);
    if (!p.rule)
        throw std::logic_error("no rule " + std::string(rule));
    p.severity = severity;
    p.entity = utString(entity);
    p.type = type;
    p.line = line;
    p.message = utString(message);
    return p;
}

// The kind the page files a row under.
const char* kind_of(const vdcProblem& p)
{
    return p.kind() == vdcRuleKind::quality ? "quality" : vdc_severity_name(p.severity);
}

void finish(vdaScene& scene)
{
    scene.triangles = 0;
    for (const vdaDrawing& d : scene.drawings)
        scene.triangles += d.indices.size() / 3;
}

// The fixture: a plate and a flange drawn in every status, curves, points and a vector set, each kind of
// problem row, text that must survive escaping, and a drawing that does not hold together.
void write_fixture(const std::string& dir)
{
    using Kind = vdcSeverity;
    vdaScene scene;
    scene.chordal_tolerance = 0.05;
    // Clean plate, faulty plate beside it, and a wall referring to faulty entities behind them.
    scene.drawings.push_back(surface("S1", "SURF", 10, 12, 12, [](double u, double v) {
        return Point{100 * u, 100 * v, 0};
    }));
    scene.drawings.push_back(surface("F1", "FACE", 20, 8, 8, [](double u, double v) {
        return Point{115 + 70 * u, 10 + 70 * v, 0};
    }));
    vdaDrawing wall = surface("F2", "FACE", 21, 12, 4, [](double u, double v) { return Point{100 * u, 110, 45 * v}; });
    wall.untrimmed = true;
    scene.drawings.push_back(wall);
    // A clean arc over the clean plate, drawn again under a transformation; a faulty two-piece cons along
    // the faulty plate's edges; a circle referring to faulty entities.
    const auto arc = [](double z) {
        return [z](double t) {
            return Point{50 + 40 * std::cos(std::numbers::pi * t), 50 + 40 * std::sin(std::numbers::pi * t), z};
        };
    };
    scene.drawings.push_back(polylines("C1", "CURVE", 30, 48, {arc(12)}));
    vdaDrawing moved = polylines("C1", "CURVE", 30, 48, {arc(30)});
    moved.transform = "TL1";
    scene.drawings.push_back(moved);
    scene.drawings.push_back(polylines("K1", "CONS", 31, 10,
                                       {[](double t) {
                                            return Point{115 + 70 * t, 10, 0};
                                        },
                                        [](double t) {
                                            return Point{185, 10 + 70 * t, 0};
                                        }}));
    scene.drawings.push_back(polylines("CI1", "CIRCLE", 32, 64, {[](double t) { return circle(150, 45, 25, 20, t); }}));
    scene.drawings.push_back(points("P1", "POINT", 40, {{20, 20, 20}}));
    scene.drawings.push_back(points("P2", "POINT", 41, {{80, 20, 20}}));
    scene.drawings.push_back(points("PS1", "PSET", 42, {{10, 90, 5}, {20, 90, 5}, {30, 90, 5}}));
    scene.drawings.push_back(
        points("M1", "MDI", 43, {{130, 95, 0}, {150, 95, 0}, {170, 95, 0}}, {{0, 0, 1}, {0, 0.5, 1}, {0, -0.5, 1}}));
    vdaDrawing broken = surface("BAD1", "SURF", 50, 1, 1, [](double u, double v) { return Point{u, v, 0}; });
    broken.indices[2] = 7;  // past its four vertices
    scene.drawings.push_back(broken);
    finish(scene);

    vdcReport report;
    report.file = "bracket \xE2\x80\x94 r\xC3\xB6hre.vda";  // an em dash and an o umlaut
    report.command = "vdacheck report bracket.vda -o bracket.html --quality";
    report.version = "0.1.0";
    report.entity_counts = {{"SURF", 2},  {"FACE", 2}, {"CURVE", 1}, {"CONS", 1},  {"CIRCLE", 1},
                            {"POINT", 2}, {"PSET", 1}, {"MDI", 1},   {"GROUP", 1}, {"TLIST", 1}};
    for (const auto& [rule, line, column, message] :
         {std::tuple("read-blank-record", 3, 1, "header line 3 is shorter than 80 columns"),
          std::tuple("read-indented-comment", 17, 9,
                     "comment holds </script><script>window.pwned=1</script>, <!-- and r\xF8hre")}) {  // Latin-1
        vdcProblem w = problem(vdcSeverity::warning, rule, "", "", line, message);
        w.column = column;
        report.warnings.push_back(w);
    }

    vdcProblem p = problem(Kind::error, "face-cons-ptr", "F1", "FACE", 20, "Face cons pointer points to invalid cons");
    p.ints = {0, 2};
    p.repair = "fix_face_cons_ptr";
    report.problems.push_back(p);
    p = problem(Kind::error, "face-cons-parameters", "F1", "FACE", 20,
                "Face entity has invalid cons trimming parameters");
    p.ints = {0, 0};
    p.doubles = {0, 1, 0.1 + 0.2, 1e-300, std::nan(""), -HUGE_VAL};
    p.repair = "fix_face_cons_parameters";
    report.problems.push_back(p);
    p = problem(Kind::error, "face-cons-ptr", "F2", "FACE", 21, "Face cons pointer points to invalid cons");
    p.ints = {0, 1};
    p.repair = "fix_face_cons_ptr";
    report.problems.push_back(p);
    p = problem(Kind::error, "cons-curve-ptr", "K1", "CONS", 31,
                "Cons curve pointer points to invalid curve </script>");
    report.problems.push_back(p);
    p = problem(Kind::error, "circle-angles", "CI1", "CIRCLE", 32, "Circle entity has invalid angles");
    p.doubles = {450, 540};
    p.repair = "fix_circle_angles";
    report.problems.push_back(p);
    report.problems.push_back(
        problem(Kind::error, "point-validity", "P2", "POINT", 41, "Point entity has invalid point"));
    p = problem(Kind::error, "mdi-vector", "M1", "MDI", 43, "Mdi entity has a tangent vector of length zero");
    p.ints = {1};
    report.problems.push_back(p);
    p = problem(Kind::error, "group-entity-ptr", "G1", "GROUP", 60, "Group entity has pointer to invalid entity");
    p.ints = {1};
    p.repair = "fix_group_entity_ptr";
    report.problems.push_back(p);
    p = problem(Kind::warning, "surf-patch-gap", "S1", "SURF", 10,
                "Gap between patches \xC3\x98 larger than tolerance");
    p.value = 0.125;
    p.tolerance = 0.05;
    p.point = giPoint3(50, 50, 0);
    report.problems.push_back(p);
    p = problem(Kind::warning, "curve-segment-kink", "C1", "CURVE", 30, "Tangent kink between segments");
    p.value = 3.5;
    p.tolerance = 1;
    p.point = giPoint3(50, 90, 12);
    report.problems.push_back(p);
    p = problem(Kind::warning, "circle-radius", "CI1", "CIRCLE", 32, "Circle radius is close to the tolerance");
    p.doubles = {20};
    report.problems.push_back(p);
    report.faulty = {"F1", "K1", "P2", "M1", "G1"};
    report.referring = {"F2", "CI1"};

    vdcReportWriter(scene, report).save(dir + "/fixture.html");

    // What the browser tests expect the page to show.
    std::ofstream expected(dir + "/fixture.expected.json");
    utJsonWriter json(expected);
    json.begin_object().key("rows").begin_array();
    for (const vdcProblem& row : report.problems)
        json.begin_object()
            .key("entity")
            .string(row.entity.view())
            .key("rule")
            .string(row.id())
            .key("type")
            .string(row.type)
            .key("kind")
            .string(kind_of(row))
            .end_object();
    json.end_array();
    json.key("file").string(report.file);
    json.key("warning").string("comment holds </script><script>window.pwned=1</script>, <!-- and r\xEF\xBF\xBDhre");
    json.key("drawnTypes").begin_array();
    for (const char* type : {"SURF", "FACE", "CURVE", "CONS", "CIRCLE", "POINT", "PSET", "MDI"})
        json.string(type);
    json.end_array();
    json.key("skipped").string("BAD1");
    json.end_object();
    expected << '\n';
    if (!expected)
        throw std::runtime_error("cannot write " + dir + "/fixture.expected.json");

    // More rows than the table shows at first: a row of points whose problems are listed right to left, so
    // that the leftmost point's row comes last.
    vdaScene row_of_points;
    vdcReport many;
    many.file = "many.vda";
    for (int i = 0; i < 1200; ++i) {
        const std::string name = numbered("P", i);
        row_of_points.drawings.push_back(points(name, "POINT", i + 1, {{double(i), 0, 0}}));
        many.problems.insert(many.problems.begin(), problem(vdcSeverity::error, "point-validity", name, "POINT", i + 1,
                                                            "Point entity has invalid point"));
        many.faulty.push_back(name);
    }
    finish(row_of_points);
    vdcReportWriter(row_of_points, many).save(dir + "/many.html");

    vdcReport empty;
    empty.file = "empty.vda";
    empty.command = "vdacheck report empty.vda -o empty.html";
    empty.version = "0.1.0";
    vdcReportWriter(vdaScene{}, empty).save(dir + "/empty.html");
}

// A model of many surfaces in a grid, each a gently curved patch of `per_surface` triangles, with boundary
// curves, a few points, and every 50th surface faulty with a quality finding on it.
void write_large(const std::string& file, long triangles, long per_surface)
{
    const int nv = std::max(1, static_cast<int>(std::sqrt(double(per_surface) / 2 / 1.6)));
    const int nu = std::max(1, static_cast<int>(per_surface / 2 / nv));
    const long surfaces = std::max(1L, triangles / (2L * nu * nv));
    const int across = static_cast<int>(std::ceil(std::sqrt(double(surfaces))));
    vdaScene scene;
    scene.chordal_tolerance = 0.05;
    vdcReport report;
    report.file = "large.vda";
    report.command = "vdacheck_report_fixture large";
    report.version = "0.1.0";
    for (long s = 0; s < surfaces; ++s) {
        const double x0 = 110.0 * static_cast<double>(s % across);
        const double y0 = 110.0 * static_cast<double>(s / across);
        const std::string name = numbered("S", s + 1);
        scene.drawings.push_back(surface(name, "SURF", static_cast<int>(s + 1), nu, nv, [&](double u, double v) {
            return Point{x0 + 100 * u, y0 + 100 * v, 10 * std::sin(3 * u + x0 * 0.01) * std::cos(2 * v + y0 * 0.01)};
        }));
        scene.drawings.push_back(polylines(numbered("C", s + 1), "CURVE", static_cast<int>(s + 1), 40, {[&](double t) {
                                               return Point{x0 + 100 * t, y0 - 2, 0};
                                           }}));
        if (s % 50 == 0) {
            vdcProblem p = problem(vdcSeverity::warning, "surf-patch-gap", name, "SURF", static_cast<int>(s + 1),
                                   "Gap between patches");
            p.value = 0.2;
            p.tolerance = 0.05;
            p.point = giPoint3(x0 + 50, y0 + 50, 0);
            report.problems.push_back(p);
            report.faulty.push_back(name);
        }
    }
    scene.drawings.push_back(points("PS1", "PSET", 1, {{0, 0, 20}, {50, 0, 20}, {100, 0, 20}}));
    finish(scene);
    report.entity_counts = {{"SURF", static_cast<int>(surfaces)}, {"CURVE", static_cast<int>(surfaces)}, {"PSET", 1}};
    vdcReportWriter(scene, report).save(file);
    std::cout << file << ": " << scene.triangles << " triangles in " << scene.drawings.size() << " drawings\n";
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    try {
        if (mode == "fixture" && argc == 3) {
            write_fixture(argv[2]);
            return 0;
        }
        if (mode == "large" && (argc == 4 || argc == 5)) {
            write_large(argv[2], std::atol(argv[3]), argc == 5 ? std::atol(argv[4]) : 2000);
            return 0;
        }
    } catch (const std::exception& e) {
        std::cerr << "vdacheck_report_fixture: " << e.what() << '\n';
        return 1;
    }
    std::cerr << "usage: vdacheck_report_fixture fixture DIR | large FILE TRIANGLES [PER_SURFACE]\n";
    return 2;
}
