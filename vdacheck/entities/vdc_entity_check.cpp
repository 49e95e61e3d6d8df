#include <vdacheck/entities/vdc_entity_check.h>

#include <vdacheck/check/vdc_file_check.h>
#include <vdacheck/check/vdc_log.h>
#include <vdacheck/model/vda_circle.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_group.h>
#include <vdacheck/model/vda_mdi.h>
#include <vdacheck/model/vda_object_ptr.h>
#include <vdacheck/model/vda_point.h>
#include <vdacheck/model/vda_pset.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/model/vda_top.h>

void vdcEntityCheck::check(vdcLog&, vdcFileCheck&) const {}

vdcEntityCheck::~vdcEntityCheck() = default;

void vdcEntityCheck::log_problem(vdcLog& log, const vdaObject& entity, const utString& message,
                                 std::initializer_list<int> ints, std::initializer_list<double> doubles,
                                 vdcErrorFunction repair)
{
    vdcErrorPacket packet;
    packet.set_error_message(message);
    for (int value : ints)
        packet.add_int(value);
    for (double value : doubles)
        packet.add_dbl(value);
    packet.set_error_function(repair);
    log.save(entity.name(), std::move(packet));
}

int vdcEntityCheck::refers_to_faulty(const vdaObjectPtr& reference, vdcLog& log, vdcFileCheck& checker)
{
    checker.check(reference);
    return log.num_logged(reference->name()) != 0 ? 1 : 0;
}

int vdcEntityCheck::is_element_type(const vdaObject& entity)
{
    static const TypeInfo* const allowed[] = {&vdaPoint::id, &vdaPset::id,  &vdaMDI::id,  &vdaCircle::id,
                                              &vdaCurve::id, &vdaSurf::id,  &vdaCons::id, &vdaFace::id,
                                              &vdaTop::id,   &vdaGroup::id};
    for (const TypeInfo* type : allowed)
        if (entity.is_type(*type))
            return 1;
    return 0;
}

int vdcEntityCheck::trim_outside(double start, double end, double trim_start, double trim_end) noexcept
{
    return (trim_start > end || trim_start < start || trim_end > end || trim_end < start || trim_start == trim_end)
               ? 1
               : 0;
}
