#include <vdacheck/model/vda_mdi.h>

#include <stdexcept>
#include <utility>

const TypeInfo vdaMDI::id{"MDI", &vdaObject::id};

vdaMDI::vdaMDI(const utString& name, std::vector<giPoint3> points, std::vector<giVector3> vectors)
    : vdaObject(name), points_(std::move(points)), vectors_(std::move(vectors))
{
    if (points_.size() != vectors_.size())
        throw std::invalid_argument("MDI needs one vector per point");
}

void vdaMDI::add_point_vector(const giPoint3& point, const giVector3& vector)
{
    points_.push_back(point);
    vectors_.push_back(vector);
    mark_changed();
}

void vdaMDI::set_point_vector(int i, const giPoint3& point, const giVector3& vector) noexcept
{
    points_[static_cast<std::size_t>(i)] = point;
    vectors_[static_cast<std::size_t>(i)] = vector;
    mark_changed();
}
