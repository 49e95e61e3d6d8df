#pragma once

#include <vdacheck/quality/vdc_quality_profile.h>
#include <vdacheck/util/ut_cancel.h>

// What vdc_heal closes and how far it may move the geometry.
struct vdcHealOptions {
    // The largest gap closed and the largest distance any point of a curve or surface is moved (mm).
    double tolerance = 0.1;
    // The largest kink made tangent (degrees).
    double angle = 1.0;
    // The quality rules and tolerances that decide what is a finding, before and after.
    vdcQualityProfile profile;
    // Threads that measure (0: every hardware thread; 1: the calling thread only).
    int threads = 0;
    // Looked at by the structural repair and the first measurement (see vdc_repair, vdcQualityCheck): a heal
    // it stops throws utCancelled before anything is healed. Healing, the promise and the last measurement
    // run to their end.
    utCancel cancel;
};
