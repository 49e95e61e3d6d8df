#pragma once

#include <vector>

#include <vdacheck/model/vda_boundary.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/model/vda_object_ptr.h>
#include <vdacheck/util/ut_export.h>

// The FACE statement: a surface trimmed by closed boundary loops of curves on that surface.
class VDA_API vdaFace : public vdaObject {
public:
    static const TypeInfo id;
    vdaFace(const utString& name, const utString& surface, std::vector<vdaBoundary> boundaries = {});
    const TypeInfo& type() const noexcept override { return id; }

    vdaObjectPtr basis_surface() const noexcept { return resolve(surface_); }
    const utString& basis_surface_name() const noexcept { return surface_; }
    void set_basis_surface(const utString& surface) noexcept
    {
        surface_ = surface;
        mark_changed();
    }

    int num_boundaries() const noexcept { return static_cast<int>(boundaries_.size()); }
    const vdaBoundary& boundary(int b) const noexcept { return boundaries_[static_cast<std::size_t>(b)]; }
    vdaBoundary& boundary(int b) noexcept { return boundaries_[static_cast<std::size_t>(b)]; }
    void add_boundary(vdaBoundary boundary);

private:
    utString surface_;
    std::vector<vdaBoundary> boundaries_;
};
