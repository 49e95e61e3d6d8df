#pragma once

#include <initializer_list>

#include <vdacheck/check/vdc_error_packet.h>
#include <vdacheck/check/vdc_export.h>
#include <vdacheck/geometry/gi_point2.h>
#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/model/vda_object_ptr.h>
#include <vdacheck/rules/vdc_rule.h>
#include <vdacheck/util/ut_math.h>
#include <vdacheck/util/ut_string.h>

class TypeInfo;
class vdaElementList;
class vdaTrimmedCurve;
class vdcFileCheck;
class vdcLog;

// The base of the check classes, one per entity type. A check class holds a reference to its entity,
// and its check() runs the class's sub-checks (const members named check_<what>) in a fixed order, each
// whatever the others found. A sub-check logs one packet per failing item, under the checked entity's
// name, and never changes the entity.
//
// The protected statics are the shapes several check classes share: logging a packet, the tests of a
// reference (wrong type; referring to an entity that has packets once checked), the segment rules of
// curves and cons, the element rules of groups, sets and transformation lists, and the trimming-range
// test of faces, tops and cons.
class VDC_API vdcEntityCheck {
public:
    vdcEntityCheck() = default;
    virtual void check(vdcLog& log, vdcFileCheck& checker) const;
    virtual ~vdcEntityCheck();

protected:
    // The one tolerance of the checks: unit length, orthogonality and scale of a transformation.
    static constexpr double tolerance = 1e-5;

    // The four values a trimming-parameter packet reports: the range of the trimmed curve, then the trim.
    struct TrimValues {
        double start = 0.0;
        double end = 0.0;
        double trim_start = 0.0;
        double trim_end = 0.0;
    };

    // Builds a packet of `rule` (its message and repair function) with `ints` and `doubles` in the given
    // order, and saves it under the name of `entity`.
    static void log_problem(vdcLog& log, const vdaObject& entity, const vdcRule& rule,
                            std::initializer_list<int> ints = {}, std::initializer_list<double> doubles = {});

    // 1 when the reference is not null and its entity is of another type than `type`.
    static int refers_to_other_type(const vdaObjectPtr& reference, const TypeInfo& type) noexcept;
    // The validity test of a non-null reference: the checker checks the referenced entity first (unless
    // it has been checked since the last reset), then 1 when the log holds any packet under its name.
    static int refers_to_faulty(const vdaObjectPtr& reference, vdcLog& log, vdcFileCheck& checker);
    // The validity test for a reference that must be of `type`: null references and references of
    // another type are left to their own sub-checks (0) and are not followed.
    static int refers_to_faulty(const vdaObjectPtr& reference, const TypeInfo& type, vdcLog& log,
                                vdcFileCheck& checker);

    // The referenced entity as a T when the reference is not null, of type T and downcasts; null
    // otherwise, and the item is skipped.
    template <class T>
    static const T* referenced(const vdaObjectPtr& reference) noexcept
    {
        return (reference && reference->is_type(T::id)) ? vda_cast<T>(reference()) : nullptr;
    }

    // 1 when `entity` is of one of the ten types a group or transformation list may hold, tested in
    // order: point, point set, MDI, circle, curve, surface, cons, face, top, group.
    static int is_element_type(const vdaObject& entity);

    // 1 when the trimming range [trim_start, trim_end] does not lie within [start, end] (bounds
    // included, exact comparisons) or is empty. A trim running backwards is fine.
    static int trim_outside(double start, double end, double trim_start, double trim_end) noexcept;
    // The trimming test of a face boundary piece or a topology trimming curve against the range of its
    // cons's segments. 1, with the four values compared in `values`, when the curve refers to a cons that
    // has segments and its trim lies outside that range; 0 otherwise (no cons: nothing to compare).
    static int trim_outside_cons(const vdaTrimmedCurve& curve, TrimValues& values);

    // The coefficient test: a coordinate equal to minus the maximum double marks an invalid coefficient.
    static int invalid_coefficient(const giPoint3& c) noexcept
    {
        const double invalid = -utMath::max_double();
        return (c.x() == invalid || c.y() == invalid || c.z() == invalid) ? 1 : 0;
    }
    static int invalid_coefficient(const giPoint2& c) noexcept
    {
        const double invalid = -utMath::max_double();
        return (c.x() == invalid || c.y() == invalid) ? 1 : 0;
    }
    // Orders 2 to 25 are valid for segments and patches.
    static int invalid_order(int order) noexcept { return (order < 2 || order > 25) ? 1 : 0; }

    // Segment rules shared by curves and cons (`curve` is a vdaCurve or vdaCons). Each logs `rule` once per
    // failing segment, in index order, without doubles.
    // Segment i whose start parameter is not below its end parameter: ints i.
    template <class Segmented>
    static void log_non_increasing_segments(vdcLog& log, const Segmented& curve, const vdcRule& rule)
    {
        const int n = curve.num_segments();
        for (int i = 0; i < n; ++i)
            if (curve.segment(i).start_parameter() >= curve.segment(i).end_parameter())
                log_problem(log, curve, rule, {i});
    }
    // Segment i, from 1, whose start parameter is not exactly the end parameter of segment i - 1: ints i.
    template <class Segmented>
    static void log_unjoined_segments(vdcLog& log, const Segmented& curve, const vdcRule& rule)
    {
        const int n = curve.num_segments();
        for (int i = 1; i < n; ++i)
            if (curve.segment(i).start_parameter() != curve.segment(i - 1).end_parameter())
                log_problem(log, curve, rule, {i});
    }
    // Segment i whose order lies outside 2 to 25: ints i.
    template <class Segmented>
    static void log_segments_of_invalid_order(vdcLog& log, const Segmented& curve, const vdcRule& rule)
    {
        const int n = curve.num_segments();
        for (int i = 0; i < n; ++i)
            if (invalid_order(curve.segment(i).order()))
                log_problem(log, curve, rule, {i});
    }
    // Coefficient k of segment i failing the coefficient test: ints i, k. The segment's own order bounds
    // the loop, whatever it is: an order above 25 still has its coefficients examined.
    template <class Segmented>
    static void log_invalid_segment_coeffs(vdcLog& log, const Segmented& curve, const vdcRule& rule)
    {
        const int n = curve.num_segments();
        for (int i = 0; i < n; ++i) {
            const auto& segment = curve.segment(i);
            const int order = segment.order();
            for (int k = 0; k < order; ++k)
                if (invalid_coefficient(segment.coeffs(k)))
                    log_problem(log, curve, rule, {i, k});
        }
    }

    // Element rules shared by groups, sets and transformation lists. Each logs `rule` with the int i, once
    // per failing element, in index order.
    // Element i is null.
    static void log_null_elements(vdcLog& log, const vdaElementList& list, const vdcRule& rule);
    // Element i is not null and of none of the ten element types (is_element_type).
    static void log_elements_of_wrong_type(vdcLog& log, const vdaElementList& list, const vdcRule& rule);
    // Element i is not null and, whatever its type, refers to an entity with packets (refers_to_faulty).
    static void log_faulty_elements(vdcLog& log, vdcFileCheck& checker, const vdaElementList& list,
                                    const vdcRule& rule);
};
