#include <vdacheck/model/vda_boundary.h>

#include <vdacheck/model/vda_object.h>

void vdaBoundary::add_curve_segment(const vdaTrimmedCurve& segment)
{
    segments_.push_back(segment);
    segments_.back().set_owner(owner_);
    if (owner_)
        owner_->mark_changed();
}

void vdaBoundary::set_owner(vdaObject* owner) noexcept
{
    owner_ = owner;
    for (auto& segment : segments_)
        segment.set_owner(owner);
}
