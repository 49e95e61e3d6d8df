#pragma once

#include <initializer_list>

#include <vdacheck/check/vdc_error_packet.h>
#include <vdacheck/check/vdc_export.h>
#include <vdacheck/util/ut_string.h>

class TypeInfo;
class vdaObject;
class vdaObjectPtr;
class vdcFileCheck;
class vdcLog;

// The parameter range of a curve or cons: from the start of its first segment to the end of its last.
// Returns false, leaving `start` and `end` as they were, when it has no segments.
template <class Segmented>
bool vdc_parameter_range(const Segmented& curve, double& start, double& end) noexcept
{
    const int n = curve.num_segments();
    if (n <= 0)
        return false;
    start = curve.segment(0).start_parameter();
    end = curve.segment(n - 1).end_parameter();
    return true;
}

// The base of the check classes, one per entity type. A check class holds a reference to its entity,
// and its check() runs the class's sub-checks (const members named check_<what>) in a fixed order, each
// whatever the others found. A sub-check logs one packet per failing item, under the checked entity's
// name, and never changes the entity.
//
// The protected statics are the shapes every sub-check shares: logging a packet, the validity test of
// a reference, the element types a list may hold, and the trimming-range test.
class VDC_API vdcEntityCheck {
public:
    vdcEntityCheck() = default;
    virtual void check(vdcLog& log, vdcFileCheck& checker) const;
    virtual ~vdcEntityCheck();

protected:
    // Builds a packet with `message`, then `ints` and `doubles` in the given order and the repair
    // function `repair` (may be null), and saves it under the name of `entity`.
    static void log_problem(vdcLog& log, const vdaObject& entity, const utString& message,
                            std::initializer_list<int> ints = {}, std::initializer_list<double> doubles = {},
                            vdcErrorFunction repair = nullptr);
    // The validity test of a non-null reference: the checker checks the referenced entity first (unless
    // it has been checked since the last reset), then 1 when the log holds any packet under its name.
    static int refers_to_faulty(const vdaObjectPtr& reference, vdcLog& log, vdcFileCheck& checker);
    // 1 when `entity` is of one of the ten types a group or transformation list may hold, tested in
    // order: point, point set, MDI, circle, curve, surface, cons, face, top, group.
    static int is_element_type(const vdaObject& entity);
    // 1 when the trimming range [trim_start, trim_end] does not lie within [start, end] (bounds
    // included, exact comparisons) or is empty. A trim running backwards is fine.
    static int trim_outside(double start, double end, double trim_start, double trim_end) noexcept;
};
