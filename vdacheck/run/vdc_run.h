#pragma once

#include <utility>

#include <vdacheck/report/vdc_report.h>
#include <vdacheck/run/vdc_run_export.h>
#include <vdacheck/run/vdc_run_options.h>
#include <vdacheck/run/vdc_run_result.h>

class vdaFile;

// The commands a user runs on a model, as the tool runs them: each takes the model and the one options
// value, and gives one result.
//     vdcRunOptions options;
//     options.profile = vdcProfile::load("profile.json");    // throws vdcProfileError
//     options.quality = true;
//     const vdcRunResult result = vdcRun(options).check(*file);
//     for (const vdcProblem& p : result.errors) ...           // and result.findings, result.warnings
//     return result.clean ? 0 : 1;
//
// Each call makes the model the calling thread's current file for its length (repairs and clean find
// entities by name in it) and the previous one current again afterwards; it runs on the calling thread
// (the quality run and the drawing on `threads` threads), so a host may run calls on different models
// from threads of its own. The profile shapes what is reported, never what the checker repairs or deletes.
// A file named by `output` that cannot be written leaves result.output_error set; nothing else throws
// but std::bad_alloc and utCancelled.
//
// The options' `cancel` stops a call part way: the checks, the quality run and the drawing look at it
// between entities, and a call it stops throws utCancelled and writes nothing. check and report leave the
// model as it was. fix and repair stop only inside a check: fix before it has repaired anything, repair
// with the rounds before the check it stopped in done (the model renamed, repaired and cleaned that far,
// valid and ready to be saved or repaired again). heal stops only in its repair, as repair does, or in its
// first measurement, before it has healed anything.
class VDC_RUN_API vdcRun {
public:
    explicit vdcRun(vdcRunOptions options = {}) : options_(std::move(options)) {}

    const vdcRunOptions& options() const noexcept { return options_; }

    // Runs `command`; convert is the exchange library's (vdc_run_convert): here it only sets output_error.
    vdcRunResult run(vdcCommand command, vdaFile& file) const;
    // Checks the model and, with `quality`, measures its geometric quality; the model is not changed.
    vdcRunResult check(vdaFile& file) const;
    // Checks the model and repairs what the repair functions can, referenced entities first; with `clean`
    // then deletes every entity still faulty. Saves the model to `output`, when given.
    vdcRunResult fix(vdaFile& file) const;
    // Rounds of check, fix, check again and delete, each with a fresh checker, until a check finds
    // nothing; every round that does not end clean deletes at least one entity. Saves the model to
    // `output`, when given.
    vdcRunResult repair(vdaFile& file) const;
    // What check gives, and the report page written to `output`: the model drawn within the options'
    // triangle budget beside the problem table. The model is not changed.
    vdcRunResult report(vdaFile& file) const;
    // Repairs the model's structure (as repair does), measures its quality with the profile, closes every
    // finding within the options' healing tolerance or angle without moving any point further than the
    // tolerance, and measures again (vdc_heal). Saves the model to `output`, when given, noting the line of
    // each changed entity's statement there.
    vdcRunResult heal(vdaFile& file) const;
    // What the page of report() shows beside the drawing, for the result of check of `file`: the header,
    // the table (the packets, then the quality findings) and the entities whose problems make them faulty
    // (drawn red) or only refer to faulty ones (a rule marked `reference`; drawn orange).
    vdcReport page(const vdaFile& file, const vdcRunResult& result) const;
    // The result of `command` on `file` as it starts: the model's name, its size as read and its reader
    // warnings as the profile reports them. For commands of other libraries (conversion) that fill the rest.
    vdcRunResult start(vdcCommand command, const vdaFile& file) const;

private:
    vdcRunOptions options_;
};
