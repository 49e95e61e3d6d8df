#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaFace;

// A trimmed face: its surface reference, the cons references of its boundary pieces (both followed
// through the checker), whether each cons lies on the face's surface, and the trimming parameters of
// each piece against the range of its cons. Indices are boundary b, then piece s within it.
class VDC_API vdcFaceCheck : public vdcEntityCheck {
public:
    using model_type = vdaFace;
    explicit vdcFaceCheck(vdaFace& entity) : entity(entity) {}
    ~vdcFaceCheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    void check_null_surface_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_surface_ptr_is_surface(vdcLog& log, vdcFileCheck& checker) const;
    void check_surface_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_surface_ptr_is_cons_surface_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_null_cons_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_cons_ptr_is_cons(vdcLog& log, vdcFileCheck& checker) const;
    void check_cons_ptr(vdcLog& log, vdcFileCheck& checker) const;
    void check_cons_parameters(vdcLog& log, vdcFileCheck& checker) const;

    vdaFace& entity;
};
