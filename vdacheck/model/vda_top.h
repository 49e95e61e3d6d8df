#pragma once

#include <vector>

#include <vdacheck/model/vda_object.h>
#include <vdacheck/model/vda_surface_pair.h>
#include <vdacheck/util/ut_export.h>

// The TOP statement: pairs of adjacent faces or surfaces, each side with the trimming curves along
// which the two meet, and the continuity class of each junction.
class VDA_API vdaTop : public vdaObject {
public:
    static const TypeInfo id;
    explicit vdaTop(const utString& name, std::vector<vdaSurfacePair> pairs = {});
    const TypeInfo& type() const noexcept override { return id; }

    int num_surface_pairs() const noexcept { return static_cast<int>(pairs_.size()); }
    const vdaSurfacePair& surface_pair(int i) const noexcept { return pairs_[static_cast<std::size_t>(i)]; }
    vdaSurfacePair& surface_pair(int i) noexcept { return pairs_[static_cast<std::size_t>(i)]; }
    void add_surface_pair(vdaSurfacePair pair);

private:
    std::vector<vdaSurfacePair> pairs_;
};
