#include <vdacheck/io/vda_statement_writer.h>

#include <string>

#include <vdacheck/io/vda_record_writer.h>
#include <vdacheck/model/vda_types.h>

namespace {

// The parameters of each statement, after "name = WORD /". BEGINSET has none (its elements are the
// statements that follow it, placed by the writer).
class Parameters {
public:
    explicit Parameters(vdaRecordWriter& records) noexcept : r_(records) {}

    void operator()(const vdaHeader& h) { r_.integer(h.num_text_lines()); }
    void operator()(const vdaPoint& p) { point(p.point()); }
    void operator()(const vdaPset& p)
    {
        r_.integer(p.num_points());
        for (int i = 0; i < p.num_points(); ++i)
            point(p.point(i));
    }
    void operator()(const vdaMDI& m)
    {
        r_.integer(m.num_point_vector());
        for (int i = 0; i < m.num_point_vector(); ++i) {
            point(m.point(i));
            vector(m.vector(i));
        }
    }
    void operator()(const vdaCircle& c)
    {
        point(c.centre());
        r_.real(c.radius());
        vector(c.plane_v());
        vector(c.plane_w());
        r_.real(c.start_angle());
        r_.real(c.end_angle());
    }
    void operator()(const vdaCurve& c)
    {
        r_.integer(c.num_segments());
        breakpoints(c);
        for (int s = 0; s < c.num_segments(); ++s) {
            r_.integer(c.segment(s).order());
            coordinates(c.segment(s).all_coeffs());
        }
    }
    void operator()(const vdaSurf& s)
    {
        const int nu = s.num_patches_in_u();
        const int nv = s.num_patches_in_v();
        r_.integer(nu);
        r_.integer(nv);
        for (double u : s.u_parameters())
            r_.real(u);
        for (double v : s.v_parameters())
            r_.real(v);
        if (nu <= 0 || nv <= 0)
            return;
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) {
                const vdaSurfPatch& p = s.patch(i, j);
                r_.integer(p.u_order());
                r_.integer(p.v_order());
                coordinates(p.all_coeffs());
            }
    }
    void operator()(const vdaCons& c)
    {
        r_.token(c.basis_surface_name().view());
        r_.token(c.curve_3d_name().view());
        r_.real(c.start_parameter());
        r_.real(c.end_parameter());
        r_.integer(c.num_segments());
        breakpoints(c);
        for (int s = 0; s < c.num_segments(); ++s) {
            r_.integer(c.segment(s).order());
            coordinates(c.segment(s).all_coeffs());
        }
    }
    void operator()(const vdaFace& f)
    {
        r_.token(f.basis_surface_name().view());
        r_.integer(f.num_boundaries());
        for (int b = 0; b < f.num_boundaries(); ++b) {
            const vdaBoundary& boundary = f.boundary(b);
            r_.integer(boundary.num_curve_segments());
            for (int t = 0; t < boundary.num_curve_segments(); ++t)
                trimmed_curve(boundary.curve_segment(t));
        }
    }
    void operator()(const vdaTop& top)
    {
        r_.integer(top.num_surface_pairs());
        for (int i = 0; i < top.num_surface_pairs(); ++i) {
            const vdaSurfacePair& pair = top.surface_pair(i);
            linked_surf(pair.first_linked_surface());
            linked_surf(pair.second_linked_surface());
            r_.integer(pair.continuity());
        }
    }
    void operator()(const vdaGroup& g) { elements(g); }
    void operator()(const vdaBeginSet&) {}
    void operator()(const vdaTmat& t)
    {
        for (double a : t.matrix().matrix())
            r_.real(a);
        for (double b : t.matrix().translation())
            r_.real(b);
    }
    void operator()(const vdaTlist& t)
    {
        r_.token(t.transform_name().view());
        elements(t);
    }

private:
    void point(const giPoint3& p)
    {
        r_.real(p.x());
        r_.real(p.y());
        r_.real(p.z());
    }
    void vector(const giVector3& v)
    {
        r_.real(v.x());
        r_.real(v.y());
        r_.real(v.z());
    }
    // All x values of a segment's or patch's coefficients, then all y (then all z).
    void coordinates(const std::vector<giPoint3>& coeffs)
    {
        for (const giPoint3& a : coeffs)
            r_.real(a.x());
        for (const giPoint3& a : coeffs)
            r_.real(a.y());
        for (const giPoint3& a : coeffs)
            r_.real(a.z());
    }
    void coordinates(const std::vector<giPoint2>& coeffs)
    {
        for (const giPoint2& a : coeffs)
            r_.real(a.x());
        for (const giPoint2& a : coeffs)
            r_.real(a.y());
    }
    // n + 1 shared breakpoints of n segments.
    template <class Segmented>
    void breakpoints(const Segmented& owner)
    {
        const int n = owner.num_segments();
        if (n == 0)
            return;
        for (int s = 0; s < n; ++s)
            r_.real(owner.segment(s).start_parameter());
        r_.real(owner.segment(n - 1).end_parameter());
    }
    void trimmed_curve(const vdaTrimmedCurve& t)
    {
        r_.token(t.basis_curve_name().view());
        r_.real(t.start_parameter());
        r_.real(t.end_parameter());
    }
    void linked_surf(const vdaLinkedSurf& side)
    {
        r_.token(side.basis_entity_name().view());
        r_.integer(side.num_trimmed_curves());
        for (int t = 0; t < side.num_trimmed_curves(); ++t)
            trimmed_curve(side.trimmed_curve(t));
    }
    // The elements that resolve to an entity; a null element cannot be written and is left out.
    void elements(const vdaElementList& list)
    {
        int count = 0;
        for (int i = 0; i < list.num_elements(); ++i)
            count += list.element(i) ? 1 : 0;
        r_.integer(count);
        for (int i = 0; i < list.num_elements(); ++i)
            if (list.element(i))
                r_.token(list.element_name(i).view());
    }

