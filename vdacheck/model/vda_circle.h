#pragma once

#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/geometry/gi_vector3.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/util/ut_export.h>

// The CIRCLE statement: an arc around `centre` of `radius` in the plane spanned by v and w (which
// should be orthonormal), from the start to the end angle in degrees, measured from v towards w.
class VDA_API vdaCircle : public vdaObject {
public:
    static const TypeInfo id;
    vdaCircle(const utString& name, const giPoint3& centre, double radius, const giVector3& v, const giVector3& w,
              double start_angle, double end_angle)
        : vdaObject(name), centre_(centre), radius_(radius), v_(v), w_(w), start_(start_angle), end_(end_angle)
    {
    }
    const TypeInfo& type() const noexcept override { return id; }

    const giPoint3& centre() const noexcept { return centre_; }
    double radius() const noexcept { return radius_; }
    const giVector3& plane_v() const noexcept { return v_; }
    const giVector3& plane_w() const noexcept { return w_; }
    double start_angle() const noexcept { return start_; }
    double end_angle() const noexcept { return end_; }

    void set_centre(const giPoint3& centre) noexcept
    {
        centre_ = centre;
        mark_changed();
    }
    void set_radius(double radius) noexcept
    {
        radius_ = radius;
        mark_changed();
    }
    void set_plane(const giVector3& v, const giVector3& w) noexcept
    {
        v_ = v;
        w_ = w;
        mark_changed();
    }
    void set_angular_limits(double start_angle, double end_angle) noexcept
    {
        start_ = start_angle;
        end_ = end_angle;
        mark_changed();
    }

private:
    giPoint3 centre_;
    double radius_;
    giVector3 v_;
    giVector3 w_;
    double start_;
    double end_;
};
