#include <vdacheck/exchange/vdc_convert.h>

#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <string>

#include <XCAFApp_Application.hxx>

#include <vdacheck/exchange/vdc_cad_writer.h>
#include <vdacheck/exchange/vdc_export_plan.h>
#include <vdacheck/exchange/vdc_gltf_writer.h>
#include <vdacheck/exchange/vdc_shape_builder.h>
#include <vdacheck/exchange/vdc_xcaf_builder.h>
#include <vdacheck/mesh/vda_scene.h>
#include <vdacheck/mesh/vda_tessellator.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_types.h>
#include <vdacheck/repair/vdc_repair.h>

namespace fs = std::filesystem;

std::optional<vdcExchangeFormat> vdc_exchange_format_of(const fs::path& path)
{
    std::string suffix = path.extension().string();
    std::transform(suffix.begin(), suffix.end(), suffix.begin(), [](unsigned char c) { return std::tolower(c); });
    if (suffix == ".stp" || suffix == ".step")
        return vdcExchangeFormat::step;
    if (suffix == ".igs" || suffix == ".iges")
        return vdcExchangeFormat::iges;
    if (suffix == ".glb")
        return vdcExchangeFormat::glb;
    if (suffix == ".gltf")
        return vdcExchangeFormat::gltf;
    return std::nullopt;
}

const char* vdc_exchange_format_name(vdcExchangeFormat format) noexcept
{
    switch (format) {
    case vdcExchangeFormat::step:
        return "step";
    case vdcExchangeFormat::iges:
        return "iges";
    case vdcExchangeFormat::glb:
        return "glb";
    case vdcExchangeFormat::gltf:
        return "gltf";
    }
    return "";
}

namespace {

using Role = vdcExportPlan::Role;

// The model's name: its HEADER's, else the name of the file it was read from, else "model".
std::string model_name(const vdaFile& file)
{
    for (const vdaObject& e : file)
        if (e.is_type(vdaHeader::id) && !e.name().empty())
            return std::string(e.name().view());
    const std::string stem = fs::path(file.source_name()).stem().string();
    return stem.empty() ? "model" : stem;
}

bool is_gltf(vdcExchangeFormat f) noexcept { return f == vdcExchangeFormat::glb || f == vdcExchangeFormat::gltf; }

}  // namespace

struct vdcConversion::Impl {
    Impl(vdaFile& f, const fs::path& out, const vdcConvertOptions& o) : file(f), output(out), options(o) {}
    // An open document holds itself (through its owner attribute): closing it lets it go.
    ~Impl()
    {
        if (!document.IsNull())
            XCAFApp_Application::GetApplication()->Close(document);
    }

    vdaFile& file;
    fs::path output;
    vdcConvertOptions options;
    vdcConvertResult result;
    std::unique_ptr<vdcExportPlan> plan;
    std::unique_ptr<vdcShapeBuilder> shapes;
    Handle(TDocStd_Document) document;
    vdaScene scene;
    std::vector<const vdaDrawing*> drawings;
    bool built = false;

    void draw();
};

vdcConversion::vdcConversion(vdaFile& file, const fs::path& output, const vdcConvertOptions& options)
    : impl_(std::make_unique<Impl>(file, output, options))
{
    const std::optional<vdcExchangeFormat> format = options.format ? options.format : vdc_exchange_format_of(output);
    if (!format)
        throw vdcConvertError("cannot tell the format of " + output.string() +
                              ": name it .stp, .step, .igs, .iges, .glb or .gltf, or give the format");
    // What cannot be written is refused before the work: a missing folder, a folder, a folder without the
    // right to write in it (unless the output is a device or FIFO, written in place).
    std::error_code ec;
    const fs::path folder = output.parent_path().empty() ? fs::path(".") : output.parent_path();
    if (!fs::is_directory(folder, ec))
        throw vdcConvertError("cannot write " + output.string() + ": " + folder.string() + " is no folder");
    const fs::file_status status = fs::status(output, ec);
    if (fs::is_directory(status))
        throw vdcConvertError("cannot write " + output.string() + ": it is a folder");
    if ((!fs::exists(status) || fs::is_regular_file(status)) && ::access(folder.c_str(), W_OK) != 0)
        throw vdcConvertError("cannot write " + output.string() + ": " + std::strerror(errno));
    impl_->result.output = output;
    impl_->result.format = *format;
    if (options.repair) {
        impl_->result.repair = vdc_repair(file, options.cancel);
    }
    impl_->plan = std::make_unique<vdcExportPlan>(file, impl_->options);
}

