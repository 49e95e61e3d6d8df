#pragma once

#include <vector>

#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/geometry/gi_vector3.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/util/ut_export.h>

// The MDI statement: a sequence of points, each with a vector (not necessarily of unit length).
class VDA_API vdaMDI : public vdaObject {
public:
    static const TypeInfo id;
    // `points` and `vectors` must have the same size (std::invalid_argument otherwise).
    vdaMDI(const utString& name, std::vector<giPoint3> points, std::vector<giVector3> vectors);
    const TypeInfo& type() const noexcept override { return id; }

    int num_point_vector() const noexcept { return static_cast<int>(points_.size()); }
    const giPoint3& point(int i) const noexcept { return points_[static_cast<std::size_t>(i)]; }
    const giVector3& vector(int i) const noexcept { return vectors_[static_cast<std::size_t>(i)]; }
    void add_point_vector(const giPoint3& point, const giVector3& vector);
    void set_point_vector(int i, const giPoint3& point, const giVector3& vector) noexcept;

private:
    std::vector<giPoint3> points_;
    std::vector<giVector3> vectors_;
};
