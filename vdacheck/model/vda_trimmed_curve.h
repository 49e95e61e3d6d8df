#pragma once

#include <vdacheck/model/vda_object_ptr.h>
#include <vdacheck/util/ut_export.h>
#include <vdacheck/util/ut_string.h>

// A piece of a curve on a surface used as a trimming curve by a face boundary or a topology side: the
// name of its cons and the piece's parameter range in the cons's own parameter. start > end is legal
// (the piece runs against the cons).
class VDA_API vdaTrimmedCurve {
public:
    vdaTrimmedCurve(const utString& cons, double start, double end) : cons_(cons), start_(start), end_(end) {}

    vdaObjectPtr basis_curve() const noexcept { return vda_resolve(owner_, cons_); }
    const utString& basis_curve_name() const noexcept { return cons_; }
    double start_parameter() const noexcept { return start_; }
    double end_parameter() const noexcept { return end_; }
    // Changes the piece's range and marks the owning entity changed.
    void set_parameters(double start, double end) noexcept;

    // The entity (face or top) the piece belongs to: names resolve in its file and setters mark it
    // changed. Set by the owning entity when the piece is added to it.
    vdaObject* owner() const noexcept { return owner_; }
    void set_owner(vdaObject* owner) noexcept { owner_ = owner; }

private:
    utString cons_;
    double start_;
    double end_;
    vdaObject* owner_ = nullptr;
};
