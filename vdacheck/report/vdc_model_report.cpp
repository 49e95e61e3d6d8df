#include <vdacheck/report/vdc_model_report.h>

#include <string_view>
#include <unordered_map>
#include <vector>

#include <vdacheck/check/vdc_file_check.h>
#include <vdacheck/check/vdc_file_check_acc.h>
#include <vdacheck/check/vdc_logged_packet.h>
#include <vdacheck/mesh/vda_tessellator.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/quality/vdc_quality_check.h>
#include <vdacheck/report/vdc_report_writer.h>
#include <vdacheck/rules/vdc_rules.h>

namespace {

// Per entity with problems, in the order first met: whether any of them is its own, or all are references
// to faulty entities.
class EntityStatus {
public:
    void add(std::string_view entity, bool own)
    {
        const auto [it, added] = index_.try_emplace(std::string(entity), names_.size());
        if (added) {
            names_.emplace_back(entity);
            own_.push_back(own);
        } else if (own) {
            own_[it->second] = true;
        }
    }

    void fill(vdcReport& report) const
    {
        for (std::size_t i = 0; i < names_.size(); ++i)
            (own_[i] ? report.faulty : report.referring).push_back(names_[i]);
    }

private:
    std::vector<std::string> names_;
    std::vector<bool> own_;
    std::unordered_map<std::string, std::size_t> index_;
};

std::vector<std::pair<std::string, int>> entity_counts(const vdaFile& file)
{
    std::vector<std::pair<std::string, int>> counts;  // types in the order first met: a dozen at most
    for (const vdaObject& entity : file) {
        const std::string_view type = entity.type().command_word();
        auto it = counts.begin();
        while (it != counts.end() && it->first != type)
            ++it;
        if (it == counts.end())
            counts.emplace_back(type, 1);
        else
            ++it->second;
    }
    return counts;
}

vdcReportProblem packet_problem(const vdaObject& entity, const vdcErrorPacket& packet, const vdcRule* rule)
{
    vdcReportProblem p;
    p.kind = vdcReportProblem::Kind::error;
    p.rule = rule ? rule->id : std::string_view();
    p.entity = entity.name().view();
    p.type = entity.type().command_word();
    p.line = entity.line();
    p.message = packet.error_message().view();
    for (int k = 0; k < packet.num_int(); ++k)
        p.ints.push_back(packet.get_int(k));
    for (int k = 0; k < packet.num_dbl(); ++k)
        p.doubles.push_back(packet.get_dbl(k));
    if (packet.error_function())
        p.repair = rule ? rule->repair_name : std::string_view("unknown repair");
    return p;
}

// A finding as a row: the rule's sentence as its message, the indices and parameters of its place as the
// row's values, and its point as the marker's place.
vdcReportProblem finding_problem(const vdcQualityFinding& f)
{
    const vdcQualityRuleInfo& rule = vdc_quality_rule_info(f.rule);
    vdcReportProblem p;
    p.kind = vdcReportProblem::Kind::quality;
    p.rule = rule.id;
    p.entity = f.entity.view();
    p.type = f.type;
    p.line = f.line;
    p.message = rule.help;
    for (std::size_t i = 0; i < rule.indices.size() && rule.indices[i]; ++i)
        p.ints.push_back(f.where.indices[i]);
    for (std::size_t i = 0; i < rule.parameters.size() && rule.parameters[i]; ++i)
        p.doubles.push_back(f.where.parameters[i]);
    p.value = f.value;
    p.tolerance = f.tolerance;
    p.unit = rule.unit;
    if (f.where.has_point)
        p.point = {f.where.point.x(), f.where.point.y(), f.where.point.z()};
    return p;
}

}  // namespace

vdcModelReport::vdcModelReport(const vdaFile& file, const vdcModelReportOptions& options)
{
    report_.file = options.file.empty() ? file.source_name() : options.file;
    report_.command = options.command;
    report_.version = options.version;
    report_.entity_counts = entity_counts(file);
    for (const vdaReadWarning& w : file.warnings())
        report_.warnings.push_back({std::string(vdc_rule_of(w.kind).id), w.line, w.column, w.message});

    EntityStatus status;
    {
        vdcFileCheck checker;
        const vdcFileCheckAcc access(&checker);
        checker.check(file);
        const vdcLog& log = access.error_log();
        vdc_for_each_logged_packet(file, log, [&](const vdaObject& entity, const vdcErrorPacket& packet) {
            const vdcRule* rule = vdc_rule_of(packet);
            report_.problems.push_back(packet_problem(entity, packet, rule));
            status.add(entity.name().view(), !rule || !rule->reference);
        });
        errors_ = report_.problems.size();
    }
    if (options.quality) {
        const vdcQualityReport quality = vdcQualityCheck(options.quality_profile, options.threads).run(file);
        for (const vdcQualityFinding& f : quality.findings) {
            report_.problems.push_back(finding_problem(f));
            status.add(f.entity.view(), true);
        }
        findings_ = quality.findings.size();
    }
    status.fill(report_);

    vdaTessellationOptions tessellation = options.tessellation;
    tessellation.threads = options.threads;
    scene_ = vdaTessellator::tessellate(file, tessellation);
}

void vdcModelReport::write(std::ostream& out) const { vdcReportWriter(scene_, report_).write(out); }

void vdcModelReport::save(const std::filesystem::path& path, const utReplaceOptions& options) const
{
    vdcReportWriter(scene_, report_).save(path, options);
}
