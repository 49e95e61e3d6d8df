#pragma once

#include <vector>

#include <vdacheck/model/vda_object_ptr.h>
#include <vdacheck/model/vda_trimmed_curve.h>
#include <vdacheck/util/ut_export.h>

// One side of a topology pair: a face or surface and the trimming curves along which it meets the
// other side.
class VDA_API vdaLinkedSurf {
public:
    vdaLinkedSurf(const utString& entity, std::vector<vdaTrimmedCurve> curves)
        : entity_(entity), curves_(std::move(curves))
    {
    }

    vdaObjectPtr basis_entity() const noexcept { return vda_resolve(owner_, entity_); }
    const utString& basis_entity_name() const noexcept { return entity_; }
    int num_trimmed_curves() const noexcept { return static_cast<int>(curves_.size()); }
    const vdaTrimmedCurve& trimmed_curve(int j) const noexcept { return curves_[static_cast<std::size_t>(j)]; }
    vdaTrimmedCurve& trimmed_curve(int j) noexcept { return curves_[static_cast<std::size_t>(j)]; }

    // The owning top; see vdaTrimmedCurve::owner.
    vdaObject* owner() const noexcept { return owner_; }
    void set_owner(vdaObject* owner) noexcept;

private:
    utString entity_;
    std::vector<vdaTrimmedCurve> curves_;
    vdaObject* owner_ = nullptr;
};
