#include <vdacheck/io/vda_writability.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

#include <vdacheck/io/vda_record_writer.h>
#include <vdacheck/io/vda_statement_writer.h>
#include <vdacheck/io/vda_write_error.h>
#include <vdacheck/model/vda_types.h>

namespace {

bool writable_name(std::string_view name) noexcept
{
    const auto start = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; };
    const auto inner = [&](char c) { return start(c) || (c >= '0' && c <= '9'); };
    if (name.empty() || name.size() > 71 || !start(name[0]))
        return false;
    for (char c : name)
        if (!inner(c))
            return false;
    return true;
}

bool same_bits(double a, double b) noexcept
{
    std::uint64_t x, y;
    std::memcpy(&x, &a, sizeof x);
    std::memcpy(&y, &b, sizeof y);
    return x == y;
}

// The checks of one entity's values; each overload refuses through `refuse`.
class Checker {
public:
    explicit Checker(const vdaObject& entity) noexcept : e_(entity) {}

    void operator()(const vdaHeader& h) const
    {
        for (int i = 0; i < h.num_text_lines(); ++i)
            if (h.text_line(i).size() > 72 || h.text_line(i).find('\n') != std::string_view::npos)
                refuse("text line " + std::to_string(i + 1) + " is longer than 72 characters or holds a line end");
    }
    void operator()(const vdaPoint& p) const { finite(p.point()); }
    void operator()(const vdaPset& p) const
    {
        for (int i = 0; i < p.num_points(); ++i)
            finite(p.point(i));
    }
    void operator()(const vdaMDI& m) const
    {
        for (int i = 0; i < m.num_point_vector(); ++i) {
            finite(m.point(i));
            finite(m.vector(i));
        }
    }
    void operator()(const vdaCircle& c) const
    {
        finite(c.centre());
        finite(c.plane_v());
        finite(c.plane_w());
        for (double v : {c.radius(), c.start_angle(), c.end_angle()})
            finite(v);
    }
    void operator()(const vdaCurve& c) const { segments(c); }
    void operator()(const vdaSurf& s) const { surf(s); }
    void operator()(const vdaCons& c) const
    {
        reference(c.basis_surface_name(), "surface");
        reference(c.curve_3d_name(), "curve");
        finite(c.start_parameter());
        finite(c.end_parameter());
        segments(c);
    }
    void operator()(const vdaFace& f) const
    {
        reference(f.basis_surface_name(), "surface");
        for (int b = 0; b < f.num_boundaries(); ++b)
            for (int t = 0; t < f.boundary(b).num_curve_segments(); ++t)
                trimmed_curve(f.boundary(b).curve_segment(t));
    }
    void operator()(const vdaTop& top) const
    {
        for (int i = 0; i < top.num_surface_pairs(); ++i)
            for (const vdaLinkedSurf* side :
                 {&top.surface_pair(i).first_linked_surface(), &top.surface_pair(i).second_linked_surface()}) {
                reference(side->basis_entity_name(), "face or surface of a surface pair");
                for (int t = 0; t < side->num_trimmed_curves(); ++t)
                    trimmed_curve(side->trimmed_curve(t));
            }
    }
    void operator()(const vdaGroup&) const {}
    void operator()(const vdaBeginSet&) const {}
    void operator()(const vdaTmat& t) const
    {
        for (double a : t.matrix().matrix())
            finite(a);
        for (double b : t.matrix().translation())
            finite(b);
    }
    void operator()(const vdaTlist& l) const { reference(l.transform_name(), "transformation matrix"); }

    [[noreturn]] void refuse(const std::string& why) const
    {
        const char* word = e_.type().command_word();
        throw vdaWriteError(std::string(*word ? word : "entity") + " '" + std::string(e_.name().view()) +
                            "' cannot be written: " + why);
    }

private:
    void reference(const utString& name, const char* what) const
    {
        if (name.empty())
            refuse(std::string("it has no ") + what + " (VDA-FS cannot write a null reference)");
        if (!writable_name(name.view()))
            refuse(std::string("its ") + what + " '" + std::string(name.view()) + "' is not a VDA-FS name");
    }
    void finite(double v) const
    {
        if (!std::isfinite(v))
            refuse("it holds a NaN or infinite value");
    }
    void finite(const giPoint3& p) const
    {
        finite(p.x());
        finite(p.y());
        finite(p.z());
    }
    void finite(const giVector3& v) const { finite(giPoint3(v.x(), v.y(), v.z())); }
    void finite(const giPoint2& p) const
    {
        finite(p.x());
        finite(p.y());
    }
    void trimmed_curve(const vdaTrimmedCurve& t) const
    {
        reference(t.basis_curve_name(), "cons of a trimming curve");
        finite(t.start_parameter());
        finite(t.end_parameter());
    }
    // Segments share their breakpoints in VDA-FS: each must start exactly where the one before it ends.
    template <class Segmented>
    void segments(const Segmented& owner) const
    {
        for (int s = 0; s < owner.num_segments(); ++s) {
            const auto& segment = owner.segment(s);
            finite(segment.start_parameter());
            finite(segment.end_parameter());
            if (s > 0 && !same_bits(segment.start_parameter(), owner.segment(s - 1).end_parameter()))
                refuse("segment " + std::to_string(s + 1) + " does not start where segment " + std::to_string(s) +
                       " ends, and VDA-FS segments share their breakpoints");
            for (const auto& a : segment.all_coeffs())
                finite(a);
        }
    }
    // Patches share breakpoints too: every patch of a column has the column's u range, every patch of a row
    // the row's v range, as the surface's breakpoint lists give them.
    void surf(const vdaSurf& s) const
    {
        const int nu = s.num_patches_in_u();
        const int nv = s.num_patches_in_v();
        if (nu < 0 || nv < 0)
            refuse("its number of patches is negative");
        for (double v : s.u_parameters())
            finite(v);
        for (double v : s.v_parameters())
            finite(v);
        if (nu == 0 || nv == 0)
            return;
        const std::vector<double>& us = s.u_parameters();
        const std::vector<double>& vs = s.v_parameters();
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) {
                const vdaSurfPatch& p = s.patch(i, j);
                for (const giPoint3& a : p.all_coeffs())
                    finite(a);
                const auto ui = static_cast<std::size_t>(i);
                const auto vj = static_cast<std::size_t>(j);
                if (!same_bits(p.u_start_parameter(), us[ui]) || !same_bits(p.u_end_parameter(), us[ui + 1]) ||
                    !same_bits(p.v_start_parameter(), vs[vj]) || !same_bits(p.v_end_parameter(), vs[vj + 1]))
                    refuse("the parameters of patch (" + std::to_string(i) + ", " + std::to_string(j) +
                           ") are not the shared u and v breakpoints of its column and row");
            }
    }

    const vdaObject& e_;
};

}  // namespace

void vdaWritability::check(const vdaObject& entity)
{
    const Checker checker(entity);
    const TypeInfo& type = entity.type();
    if (!*type.command_word())
        checker.refuse("its type has no VDA-FS statement");
    if (!writable_name(entity.name().view()))
        checker.refuse("its name is not a VDA-FS name");
    vda_visit(entity, checker, [&] { checker.refuse("its type has no VDA-FS statement"); });
    if (!vdaRecordWriter::head_fits(entity.name().view(), type.command_word(),
                                    vdaStatementWriter::first_token_size(entity)))
        checker.refuse("its name is too long to share a record with the command word and the first value");
}
