#pragma once

#include <vector>

#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/util/ut_export.h>

// The PSET statement: a sequence of points.
class VDA_API vdaPset : public vdaObject {
public:
    static const TypeInfo id;
    vdaPset(const utString& name, std::vector<giPoint3> points) : vdaObject(name), points_(std::move(points)) {}
    const TypeInfo& type() const noexcept override { return id; }

    int num_points() const noexcept { return static_cast<int>(points_.size()); }
    const giPoint3& point(int i) const noexcept { return points_[static_cast<std::size_t>(i)]; }
    void add_point(const giPoint3& point)
    {
        points_.push_back(point);
        mark_changed();
    }
    void set_point(int i, const giPoint3& point) noexcept
    {
        points_[static_cast<std::size_t>(i)] = point;
        mark_changed();
    }

private:
    std::vector<giPoint3> points_;
};
