#pragma once

#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/util/ut_export.h>

// The POINT statement: one point in space.
class VDA_API vdaPoint : public vdaObject {
public:
    static const TypeInfo id;
    vdaPoint(const utString& name, const giPoint3& point) : vdaObject(name), point_(point) {}
    const TypeInfo& type() const noexcept override { return id; }

    const giPoint3& point() const noexcept { return point_; }
    void set_point(const giPoint3& point) noexcept
    {
        point_ = point;
        mark_changed();
    }

private:
    giPoint3 point_;
};
