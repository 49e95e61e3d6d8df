#pragma once

#include <vector>

#include <vdacheck/model/vda_object.h>
#include <vdacheck/model/vda_surf_patch.h>
#include <vdacheck/util/ut_export.h>

// The SURF statement: a grid of num_patches_in_u() by num_patches_in_v() polynomial patches. Patch (i, j)
// has u index i and v index j; patches are stored with the u index running fastest, as VDA-FS lists them.
// A count of 0 or less in either direction leaves the surface without patches; the breakpoint list of the
// other direction is kept all the same.
class VDA_API vdaSurf : public vdaObject {
public:
    static const TypeInfo id;
    // `patches` must hold nu * nv patches when both are positive, none otherwise (std::invalid_argument).
    // The breakpoint lists are those of the patches: the u ranges of the first row, the v ranges of the first
    // column.
    vdaSurf(const utString& name, int nu, int nv, std::vector<vdaSurfPatch> patches);
    // A surface without patches (nu or nv is 0 or less) with the breakpoint lists as given: nu + 1 values for
    // a positive nu, none otherwise, and likewise in v (std::invalid_argument otherwise).
    vdaSurf(const utString& name, int nu, int nv, std::vector<double> u_parameters, std::vector<double> v_parameters);
    const TypeInfo& type() const noexcept override { return id; }

    // The global breakpoints in u and in v: num_patches_in_u() + 1 values for a positive count, none
    // otherwise (likewise in v).
    const std::vector<double>& u_parameters() const noexcept { return u_params_; }
    const std::vector<double>& v_parameters() const noexcept { return v_params_; }

    int num_patches_in_u() const noexcept { return nu_; }
    int num_patches_in_v() const noexcept { return nv_; }
    // 0 <= i < num_patches_in_u(), 0 <= j < num_patches_in_v().
    const vdaSurfPatch& patch(int i, int j) const noexcept
    {
        return patches_[static_cast<std::size_t>(j) * static_cast<std::size_t>(nu_) + static_cast<std::size_t>(i)];
    }
    // Every patch, u index fastest.
    const std::vector<vdaSurfPatch>& patches() const noexcept { return patches_; }
    // Replaces the patch grid, with the same rules as the constructor (std::invalid_argument, leaving the
    // surface as it was); the breakpoint lists become those of the new patches.
    void set_patches(int nu, int nv, std::vector<vdaSurfPatch> patches);

private:
    int nu_;
    int nv_;
    std::vector<vdaSurfPatch> patches_;
    std::vector<double> u_params_;
    std::vector<double> v_params_;
};
