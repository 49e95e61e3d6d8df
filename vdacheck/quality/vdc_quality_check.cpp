#include <vdacheck/quality/vdc_quality_check.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/model/vda_top.h>
#include <vdacheck/quality/vdc_cons_quality.h>
#include <vdacheck/quality/vdc_curve_quality.h>
#include <vdacheck/quality/vdc_face_quality.h>
#include <vdacheck/quality/vdc_quality_collector.h>
#include <vdacheck/quality/vdc_surf_quality.h>
#include <vdacheck/quality/vdc_top_quality.h>
#include <vdacheck/util/ut_thread_team.h>

namespace {

// Entities are measured in fixed runs of slots: the runs, not the threads, decide what each collector
// sees, so the report does not depend on the number of threads. The fuzz build makes the runs short, so
// that small inputs are measured in several.
#ifndef VDC_QUALITY_SLOTS_PER_RUN
#  define VDC_QUALITY_SLOTS_PER_RUN 256
#endif
constexpr std::uint32_t slots_per_run = VDC_QUALITY_SLOTS_PER_RUN;

void measure_entity(const vdaObject& entity, vdcQualityCollector& out)
{
    if (entity.is_type(vdaSurf::id))
        vdcSurfQuality(out).measure(static_cast<const vdaSurf&>(entity));
    else if (entity.is_type(vdaCurve::id))
        vdcCurveQuality(out).measure(static_cast<const vdaCurve&>(entity));
    else if (entity.is_type(vdaCons::id))
        vdcConsQuality(out).measure(static_cast<const vdaCons&>(entity));
    else if (entity.is_type(vdaFace::id))
        vdcFaceQuality(out).measure(static_cast<const vdaFace&>(entity));
    else if (entity.is_type(vdaTop::id))
        vdcTopQuality(out).measure(static_cast<const vdaTop&>(entity));
}

void measure_run(const vdaFile& file, std::uint32_t first, vdcQualityCollector& out, const utCancel& cancel)
{
    const std::uint32_t last = std::min(file.num_slots(), first + slots_per_run);
    for (std::uint32_t slot = first; slot < last; ++slot)
        if (const vdaObject* entity = file.slot(slot)) {
            cancel.check();
            out.begin_entity(*entity);
            measure_entity(*entity, out);
            out.end_entity();
        }
}

}  // namespace

vdcQualityReport vdcQualityCheck::run(const vdaFile& file) const
{
    const std::size_t runs = (std::size_t(file.num_slots()) + slots_per_run - 1) / slots_per_run;
    std::vector<std::optional<vdcQualityCollector>> collected(runs);
    utThreadTeam::for_each(runs, utThreadTeam::resolve(threads_), [&](std::size_t r) {
        measure_run(file, static_cast<std::uint32_t>(r * slots_per_run), collected[r].emplace(profile_), cancel_);
    });

    vdcQualityReport report;
    for (std::optional<vdcQualityCollector>& c : collected)
        std::move(*c).merge_into(report);
    return report;
}
