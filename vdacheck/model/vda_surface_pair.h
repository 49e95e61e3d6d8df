#pragma once

#include <vdacheck/model/vda_linked_surf.h>
#include <vdacheck/util/ut_export.h>

// Two adjacent faces or surfaces of a topology entity and the continuity class of their junction
// (0, 1 or 2 in a valid model; any value is kept).
class VDA_API vdaSurfacePair {
public:
    vdaSurfacePair(vdaLinkedSurf first, vdaLinkedSurf second, int continuity)
        : first_(std::move(first)), second_(std::move(second)), continuity_(continuity)
    {
    }

    int continuity() const noexcept { return continuity_; }
    const vdaLinkedSurf& first_linked_surface() const noexcept { return first_; }
    const vdaLinkedSurf& second_linked_surface() const noexcept { return second_; }
    vdaLinkedSurf& first_linked_surface() noexcept { return first_; }
    vdaLinkedSurf& second_linked_surface() noexcept { return second_; }

    void set_owner(vdaObject* owner) noexcept
    {
        first_.set_owner(owner);
        second_.set_owner(owner);
    }

private:
    vdaLinkedSurf first_;
    vdaLinkedSurf second_;
    int continuity_;
};
