#include <vdacheck/model/vda_compare.h>

#include <cstdint>
#include <cstring>
#include <sstream>

#include <vdacheck/model/vda_begin_set.h>
#include <vdacheck/model/vda_circle.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_group.h>
#include <vdacheck/model/vda_header.h>
#include <vdacheck/model/vda_mdi.h>
#include <vdacheck/model/vda_point.h>
#include <vdacheck/model/vda_pset.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/model/vda_tlist.h>
#include <vdacheck/model/vda_tmat.h>
#include <vdacheck/model/vda_top.h>

namespace {

// Collects the path to the value being compared and stops at the first difference.
class Comparison {
public:
    bool differs() const noexcept { return !difference_.empty(); }
    const std::string& difference() const noexcept { return difference_; }

    template <class T>
    void value(const std::string& what, const T& a, const T& b)
    {
        if (differs() || a == b)
            return;
        std::ostringstream s;
        s.precision(17);
        s << where_ << what << ": " << a << " vs " << b;
        difference_ = s.str();
    }
    // Doubles compare by their bits: 0. and -0. differ, a NaN equals the same NaN.
    void value(const std::string& what, double a, double b)
    {
        std::uint64_t x, y;
        std::memcpy(&x, &a, sizeof x);
        std::memcpy(&y, &b, sizeof y);
        if (differs() || x == y)
            return;
        std::ostringstream s;
        s.precision(17);
        s << where_ << what << ": " << a << " vs " << b;
        difference_ = s.str();
    }
    void value(const std::string& what, const utString& a, const utString& b)
    {
        value(what, std::string(a.view()), std::string(b.view()));
    }
    void value(const std::string& what, const giPoint3& a, const giPoint3& b)
    {
        value(what + " x", a.x(), b.x());
        value(what + " y", a.y(), b.y());
        value(what + " z", a.z(), b.z());
    }
    void value(const std::string& what, const giVector3& a, const giVector3& b)
    {
        value(what, giPoint3(a.x(), a.y(), a.z()), giPoint3(b.x(), b.y(), b.z()));
    }
    void value(const std::string& what, const giPoint2& a, const giPoint2& b)
    {
        value(what + " u", a.x(), b.x());
        value(what + " v", a.y(), b.y());
    }
    void at(std::string where) { where_ = std::move(where); }

private:
    std::string where_;
    std::string difference_;
};

template <class Segmented>
void segments(Comparison& c, const Segmented& a, const Segmented& b)
{
    c.value("segments", a.num_segments(), b.num_segments());
    for (int s = 0; s < a.num_segments() && !c.differs(); ++s) {
        const std::string at = "segment " + std::to_string(s) + " ";
        const auto& x = a.segment(s);
        const auto& y = b.segment(s);
        c.value(at + "order", x.order(), y.order());
        c.value(at + "start", x.start_parameter(), y.start_parameter());
        c.value(at + "end", x.end_parameter(), y.end_parameter());
        c.value(at + "coefficients", x.all_coeffs().size(), y.all_coeffs().size());
        for (std::size_t k = 0; k < x.all_coeffs().size() && !c.differs(); ++k)
            c.value(at + "coefficient " + std::to_string(k), x.all_coeffs()[k], y.all_coeffs()[k]);
    }
}

void trimmed(Comparison& c, const std::string& at, const vdaTrimmedCurve& a, const vdaTrimmedCurve& b)
{
    c.value(at + " cons", a.basis_curve_name(), b.basis_curve_name());
    c.value(at + " start", a.start_parameter(), b.start_parameter());
    c.value(at + " end", a.end_parameter(), b.end_parameter());
}

void linked(Comparison& c, const std::string& at, const vdaLinkedSurf& a, const vdaLinkedSurf& b)
{
    c.value(at + " entity", a.basis_entity_name(), b.basis_entity_name());
    c.value(at + " curves", a.num_trimmed_curves(), b.num_trimmed_curves());
    for (int t = 0; t < a.num_trimmed_curves() && !c.differs(); ++t)
        trimmed(c, at + " curve " + std::to_string(t), a.trimmed_curve(t), b.trimmed_curve(t));
}

void entity(Comparison& c, const vdaObject& a, const vdaObject& b)
{
    const TypeInfo& type = a.type();
    if (&type == &vdaHeader::id) {
        const auto& x = static_cast<const vdaHeader&>(a);
        const auto& y = static_cast<const vdaHeader&>(b);
        c.value("text lines", x.num_text_lines(), y.num_text_lines());
        for (int i = 0; i < x.num_text_lines() && !c.differs(); ++i)
            c.value("text line " + std::to_string(i), std::string(x.text_line(i)), std::string(y.text_line(i)));
    } else if (&type == &vdaPoint::id) {
        c.value("point", static_cast<const vdaPoint&>(a).point(), static_cast<const vdaPoint&>(b).point());
    } else if (&type == &vdaPset::id) {
        const auto& x = static_cast<const vdaPset&>(a);
        const auto& y = static_cast<const vdaPset&>(b);
        c.value("points", x.num_points(), y.num_points());
        for (int i = 0; i < x.num_points() && !c.differs(); ++i)
            c.value("point " + std::to_string(i), x.point(i), y.point(i));
    } else if (&type == &vdaMDI::id) {
        const auto& x = static_cast<const vdaMDI&>(a);
        const auto& y = static_cast<const vdaMDI&>(b);
        c.value("points", x.num_point_vector(), y.num_point_vector());
        for (int i = 0; i < x.num_point_vector() && !c.differs(); ++i) {
            c.value("point " + std::to_string(i), x.point(i), y.point(i));
            c.value("vector " + std::to_string(i), x.vector(i), y.vector(i));
        }
    } else if (&type == &vdaCircle::id) {
        const auto& x = static_cast<const vdaCircle&>(a);
        const auto& y = static_cast<const vdaCircle&>(b);
        c.value("centre", x.centre(), y.centre());
        c.value("radius", x.radius(), y.radius());
        c.value("v", x.plane_v(), y.plane_v());
        c.value("w", x.plane_w(), y.plane_w());
        c.value("start angle", x.start_angle(), y.start_angle());
        c.value("end angle", x.end_angle(), y.end_angle());
    } else if (&type == &vdaCurve::id) {
        segments(c, static_cast<const vdaCurve&>(a), static_cast<const vdaCurve&>(b));
    } else if (&type == &vdaCons::id) {
        const auto& x = static_cast<const vdaCons&>(a);
        const auto& y = static_cast<const vdaCons&>(b);
        c.value("surface", x.basis_surface_name(), y.basis_surface_name());
        c.value("curve", x.curve_3d_name(), y.curve_3d_name());
        c.value("start", x.start_parameter(), y.start_parameter());
        c.value("end", x.end_parameter(), y.end_parameter());
        segments(c, x, y);
    } else if (&type == &vdaSurf::id) {
        const auto& x = static_cast<const vdaSurf&>(a);
        const auto& y = static_cast<const vdaSurf&>(b);
        c.value("patches in u", x.num_patches_in_u(), y.num_patches_in_u());
        c.value("patches in v", x.num_patches_in_v(), y.num_patches_in_v());
        if (x.num_patches_in_u() <= 0 || x.num_patches_in_v() <= 0)
            return;
        for (int j = 0; j < x.num_patches_in_v(); ++j)
            for (int i = 0; i < x.num_patches_in_u() && !c.differs(); ++i) {
                const std::string at = "patch (" + std::to_string(i) + ", " + std::to_string(j) + ") ";
                const vdaSurfPatch& p = x.patch(i, j);
                const vdaSurfPatch& q = y.patch(i, j);
                c.value(at + "u order", p.u_order(), q.u_order());
                c.value(at + "v order", p.v_order(), q.v_order());
                c.value(at + "u start", p.u_start_parameter(), q.u_start_parameter());
                c.value(at + "u end", p.u_end_parameter(), q.u_end_parameter());
                c.value(at + "v start", p.v_start_parameter(), q.v_start_parameter());
                c.value(at + "v end", p.v_end_parameter(), q.v_end_parameter());
                c.value(at + "coefficients", p.all_coeffs().size(), q.all_coeffs().size());
                for (std::size_t k = 0; k < p.all_coeffs().size() && !c.differs(); ++k)
                    c.value(at + "coefficient " + std::to_string(k), p.all_coeffs()[k], q.all_coeffs()[k]);
            }
    } else if (&type == &vdaFace::id) {
        const auto& x = static_cast<const vdaFace&>(a);
        const auto& y = static_cast<const vdaFace&>(b);
        c.value("surface", x.basis_surface_name(), y.basis_surface_name());
        c.value("boundaries", x.num_boundaries(), y.num_boundaries());
        for (int i = 0; i < x.num_boundaries() && !c.differs(); ++i) {
            const std::string at = "boundary " + std::to_string(i);
            c.value(at + " curves", x.boundary(i).num_curve_segments(), y.boundary(i).num_curve_segments());
            for (int t = 0; t < x.boundary(i).num_curve_segments() && !c.differs(); ++t)
                trimmed(c, at + " curve " + std::to_string(t), x.boundary(i).curve_segment(t),
                        y.boundary(i).curve_segment(t));
        }
    } else if (&type == &vdaTop::id) {
        const auto& x = static_cast<const vdaTop&>(a);
        const auto& y = static_cast<const vdaTop&>(b);
        c.value("pairs", x.num_surface_pairs(), y.num_surface_pairs());
        for (int i = 0; i < x.num_surface_pairs() && !c.differs(); ++i) {
            const std::string at = "pair " + std::to_string(i);
            linked(c, at + " first", x.surface_pair(i).first_linked_surface(), y.surface_pair(i).first_linked_surface());
            linked(c, at + " second", x.surface_pair(i).second_linked_surface(),
                   y.surface_pair(i).second_linked_surface());
            c.value(at + " continuity", x.surface_pair(i).continuity(), y.surface_pair(i).continuity());
        }
    } else if (&type == &vdaTmat::id) {
        const giXform3& x = static_cast<const vdaTmat&>(a).matrix();
        const giXform3& y = static_cast<const vdaTmat&>(b).matrix();
        for (std::size_t i = 0; i < 9; ++i)
            c.value("matrix " + std::to_string(i), x.matrix()[i], y.matrix()[i]);
        for (std::size_t i = 0; i < 3; ++i)
            c.value("translation " + std::to_string(i), x.translation()[i], y.translation()[i]);
    }
    if (const auto* x = vda_cast<vdaElementList>(&a)) {
        const auto& y = static_cast<const vdaElementList&>(b);
        if (&type == &vdaTlist::id)
            c.value("matrix", static_cast<const vdaTlist&>(a).transform_name(),
                    static_cast<const vdaTlist&>(b).transform_name());
        c.value("elements", x->num_elements(), y.num_elements());
        for (int i = 0; i < x->num_elements() && !c.differs(); ++i)
            c.value("element " + std::to_string(i), x->element_name(i), y.element_name(i));
    }
}

}  // namespace

std::string vda_first_difference(const vdaFile& a, const vdaFile& b)
{
    Comparison c;
    auto x = a.begin();
    auto y = b.begin();
    for (int index = 0; x != a.end() && y != b.end(); ++x, ++y, ++index) {
        c.at("entity " + std::to_string(index) + " '" + std::string(x->name().view()) + "': ");
        c.value("command word", std::string(x->type().command_word()), std::string(y->type().command_word()));
        c.value("name", x->name(), y->name());
        if (!c.differs())
            entity(c, *x, *y);
        if (c.differs())
            return c.difference();
    }
    if (x != a.end() || y != b.end())
        return "the models have " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + " entities";
    return {};
}
