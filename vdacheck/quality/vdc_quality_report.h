#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include <vdacheck/quality/vdc_quality_finding.h>
#include <vdacheck/rules/vdc_quality_rules.h>
#include <vdacheck/util/ut_string.h>

// What one rule saw over the whole model.
struct vdcQualityRuleSummary {
    std::size_t items = 0;     // values measured (joints, seams, patches, edges, cons, faces, pairs ...)
    std::size_t findings = 0;  // of which failed the tolerance
    // The worst value measured and where; the first in file order when several are equally bad. Empty
    // when the rule measured nothing (or was off).
    std::optional<vdcQualityFinding> worst;
};

// An entity, or part of what is measured on it, that could not be evaluated, and why.
struct vdcQualitySkip {
    utString entity;
    const char* type = "";
    int line = 0;
    std::string reason;
};

// The result of a quality run. Findings come in file order of the entities, then in rule order, then
// by location (indices, then parameters); skips in file order.
struct vdcQualityReport {
    std::vector<vdcQualityFinding> findings;
    std::array<vdcQualityRuleSummary, vdc_num_quality_rules> rules;
    std::vector<vdcQualitySkip> skipped;

    const vdcQualityRuleSummary& rule(vdcQualityRule r) const noexcept { return rules[static_cast<std::size_t>(r)]; }
};
