#pragma once

#include <utility>

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/quality/vdc_quality_profile.h>
#include <vdacheck/quality/vdc_quality_report.h>
#include <vdacheck/util/ut_cancel.h>

class vdaFile;

// Runs the geometric quality rules of a profile over a whole model:
//     vdcQualityProfile profile;                               // every rule, default tolerances
//     profile.set_tolerance(vdcQualityRule::surf_patch_gap, 0.01);
//     const vdcQualityReport report = vdcQualityCheck(profile).run(file);
// The model is only read: the run changes no entity, writes no error log and leaves the checker's
// fix and clean as they are. What cannot be evaluated (the entities the structural checks reject, and
// what refers to them) is skipped and listed with the reason. Entities are measured independently, on
// `threads` threads (0: every hardware thread; 1: the calling thread only); the report is the same
// whatever the number of threads. Each thread looks at `cancel` before each entity: once it asks to stop,
// the threads take no more work and run() throws utCancelled.
class VDC_API vdcQualityCheck {
public:
    explicit vdcQualityCheck(const vdcQualityProfile& profile = {}, int threads = 0, utCancel cancel = {}) noexcept
        : profile_(profile), threads_(threads), cancel_(std::move(cancel))
    {
    }

    const vdcQualityProfile& profile() const noexcept { return profile_; }
    int threads() const noexcept { return threads_; }
    void set_threads(int threads) noexcept { threads_ = threads; }

    vdcQualityReport run(const vdaFile& file) const;

private:
    vdcQualityProfile profile_;
    int threads_;
    utCancel cancel_;
};
