// Type descriptors and the out-of-line members of the entity classes and their parts.
#include <algorithm>
#include <stdexcept>

#include <vdacheck/model/vda_begin_set.h>
#include <vdacheck/model/vda_circle.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_group.h>
#include <vdacheck/model/vda_header.h>
#include <vdacheck/model/vda_mdi.h>
#include <vdacheck/model/vda_point.h>
#include <vdacheck/model/vda_pset.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/model/vda_tlist.h>
#include <vdacheck/model/vda_tmat.h>
#include <vdacheck/model/vda_top.h>

const TypeInfo vdaElementList::id{"", &vdaObject::id};
const TypeInfo vdaHeader::id{"HEADER", &vdaObject::id};
const TypeInfo vdaPoint::id{"POINT", &vdaObject::id};
const TypeInfo vdaPset::id{"PSET", &vdaObject::id};
const TypeInfo vdaMDI::id{"MDI", &vdaObject::id};
const TypeInfo vdaCircle::id{"CIRCLE", &vdaObject::id};
const TypeInfo vdaCurve::id{"CURVE", &vdaObject::id};
const TypeInfo vdaSurf::id{"SURF", &vdaObject::id};
const TypeInfo vdaCons::id{"CONS", &vdaObject::id};
const TypeInfo vdaFace::id{"FACE", &vdaObject::id};
const TypeInfo vdaTop::id{"TOP", &vdaObject::id};
const TypeInfo vdaGroup::id{"GROUP", &vdaElementList::id};
const TypeInfo vdaBeginSet::id{"BEGINSET", &vdaElementList::id};
const TypeInfo vdaTmat::id{"TMAT", &vdaObject::id};
const TypeInfo vdaTlist::id{"TLIST", &vdaElementList::id};

void vdaElementList::set_element(int i, const vdaObjectPtr& entity)
{
    elements_[static_cast<std::size_t>(i)] = entity ? entity->name() : utString();
    mark_changed();
}

int vdaElementList::remove_null_elements()
{
    const auto kept = std::remove_if(elements_.begin(), elements_.end(),
                                     [this](const utString& name) { return !resolve(name); });
    const auto dropped = static_cast<int>(elements_.end() - kept);
    if (dropped > 0) {
        elements_.erase(kept, elements_.end());
        mark_changed();
    }
    return dropped;
}

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

vdaSurfPatch::vdaSurfPatch(double u_start, double u_end, double v_start, double v_end, int u_order, int v_order,
                           std::vector<giPoint3> coeffs)
    : u_start_(u_start), u_end_(u_end), v_start_(v_start), v_end_(v_end), u_order_(u_order), v_order_(v_order),
      coeffs_(std::move(coeffs))
{
    const std::size_t expected = (u_order > 0 && v_order > 0)
                                     ? static_cast<std::size_t>(u_order) * static_cast<std::size_t>(v_order)
                                     : 0;
    if (coeffs_.size() != expected)
        throw std::invalid_argument("patch coefficients do not match its orders");
}

vdaSurf::vdaSurf(const utString& name, int nu, int nv, std::vector<vdaSurfPatch> patches)
    : vdaObject(name), nu_(nu), nv_(nv), patches_(std::move(patches))
{
    const std::size_t expected =
        (nu > 0 && nv > 0) ? static_cast<std::size_t>(nu) * static_cast<std::size_t>(nv) : 0;
    if (patches_.size() != expected)
        throw std::invalid_argument("surface patches do not match its patch counts");
}

void vdaTrimmedCurve::set_parameters(double start, double end) noexcept
{
    start_ = start;
    end_ = end;
    if (owner_)
        owner_->mark_changed();
}

void vdaBoundary::add_curve_segment(const vdaTrimmedCurve& segment)
{
    segments_.push_back(segment);
    segments_.back().set_owner(owner_);
    if (owner_)
        owner_->mark_changed();
}

void vdaBoundary::set_owner(vdaObject* owner) noexcept
{
    owner_ = owner;
    for (auto& segment : segments_)
        segment.set_owner(owner);
}

void vdaLinkedSurf::set_owner(vdaObject* owner) noexcept
{
    owner_ = owner;
    for (auto& curve : curves_)
        curve.set_owner(owner);
}

vdaFace::vdaFace(const utString& name, const utString& surface, std::vector<vdaBoundary> boundaries)
    : vdaObject(name), surface_(surface), boundaries_(std::move(boundaries))
{
    for (auto& boundary : boundaries_)
        boundary.set_owner(this);
}

void vdaFace::add_boundary(vdaBoundary boundary)
{
    boundaries_.push_back(std::move(boundary));
    boundaries_.back().set_owner(this);
    mark_changed();
}

vdaTop::vdaTop(const utString& name, std::vector<vdaSurfacePair> pairs) : vdaObject(name), pairs_(std::move(pairs))
{
    for (auto& pair : pairs_)
        pair.set_owner(this);
}

void vdaTop::add_surface_pair(vdaSurfacePair pair)
{
    pairs_.push_back(std::move(pair));
    pairs_.back().set_owner(this);
    mark_changed();
}
