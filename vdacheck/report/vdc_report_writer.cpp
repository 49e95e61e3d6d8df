#include <vdacheck/report/vdc_report_writer.h>

#include <algorithm>
#include <cmath>
#include <ostream>
#include <stdexcept>
#include <string_view>
#include <unordered_map>

#include <vdacheck/report/vdc_base64_writer.h>
#include <vdacheck/report/vdc_report_assets.h>
#include <vdacheck/report/vdc_report_mesh.h>
#include <vdacheck/util/ut_json_writer.h>
#include <vdacheck/util/ut_replace_file.h>

namespace {

// Every entity the page names: drawn, with problems, or marked. The page refers to entities and types by
// their index here, so that a name is written once however often it is drawn or reported.
class EntityTable {
public:
    enum Status { clean = 0, faulty = 1, referring = 2 };

    EntityTable(const vdaScene& scene, const vdcReport& report)
    {
        index_.reserve(scene.drawings.size() + report.problems.size());
        for (const vdaDrawing& d : scene.drawings)
            add(d.entity, d.type, d.line);
        for (const vdcProblem& p : report.problems)
            add(p.entity.view(), p.type, p.line);
        for (const std::string& name : report.referring)
            status_[add(name, {}, 0)] = referring;
        for (const std::string& name : report.faulty)
            status_[add(name, {}, 0)] = faulty;
        for (const auto& [type, count] : report.entity_counts)
            type_of(type);
    }

    std::size_t index(std::string_view name) const { return index_.at(name); }
    int type_of(std::string_view type)
    {
        const auto [it, added] = type_index_.try_emplace(type, static_cast<int>(types_.size()));
        if (added)
            types_.push_back(type);
        return it->second;
    }

    void write(utJsonWriter& json) const
    {
        json.key("types").begin_array();
        for (const std::string_view t : types_)
            json.string(t);
        json.end_array();
        json.key("entities").begin_object();
        json.key("name").begin_array();
        for (const std::string_view n : names_)
            json.string(n);
        json.end_array();
        write_column(json, "type", types_of_);
        write_column(json, "line", lines_);
        write_column(json, "status", status_);
        json.end_object();
    }

private:
    std::size_t add(std::string_view name, std::string_view type, int line)
    {
        const auto [it, added] = index_.try_emplace(name, names_.size());
        if (added) {
            names_.push_back(name);
            types_of_.push_back(-1);
            lines_.push_back(0);
            status_.push_back(clean);
        }
        const std::size_t i = it->second;
        if (types_of_[i] < 0 && !type.empty())
            types_of_[i] = type_of(type);
        if (lines_[i] == 0)
            lines_[i] = line;
        return i;
    }

    static void write_column(utJsonWriter& json, std::string_view key, const std::vector<int>& values)
    {
        json.key(key).begin_array();
        for (const int v : values)
            json.integer(v);
        json.end_array();
    }

