#include <vdacheck/model/vda_top.h>

#include <utility>

const TypeInfo vdaTop::id{"TOP", &vdaObject::id};

vdaTop::vdaTop(const utString& name, std::vector<vdaSurfacePair> pairs) : vdaObject(name), pairs_(std::move(pairs))
{
    for (auto& pair : pairs_)
        pair.set_owner(this);
}

void vdaTop::add_surface_pair(vdaSurfacePair pair)
{
    pairs_.push_back(std::move(pair));
    pairs_.back().set_owner(this);
    mark_changed();
}
