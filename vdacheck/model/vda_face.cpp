#include <vdacheck/model/vda_face.h>

#include <utility>

const TypeInfo vdaFace::id{"FACE", &vdaObject::id};

vdaFace::vdaFace(const utString& name, const utString& surface, std::vector<vdaBoundary> boundaries)
    : vdaObject(name), surface_(surface), boundaries_(std::move(boundaries))
{
    for (auto& boundary : boundaries_)
        boundary.set_owner(this);
}

void vdaFace::add_boundary(vdaBoundary boundary)
{
    boundaries_.push_back(std::move(boundary));
    boundaries_.back().set_owner(this);
    mark_changed();
}
