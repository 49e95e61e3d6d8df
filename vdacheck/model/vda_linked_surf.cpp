#include <vdacheck/model/vda_linked_surf.h>

void vdaLinkedSurf::set_owner(vdaObject* owner) noexcept
{
    owner_ = owner;
    for (auto& curve : curves_)
        curve.set_owner(owner);
}
