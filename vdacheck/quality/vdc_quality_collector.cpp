#include <vdacheck/quality/vdc_quality_collector.h>

#include <algorithm>
#include <cmath>
#include <iterator>

#include <vdacheck/model/vda_object.h>

namespace {

// True when `a` is worse than `b` for a rule of that limit.
bool worse(vdcQualityLimit limit, double a, double b) noexcept
{
    return limit == vdcQualityLimit::at_most ? a > b : a < b;
}

bool fails(vdcQualityLimit limit, double value, double tolerance) noexcept { return worse(limit, value, tolerance); }

// Keeps in `into` the worse of the two; on a tie the one already there (the earlier in file order).
void keep_worst(std::optional<vdcQualityFinding>& into, const vdcQualityFinding& candidate)
{
    if (!into || worse(vdc_quality_rule_info(candidate.rule).limit, candidate.value, into->value))
        into = candidate;
}

}  // namespace

vdcQualityFinding vdcQualityCollector::make_finding(vdcQualityRule rule, double value,
                                                    const vdcQualityLocation& where) const
{
    return {rule, entity_->name(), entity_->type().command_word(), entity_->line(), value, tolerance(rule), where};
}

void vdcQualityCollector::measured(vdcQualityRule rule, double value, const vdcQualityLocation& where)
{
    if (std::isnan(value))
        return;
    vdcQualityRuleSummary& s = summary(rule);
    const vdcQualityLimit limit = vdc_quality_rule_info(rule).limit;
    ++s.items;
    const bool is_finding = fails(limit, value, tolerance(rule));
    const bool is_worst = !s.worst || worse(limit, value, s.worst->value);
    if (!is_finding && !is_worst)
        return;
    vdcQualityFinding f = make_finding(rule, value, where);
    if (is_worst)
        s.worst = f;
    if (is_finding) {
        ++s.findings;
        report_.findings.push_back(std::move(f));
    }
}

bool vdcQualityCollector::could_matter(vdcQualityRule rule, double bound) const noexcept
{
    const vdcQualityRuleSummary& s = report_.rules[static_cast<std::size_t>(rule)];
    const vdcQualityLimit limit = vdc_quality_rule_info(rule).limit;
    return fails(limit, bound, tolerance(rule)) || !s.worst || worse(limit, bound, s.worst->value);
}

void vdcQualityCollector::skipped(std::string reason)
{
    report_.skipped.push_back({entity_->name(), entity_->type().command_word(), entity_->line(), std::move(reason)});
}

void vdcQualityCollector::end_entity()
{
    const auto by_rule_then_location = [](const vdcQualityFinding& a, const vdcQualityFinding& b) {
        if (a.rule != b.rule)
            return a.rule < b.rule;
        if (a.where.indices != b.where.indices)
            return a.where.indices < b.where.indices;
        return a.where.parameters < b.where.parameters;
    };
    std::stable_sort(report_.findings.begin() + static_cast<std::ptrdiff_t>(first_of_entity_), report_.findings.end(),
                     by_rule_then_location);
    entity_ = nullptr;
}

void vdcQualityCollector::merge_into(vdcQualityReport& report) &&
{
    std::move(report_.findings.begin(), report_.findings.end(), std::back_inserter(report.findings));
    std::move(report_.skipped.begin(), report_.skipped.end(), std::back_inserter(report.skipped));
    for (std::size_t r = 0; r < vdc_num_quality_rules; ++r) {
        vdcQualityRuleSummary& into = report.rules[r];
        const vdcQualityRuleSummary& from = report_.rules[r];
        into.items += from.items;
        into.findings += from.findings;
        if (from.worst)
            keep_worst(into.worst, *from.worst);
    }
}
