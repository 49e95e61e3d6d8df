#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <vdacheck/quality/vdc_quality_report.h>
#include <vdacheck/repair/vdc_rename.h>
#include <vdacheck/rules/vdc_problem.h>
#include <vdacheck/run/vdc_run_export.h>
#include <vdacheck/run/vdc_run_options.h>

// What one round of repair did, in numbers.
struct vdcRunRound {
    int found = 0;     // packets of the round's first check
    int repaired = 0;  // packets the round's fix repaired
    int deleted = 0;   // entities deleted at its end
    bool clean = false;
};

// What one quality rule measured over the model, and the worst value with its place.
struct vdcRuleSummary {
    const vdcRule* rule = nullptr;
    bool enabled = false;
    vdcSeverity severity = vdcSeverity::warning;
    double tolerance = 0.0;
    std::size_t items = 0;            // values measured
    std::size_t findings = 0;         // of which failed the tolerance
    std::optional<vdcProblem> worst;  // even when within tolerance; empty when nothing was measured
};

// A quality finding healing closed: as measured before (its value, tolerance and place), the same measure
// at the same place after, and how far the geometry moved.
struct vdcHealedProblem {
    vdcProblem finding;
    double value_after = 0.0;   // in the rule's unit
    double displacement = 0.0;  // mm: the farthest any point of a changed curve or surface moved
    // The entities changed, the finding's own first where it changed, each with the line its statement
    // starts on in the model saved (0 when the model was not saved to a file or stream).
    std::vector<std::pair<std::string, int>> changed;
    std::string how;  // what was done, in a few words
};

// A quality finding healing left as it was, and why.
struct vdcLeftProblem {
    vdcProblem finding;
    std::string reason;
};

// Per quality rule, the findings healing closed and those it left.
struct vdcHealRuleCount {
    const vdcRule* rule = nullptr;
    std::size_t healed = 0;
    std::size_t left = 0;
};

// The outcome of one command on one model, the same for every command: the problems it reports, each in
// one shape whatever found it, and what it did. Front ends render it; nothing in it depends on how it is
// shown.
struct VDC_RUN_API vdcRunResult {
    vdcCommand command = vdcCommand::check;
    std::string file;       // the model's name in the reports
    int entities_read = 0;  // entities in the model as read
    int entities = 0;       // entities in the model after the command
    // Nothing that fails (vdcProblem::fails) is left: for check and report no problem and no finding, for
    // fix what fix leaves in the error log (also with clean), for repair a model that checks clean, for heal
    // that and no quality finding left after healing; and no reader warning raised to an error.
    bool clean = false;

    std::vector<vdcProblem> warnings;  // the reader's, in file order
    // check and report: the checker's packets, entity by entity in file order; fix: those it leaves (with
    // clean: those of the entities deleted); repair and heal: round by round, the packets that made entities go.
    std::vector<vdcProblem> errors;
    std::vector<vdcProblem> repaired;  // fix, repair, heal: the packets repaired (repair: round by round)
    std::vector<std::string> deleted;  // fix with clean, repair, heal: the entities deleted, in file order
    std::vector<vdcRunRound> rounds;   // repair and heal: one per round
    std::vector<vdcRename> renamed;    // repair and heal: entities given a name of their own, before its rounds
    bool cleaned = false;              // fix: clean deleted what was left

    bool quality_run = false;                   // check and report with quality, heal: the three below hold it
    std::vector<vdcProblem> findings;           // in file order, then by rule, then by place
    std::vector<vdcRuleSummary> quality_rules;  // one per quality rule, in the registry's order
    std::vector<vdcQualitySkip> skipped;        // what could not be measured, and why

    // heal: the limits it ran with, the findings of the repaired model before healing (`findings` holds
    // those after, `quality_rules` and `skipped` that measurement), what it closed and what it left, in the
    // order of the findings before, the counts of the rules that had findings, and the healings undone
    // because they would have moved a point too far or put another value beyond its tolerance. The
    // structural repair it ran first fills the fields of repair.
    double heal_tolerance = 0.0;
    double heal_angle = 0.0;
    double largest_displacement = 0.0;  // mm, over every changed entity
    std::vector<vdcProblem> findings_before;
    std::vector<vdcHealedProblem> healed;
    std::vector<vdcLeftProblem> left;
    std::vector<vdcHealRuleCount> heal_counts;  // in the registry's order
    std::vector<std::string> undone;

    std::size_t triangles = 0;  // report: triangles the page draws
    std::string saved_to;       // what `output` named, once written
    std::string output_error;   // why `output` could not be written; then nothing was

    // Number of distinct entities that consecutive problems stand under.
    static int count_entities(const std::vector<vdcProblem>& problems);
    // The problems reported per rule id (packets, repaired ones, findings and healed ones), ordered by id;
    // packets without a rule are not counted.
    std::vector<std::pair<std::string_view, int>> problems_per_rule() const;
    // Sets the column of each packet and finding (healed and left ones included): that of the first character of its
    // entity's statement in `text`, the source the model was read from. One pass over the text.
    void locate_columns(std::string_view text);
};
