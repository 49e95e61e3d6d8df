#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaTop;

// A topology entity: for every surface pair, the face-or-surface reference of both sides and the cons
// references of their trimming curves (all followed through the checker), the trimming parameters of
// each curve against the range of its cons, and the pair's continuity flag. Indices are pair i, side k
// (0: first, 1: second) and trimming curve j within the side.
class VDC_API vdcTopCheck : public vdcEntityCheck {
public:
    using model_type = vdaTop;
    explicit vdcTopCheck(vdaTop& entity) : entity(entity) {}
    ~vdcTopCheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    void check_null_face_surf_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_face_surface_ptr_type(vdcLog& log, vdcFileCheck& checker) const;
    void check_face_surface_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_null_cons_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_cons_ptr_is_cons(vdcLog& log, vdcFileCheck& checker) const;
    void check_cons_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_cons_parameters(vdcLog& log, vdcFileCheck& checker) const;
    void check_continuity_class(vdcLog& log, vdcFileCheck& checker) const;

    vdaTop& entity;
};
