#pragma once

#include <vdacheck/check/vdc_export.h>
#include <vdacheck/entities/vdc_entity_check.h>

class vdaCircle;

// A circular arc: its centre, radius, plane vectors (unit length, orthogonal) and angles. Works on
// copies of the vectors, so the circle's own length caches stay as they are.
class VDC_API vdcCircleCheck : public vdcEntityCheck {
public:
    using model_type = vdaCircle;
    explicit vdcCircleCheck(vdaCircle& entity) : entity(entity) {}
    ~vdcCircleCheck() override;
    void check(vdcLog& log, vdcFileCheck& checker) const override;

protected:
    void check_centre_point(vdcLog& log, vdcFileCheck& checker) const;
    void check_radius(vdcLog& log, vdcFileCheck& checker) const;
    void check_normal_v_vector(vdcLog& log, vdcFileCheck& checker) const;
    void check_normal_w_vector(vdcLog& log, vdcFileCheck& checker) const;
    void check_vectors_orthogonal(vdcLog& log, vdcFileCheck& checker) const;
    void check_angles(vdcLog& log, vdcFileCheck& checker) const;

    vdaCircle& entity;
};
