#pragma once

#include <cstddef>
#include <string>

#include <vdacheck/quality/vdc_quality_finding.h>
#include <vdacheck/quality/vdc_quality_profile.h>
#include <vdacheck/quality/vdc_quality_report.h>

class vdaObject;

// Gathers what the measurements of a run of entities find, under the entity being measured: every
// measured value counts as an item of its rule, may become the rule's worst value, and becomes a finding
// when it fails the rule's tolerance. One collector serves one thread at a time; the run merges the
// collectors of consecutive runs of entities in file order.
class vdcQualityCollector {
public:
    explicit vdcQualityCollector(const vdcQualityProfile& profile) noexcept : profile_(profile) {}

    bool on(vdcQualityRule rule) const noexcept { return profile_.enabled(rule); }
    double tolerance(vdcQualityRule rule) const noexcept { return profile_.tolerance(rule); }

    // The entity measured next; end_entity() puts its findings into rule and location order.
    void begin_entity(const vdaObject& entity) noexcept
    {
        entity_ = &entity;
        first_of_entity_ = report_.findings.size();
    }
    void end_entity();

    // One measured value (not NaN) of the current entity.
    void measured(vdcQualityRule rule, double value, const vdcQualityLocation& where);
    // An item whose value is known, from a cheap bound, to be neither a finding nor the worst so far.
    void measured_beyond(vdcQualityRule rule) noexcept { ++summary(rule).items; }
    // False when `bound` (a lower bound of the value for an at_least rule, an upper bound for an at_most
    // rule) shows that the exact value would be neither a finding nor worse than the worst so far.
    bool could_matter(vdcQualityRule rule, double bound) const noexcept;
    // Part or all of the current entity cannot be evaluated.
    void skipped(std::string reason);

    // Moves what was gathered to the end of `report`, combining the per-rule summaries.
    void merge_into(vdcQualityReport& report) &&;

private:
    vdcQualityRuleSummary& summary(vdcQualityRule rule) noexcept
    {
        return report_.rules[static_cast<std::size_t>(rule)];
    }
    vdcQualityFinding make_finding(vdcQualityRule rule, double value, const vdcQualityLocation& where) const;

    const vdcQualityProfile& profile_;
    const vdaObject* entity_ = nullptr;
    std::size_t first_of_entity_ = 0;
    vdcQualityReport report_;
};