    std::vector<std::string_view> names_;
    std::vector<int> types_of_;  // index into types_, -1: unknown
    std::vector<int> lines_;
    std::vector<int> status_;
    std::unordered_map<std::string_view, std::size_t> index_;
    std::vector<std::string_view> types_;
    std::unordered_map<std::string_view, int> type_index_;
};

// The kind a row is filtered by: a quality finding, or the severity of any other problem.
const char* kind_name(const vdcProblem& p)
{
    return p.kind() == vdcRuleKind::quality ? "quality" : vdc_severity_name(p.severity);
}

void write_header(utJsonWriter& json, const vdcReport& report)
{
    json.key("file").string(report.file);
    json.key("command").string(report.command);
    json.key("version").string(report.version);
    json.key("entityCounts").begin_array();
    for (const auto& [type, count] : report.entity_counts)
        json.begin_array().string(type).integer(count).end_array();
    json.end_array();
    json.key("warnings").begin_array();
    for (const vdcProblem& w : report.warnings)
        json.begin_object()
            .key("rule")
            .string(w.id())
            .key("line")
            .integer(w.line)
            .key("column")
            .integer(w.column)
            .key("message")
            .string(w.message.view())
            .end_object();
    json.end_array();
}

void write_drawings(utJsonWriter& json, const vdcReportMesh& mesh, EntityTable& entities)
{
    const vdaScene& scene = mesh.scene();
    json.key("triangles").integer(static_cast<std::int64_t>(mesh.triangles()));
    json.key("triangleBudget").integer(static_cast<std::int64_t>(scene.triangle_budget));
    json.key("chordalTolerance").number(scene.chordal_tolerance);
    json.key("bbox");
    if (mesh.empty())
        json.null();
    else {
        json.begin_array();
        for (const double v : mesh.min())
            json.number(v);
        for (const double v : mesh.max())
            json.number(v);
        json.end_array();
    }
    json.key("meshBytes").integer(static_cast<std::int64_t>(mesh.bytes()));
    json.key("groups").begin_array();
    for (const vdcReportMesh::Group& g : mesh.groups())
        json.begin_object()
            .key("type")
            .integer(entities.type_of(g.type))
            .key("shape")
            .string(vdcReportMesh::shape_name(g.shape))
            .key("vertices")
            .integer(static_cast<std::int64_t>(g.vertices))
            .key("elements")
            .integer(static_cast<std::int64_t>(g.elements))
            .key("indexBytes")
            .integer(g.index_bytes)
            .key("vectors")
            .boolean(g.vectors)
            .key("offset")
            .integer(static_cast<std::int64_t>(g.offset))
            .end_object();
    json.end_array();

    // Drawings column by column; the page finds each one's place in its group by adding up the counts.
    const std::vector<std::size_t>& kept = mesh.drawings();
    json.key("drawings").begin_object();
    json.key("entity").begin_array();
    for (const std::size_t d : kept)
        json.integer(static_cast<std::int64_t>(entities.index(scene.drawings[d].entity)));
    json.end_array().key("group").begin_array();
    for (const std::size_t g : mesh.drawing_groups())
        json.integer(static_cast<std::int64_t>(g));
    json.end_array().key("vertices").begin_array();
    for (const std::size_t d : kept)
        json.integer(static_cast<std::int64_t>(scene.drawings[d].positions.size() / 3));
    json.end_array().key("elements").begin_array();
    for (const std::size_t d : kept)
        json.integer(static_cast<std::int64_t>(vdcReportMesh::elements_of(scene.drawings[d])));
    json.end_array().end_object();

    // Rarely set, so listed by drawing rather than as columns.
    json.key("transforms").begin_array();
    for (std::size_t k = 0; k < kept.size(); ++k)
        if (!scene.drawings[kept[k]].transform.empty())
            json.begin_array()
                .integer(static_cast<std::int64_t>(k))
                .string(scene.drawings[kept[k]].transform)
                .end_array();
    json.end_array().key("untrimmed").begin_array();
    for (std::size_t k = 0; k < kept.size(); ++k)
        if (scene.drawings[kept[k]].untrimmed)
            json.integer(static_cast<std::int64_t>(k));
    json.end_array().key("outlined").begin_array();
    for (std::size_t k = 0; k < kept.size(); ++k)
        if (scene.drawings[kept[k]].outline)
            json.integer(static_cast<std::int64_t>(k));
    json.end_array().key("skipped").begin_array();
    for (const vdcReportMesh::Skipped& s : mesh.skipped())
        json.begin_object()
            .key("entity")
            .integer(static_cast<std::int64_t>(entities.index(scene.drawings[s.drawing].entity)))
            .key("reason")
            .string(s.reason)
            .end_object();
    json.end_array();
}

void write_problems(utJsonWriter& json, const vdcReport& report, EntityTable& entities)
{
    json.key("problems").begin_array();
    for (const vdcProblem& p : report.problems) {
        json.begin_object()
            .key("kind")
            .string(kind_name(p))
            .key("rule")
            .string(p.id())
            .key("entity")
            .integer(static_cast<std::int64_t>(entities.index(p.entity.view())))
            .key("type")
            .integer(entities.type_of(p.type))
            .key("line")
            .integer(p.line)
            .key("message")
            .string(p.message.view());
        json.key("ints").begin_array();
        for (const int v : p.ints)
            json.integer(v);
        json.end_array().key("doubles").begin_array();
        for (const double v : p.doubles)
            json.number(v);
        json.end_array();
        if (p.value)
            json.key("value").number(*p.value).key("tolerance").number(p.tolerance).key("unit").string(p.unit());
        json.key("repair").string_or_null(p.repair);
        // A place that is not finite cannot be marked; the row is shown all the same.
        const giPoint3* at = p.point ? &*p.point : nullptr;
        if (at && std::isfinite(at->x()) && std::isfinite(at->y()) && std::isfinite(at->z()))
            json.key("point").begin_array().number(at->x()).number(at->y()).number(at->z()).end_array();
        json.end_object();
    }
    json.end_array();
}

}  // namespace

void vdcReportWriter::write(std::ostream& out) const
{
    const vdcReportMesh mesh(scene_);
    EntityTable entities(scene_, report_);

    static constexpr std::string_view open = "<!--vdc:";
    static constexpr std::string_view close = "-->";
    std::string_view page = vdcReportAssets::page();
    for (std::size_t at = page.find(open); at != std::string_view::npos; at = page.find(open)) {
        out << page.substr(0, at);
        const std::size_t end = page.find(close, at);
        if (end == std::string_view::npos)
            throw std::logic_error("report page: a part marker is not closed");
        const std::string_view part = page.substr(at + open.size(), end - at - open.size());
        page.remove_prefix(end + close.size());
        if (part == "style") {
            out << vdcReportAssets::style();
        } else if (part == "three") {
            out << vdcReportAssets::three();
        } else if (part == "script") {
            out << vdcReportAssets::script();
        } else if (part == "data") {
            utJsonWriter json(out);
            json.begin_object().key("format").integer(1);
            write_header(json, report_);
            write_drawings(json, mesh, entities);
            write_problems(json, report_, entities);
            entities.write(json);  // last: the parts above may have added types
            json.end_object();
        } else if (part == "mesh") {
            vdcBase64Writer base64(out);
            mesh.write_binary(base64);
            base64.finish();
        } else {
            throw std::logic_error("report page: unknown part <!--vdc:" + std::string(part) + "-->");
        }
    }
    out << page;
}

void vdcReportWriter::save(const std::filesystem::path& path, const utReplaceOptions& options) const
{
    try {
        ut_replace_file(
            path, [&](std::ostream& out) { write(out); }, options);
    } catch (const std::exception& e) {
        throw std::runtime_error("cannot save the report " + path.string() + ": " + e.what());
    }
}
