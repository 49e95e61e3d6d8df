#pragma once

#include <vdacheck/run/vdc_run_export.h>
#include <vdacheck/run/vdc_run_result.h>

class utJsonWriter;

// The JSON report of a run, written once for every front end: the tool's --format json writes write(),
// and the Python module's to_dict() gives the parts. Doubles read back to the same bits; non-finite ones
// are the strings "NaN", "Infinity" and "-Infinity".
class VDC_RUN_API vdcJsonReport {
public:
    // {"file", "entities", "clean", ("error" when the output could not be written; "clean" is then false),
    // ("rounds" for repair and heal), "warnings", "errors", ("fixed" and "deleted" for fix, repair and heal;
    // "renamed" for repair and heal), ("tolerance", "angle", "largest_displacement", "quality_before",
    // "healed", "left", "heal_rules" and "undone" for heal), ("quality", "quality_rules" and
    // "quality_skipped" when measured; for heal, after healing)}
    static void write(utJsonWriter& json, const vdcRunResult& result);

    // {"rule", "line", "column", "message", "severity"}
    static void warning(utJsonWriter& json, const vdcProblem& warning);
    // {"entity", "type", "line", "rule" (null for a packet no check logs), "message", "ints", "doubles",
    //  "repair" (or null), "round" (repair), "severity"}, and "value", "tolerance", "unit" and "point" for a
    //  problem that is measured
    static void packet(utJsonWriter& json, const vdcProblem& packet);
    // {"rule", "entity", "type", "line", "value", "tolerance", "unit", "where", "severity"}
    static void finding(utJsonWriter& json, const vdcProblem& finding);
    // A finding healing closed: the members of finding() (its value before), then "value_after",
    // "displacement" (mm), "changed" (entity names) and "how".
    static void healed(utJsonWriter& json, const vdcHealedProblem& healed);
    // A finding healing left: the members of finding(), then "reason".
    static void left(utJsonWriter& json, const vdcLeftProblem& left);
    // {"rule", "healed", "left"}
    static void heal_count(utJsonWriter& json, const vdcHealRuleCount& count);
    // Where a finding was measured: {"indices": {...}, "parameters": {...}, "point": [x, y, z] or null}, the
    // indices and parameters under the names its rule gives them.
    static void where(utJsonWriter& json, const vdcProblem& finding);
    // {"rule", "enabled", "tolerance", "unit", "items", "findings", "worst" (a finding, or null), "severity"}
    static void rule_summary(utJsonWriter& json, const vdcRuleSummary& summary);
    // {"entity", "type", "line", "reason"}
    static void skip(utJsonWriter& json, const vdcQualitySkip& skip);

private:
    static void finding_members(utJsonWriter& json, const vdcProblem& finding);
};
