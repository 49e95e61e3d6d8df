#pragma once

#include <vector>

#include <vdacheck/model/vda_export.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/model/vda_surf_patch.h>

// The SURF statement: a grid of num_patches_in_u() by num_patches_in_v() polynomial patches. Patch (i, j)
// has u index i and v index j; patches are stored with the u index running fastest, as VDA-FS lists
// them. A count of 0 or less in either direction leaves the surface without patches.
class VDA_API vdaSurf : public vdaObject {
public:
    static const TypeInfo id;
    // `patches` must hold nu * nv patches when both are positive, none otherwise (std::invalid_argument).
    vdaSurf(const utString& name, int nu, int nv, std::vector<vdaSurfPatch> patches);
    const TypeInfo& type() const noexcept override { return id; }

    int num_patches_in_u() const noexcept { return nu_; }
    int num_patches_in_v() const noexcept { return nv_; }
    // 0 <= i < num_patches_in_u(), 0 <= j < num_patches_in_v().
    const vdaSurfPatch& patch(int i, int j) const noexcept
    {
        return patches_[static_cast<std::size_t>(j) * static_cast<std::size_t>(nu_) + static_cast<std::size_t>(i)];
    }

private:
    int nu_;
    int nv_;
    std::vector<vdaSurfPatch> patches_;
};