vdcConversion::~vdcConversion() = default;

void vdcConversion::build()
{
    Impl& m = *impl_;
    if (m.built)
        return;
    m.built = true;
    if (is_gltf(m.result.format)) {
        m.draw();
        return;
    }
    m.shapes = std::make_unique<vdcShapeBuilder>(*m.plan);
    m.shapes->build();
    m.document = vdcXcafBuilder(*m.plan, *m.shapes).build(model_name(m.file), m.result.counts);
}

// The drawing of the whole model, of which glTF takes what the plan keeps. Boundaries are drawn as the model
// gives them, with no shape healing: a face whose boundary has a gap beyond the tolerance is left out, and
// so is a face the drawing could not trim.
void vdcConversion::Impl::draw()
{
    for (const vdcExportPlan::Entry& e : plan->entries())
        if (e.entity && e.role == Role::face && e.mend) {
            const vdcQualityRuleInfo& info = vdc_quality_rule_info(vdcQualityRule::face_loop_gap);
            plan->leave_out(*e.entity, info.id, info.help, plan->measured(*e.entity, vdcQualityRule::face_loop_gap),
                            plan->tolerance(vdcQualityRule::face_loop_gap), info.unit);
        }
    plan->settle();
    vdaTessellationOptions tessellation = options.tessellation;
    if (tessellation.threads == 0)
        tessellation.threads = options.threads;
    tessellation.cancel = options.cancel;
    scene = vdaTessellator::tessellate(file, tessellation);
    const auto entity_of = [&](const vdaDrawing& d) -> const vdaObject* {
        const vdaObject* e = file.find(utString(d.entity));
        return e && e->line() == d.line ? e : nullptr;
    };
    bool changed = false;
    for (const vdaDrawing& d : scene.drawings)
        if (const vdaObject* e = entity_of(d); e && d.untrimmed && plan->role(*e) == Role::face) {
            plan->leave_out(*e, "convert-not-drawn", "its boundary cannot be triangulated");
            changed = true;
        }
    if (changed)
        plan->settle();
    for (const vdaDrawing& d : scene.drawings) {
        const vdaObject* e = entity_of(d);
        if (!e || !plan->kept(e))
            continue;
        if (!d.transform.empty()) {
            const vdaObject* tlist = file.find(utString(d.transform));
            if (!tlist || plan->role(*tlist) != Role::instances)
                continue;
        } else if (d.shape == vdaDrawing::Shape::triangles) {
            ++result.counts.faces;
        }
        drawings.push_back(&d);
    }
}

vdcConvertResult vdcConversion::write()
{
    build();
    Impl& m = *impl_;
    const bool any = std::any_of(m.plan->entries().begin(), m.plan->entries().end(),
                                 [&](const auto& e) { return e.entity && m.plan->placeable(*e.entity); });
    // What the format does not carry is listed as left out.
    for (const vdcExportPlan::Entry& e : m.plan->entries()) {
        if (!e.entity)
            continue;
        if (m.result.format == vdcExchangeFormat::iges &&
            (e.role == Role::assembly || e.role == Role::instances || e.role == Role::placement))
            m.plan->leave_out(*e.entity, "convert-format", "IGES, as OCCT writes it, carries no assemblies");
        else if (is_gltf(m.result.format) && (e.role == Role::assembly || e.role == Role::shell))
            m.plan->leave_out(*e.entity, "convert-format",
                              "glTF holds the drawing, which has no groups, sets or topology");
    }
    m.plan->report(m.result);
    if (!any || (is_gltf(m.result.format) && m.drawings.empty())) {
        m.result.message =
            "nothing to convert: every entity is left out, so " + m.result.output.string() + " is not written";
        return m.result;
    }
    if (is_gltf(m.result.format))
        vdcGltfWriter::write(m.drawings, model_name(m.file), m.result.format == vdcExchangeFormat::glb, m.output,
                             m.options.save, m.result.counts);
    else
        vdcCadWriter::write(m.document, m.result.format, m.options.step_schema, m.output, m.options.save);
    m.result.written = true;
    return m.result;
}

vdcConvertResult vdc_convert(vdaFile& file, const fs::path& output, const vdcConvertOptions& options)
{
    vdcConversion conversion(file, output, options);
    conversion.build();
    return conversion.write();
}
