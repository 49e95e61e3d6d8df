#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include <vdacheck/quality/vdc_quality_finding.h>
#include <vdacheck/quality/vdc_quality_report.h>
#include <vdacheck/repair/vdc_repair.h>
#include <vdacheck/rules/vdc_quality_rules.h>
#include <vdacheck/util/ut_string.h>

// A finding healing closed: as it was measured before, the same measure at the same place after, how far
// the geometry moved and which entities changed (written afresh when the model is saved).
struct vdcHealedItem {
    vdcQualityFinding finding;      // rule, entity, type, line, value before, tolerance, place
    double value_after = 0.0;       // in the rule's unit
    double displacement = 0.0;      // mm: the farthest any point of a changed curve or surface moved
    std::vector<utString> changed;  // the entities changed, the finding's own first where it changed
    std::string how;                // what was done, in a few words
};

// A finding left as it was, with its value and why.
struct vdcHealLeftItem {
    vdcQualityFinding finding;
    std::string reason;  // "above the healing tolerance (0.1 mm)", "not a rule healing closes", ...
};

struct vdcHealCount {
    std::size_t healed = 0;
    std::size_t left = 0;
};

// What vdc_heal did. Items come in the order of the findings before (file order, then rule, then place).
struct vdcHealResult {
    vdcRepairResult repair;   // the structural repair that ran first
    vdcQualityReport before;  // the quality of the repaired model
    vdcQualityReport after;   // and of the healed one
    std::vector<vdcHealedItem> healed;
    std::vector<vdcHealLeftItem> left;
    std::array<vdcHealCount, vdc_num_quality_rules> counts{};
    double tolerance = 0.0;             // mm, as asked
    double angle = 0.0;                 // degrees, as asked
    double largest_displacement = 0.0;  // mm, over every changed entity
    // Healings undone because they would have broken the promise (a point moved beyond the tolerance, a
    // value within its tolerance before outside it after): what was undone and why, one line each.
    std::vector<std::string> undone;

    const vdcHealCount& count(vdcQualityRule r) const noexcept { return counts[static_cast<std::size_t>(r)]; }
    // No finding of the profile left after healing.
    bool clean() const noexcept { return after.findings.empty(); }
};
