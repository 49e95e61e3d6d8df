#pragma once

#include <vdacheck/geometry/gi_xform3.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/util/ut_export.h>

// The TMAT statement: a transformation matrix.
class VDA_API vdaTmat : public vdaObject {
public:
    static const TypeInfo id;
    vdaTmat(const utString& name, const giXform3& matrix) : vdaObject(name), matrix_(matrix) {}
    const TypeInfo& type() const noexcept override { return id; }

    const giXform3& matrix() const noexcept { return matrix_; }
    void set_matrix(const giXform3& matrix) noexcept
    {
        matrix_ = matrix;
        mark_changed();
    }

private:
    giXform3 matrix_;
};