    vdaRecordWriter& r_;
};

std::size_t digits(long long value) { return std::to_string(value).size(); }

std::size_t real_size(double value)
{
    char text[vda_real_chars];
    return vda_format_real(value, text);
}

// The first parameter of each statement, as it will be written.
struct FirstToken {
    std::size_t operator()(const vdaHeader& h) const { return digits(h.num_text_lines()); }
    std::size_t operator()(const vdaPoint& p) const { return real_size(p.point().x()); }
    std::size_t operator()(const vdaPset& p) const { return digits(p.num_points()); }
    std::size_t operator()(const vdaMDI& m) const { return digits(m.num_point_vector()); }
    std::size_t operator()(const vdaCircle& c) const { return real_size(c.centre().x()); }
    std::size_t operator()(const vdaCurve& c) const { return digits(c.num_segments()); }
    std::size_t operator()(const vdaSurf& s) const { return digits(s.num_patches_in_u()); }
    std::size_t operator()(const vdaCons& c) const { return c.basis_surface_name().size(); }
    std::size_t operator()(const vdaFace& f) const { return f.basis_surface_name().size(); }
    std::size_t operator()(const vdaTop& t) const { return digits(t.num_surface_pairs()); }
    std::size_t operator()(const vdaGroup& g) const { return digits(g.num_elements()); }
    std::size_t operator()(const vdaBeginSet&) const { return 0; }
    std::size_t operator()(const vdaTmat& t) const { return real_size(t.matrix().a(0, 0)); }
    std::size_t operator()(const vdaTlist& t) const { return t.transform_name().size(); }
};

}  // namespace

void vdaStatementWriter::write(const vdaObject& entity)
{
    records_.begin_statement(entity.name().view(), entity.type().command_word());
    vda_visit(entity, Parameters(records_), [] {});
    records_.end_statement();
    if (const auto* header = vda_cast<vdaHeader>(&entity))
        for (int i = 0; i < header->num_text_lines(); ++i)
            records_.text_record(header->text_line(i));
}

std::size_t vdaStatementWriter::first_token_size(const vdaObject& entity)
{
    return vda_visit(entity, FirstToken(), [] { return std::size_t{0}; });
}
