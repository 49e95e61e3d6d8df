#include <vdacheck/entities/vdc_entity_check.h>

#include <vdacheck/check/vdc_file_check.h>
#include <vdacheck/check/vdc_log.h>
#include <vdacheck/model/vda_trimmed_curve.h>
#include <vdacheck/model/vda_types.h>

void vdcEntityCheck::check(vdcLog&, vdcFileCheck&) const {}

vdcEntityCheck::~vdcEntityCheck() = default;

void vdcEntityCheck::log_problem(vdcLog& log, const vdaObject& entity, const vdcRule& rule,
                                 std::initializer_list<int> ints, std::initializer_list<double> doubles)
{
    vdcErrorPacket packet;
    packet.set_error_message(ut_lit(rule.message));
    for (int value : ints)
        packet.add_int(value);
    for (double value : doubles)
        packet.add_dbl(value);
    packet.set_error_function(rule.repair);
    log.save(entity.name(), std::move(packet));
}

int vdcEntityCheck::refers_to_other_type(const vdaObjectPtr& reference, const TypeInfo& type) noexcept
{
    return (reference && !reference->is_type(type)) ? 1 : 0;
}

int vdcEntityCheck::refers_to_faulty(const vdaObjectPtr& reference, vdcLog& log, vdcFileCheck& checker)
{
    checker.check(reference);
    return log.num_logged(reference->name()) != 0 ? 1 : 0;
}

int vdcEntityCheck::refers_to_faulty(const vdaObjectPtr& reference, const TypeInfo& type, vdcLog& log,
                                     vdcFileCheck& checker)
{
    return (reference && reference->is_type(type) && refers_to_faulty(reference, log, checker)) ? 1 : 0;
}

int vdcEntityCheck::is_element_type(const vdaObject& entity)
{
    // The types a group or transformation list may hold, in the order they are tested.
    using Allowed =
        vdaTypeList<vdaPoint, vdaPset, vdaMDI, vdaCircle, vdaCurve, vdaSurf, vdaCons, vdaFace, vdaTop, vdaGroup>;
    return vda_is_one_of<Allowed>(entity) ? 1 : 0;
}

int vdcEntityCheck::trim_outside(double start, double end, double trim_start, double trim_end) noexcept
{
    return (trim_start > end || trim_start < start || trim_end > end || trim_end < start || trim_start == trim_end) ? 1
                                                                                                                    : 0;
}

int vdcEntityCheck::trim_outside_cons(const vdaTrimmedCurve& curve, TrimValues& values)
{
    const vdaCons* cons = referenced<vdaCons>(curve.basis_curve());
    // Without segments a cons has no range to compare with; its own check reports it.
    if (!cons || !vda_parameter_range(*cons, values.start, values.end))
        return 0;
    values.trim_start = curve.start_parameter();
    values.trim_end = curve.end_parameter();
    return trim_outside(values.start, values.end, values.trim_start, values.trim_end);
}

void vdcEntityCheck::log_null_elements(vdcLog& log, const vdaElementList& list, const vdcRule& rule)
{
    const int n = list.num_elements();
    for (int i = 0; i < n; ++i)
        if (!list.element(i))
            log_problem(log, list, rule, {i});
}

void vdcEntityCheck::log_elements_of_wrong_type(vdcLog& log, const vdaElementList& list, const vdcRule& rule)
{
    const int n = list.num_elements();
    for (int i = 0; i < n; ++i) {
        const vdaObjectPtr element = list.element(i);
        if (element && !is_element_type(*element()))
            log_problem(log, list, rule, {i});
    }
}

void vdcEntityCheck::log_faulty_elements(vdcLog& log, vdcFileCheck& checker, const vdaElementList& list,
                                         const vdcRule& rule)
{
    const int n = list.num_elements();
    for (int i = 0; i < n; ++i) {
        const vdaObjectPtr element = list.element(i);
        if (element && refers_to_faulty(element, log, checker))
            log_problem(log, list, rule, {i});
    }
}
