// Writing a vdaFile as VDA-FS. Entities read from a source text and not changed since are copied from
// it byte for byte, with the comments and blank records before them; everything else is written afresh.
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include <vdacheck/io/vda_record_writer.h>
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

// The size of the first parameter of an entity's statement as it will be written: it shares the record
// of the command word, so it decides whether that record can hold the name.
std::size_t first_token_size(const vdaObject& e)
{
    char text[vda_real_chars];
    const auto digits = [](long long v) { return std::to_string(v).size(); };
    const TypeInfo& type = e.type();
    if (&type == &vdaPoint::id)
        return vda_format_real(static_cast<const vdaPoint&>(e).point().x(), text);
    if (&type == &vdaCircle::id)
        return vda_format_real(static_cast<const vdaCircle&>(e).centre().x(), text);
    if (&type == &vdaTmat::id)
        return vda_format_real(static_cast<const vdaTmat&>(e).matrix().a(0, 0), text);
    if (&type == &vdaCons::id)
        return static_cast<const vdaCons&>(e).basis_surface_name().size();
    if (&type == &vdaFace::id)
        return static_cast<const vdaFace&>(e).basis_surface_name().size();
    if (&type == &vdaTlist::id)
        return static_cast<const vdaTlist&>(e).transform_name().size();
    if (&type == &vdaSurf::id)
        return digits(static_cast<const vdaSurf&>(e).num_patches_in_u());
    if (&type == &vdaHeader::id)
        return digits(static_cast<const vdaHeader&>(e).num_text_lines());
    if (&type == &vdaPset::id)
        return digits(static_cast<const vdaPset&>(e).num_points());
    if (&type == &vdaMDI::id)
        return digits(static_cast<const vdaMDI&>(e).num_point_vector());
    if (&type == &vdaCurve::id)
        return digits(static_cast<const vdaCurve&>(e).num_segments());
    if (&type == &vdaTop::id)
        return digits(static_cast<const vdaTop&>(e).num_surface_pairs());
    if (&type == &vdaGroup::id)
        return digits(static_cast<const vdaGroup&>(e).num_elements());
    return 0;  // BEGINSET: no parameters
}

}  // namespace

// Writes one vdaFile. Sets: an unchanged set read from the source keeps its BEGINSET and ENDSET records
// where they were, with whatever stands between them. Any other set is written as BEGINSET, its elements
// (each taken from its own place), ENDSET. A set places each entity at most once: an element that is
// null, the set itself, the HEADER, an unchanged set from the source, an entity already placed by an
// earlier set, or a set that holds this set is left out.
class vdaFileWriter {
public:
    vdaFileWriter(const vdaFile& file, std::ostream& out)
        : file_(file), read_(static_cast<std::uint32_t>(file.spans_.size())), records_(out, file.source_eol_)
    {
    }

    void write()
    {
        find_header();
        for (std::uint32_t k = 0; k < file_.num_slots(); ++k)
            if (const vdaObject* e = file_.slot(k); e && !copied(*e))
                check_writable(*e);
        place_set_elements();
        modified_ = read_ == 0 || header_slot_ != 0 || file_.num_slots() != read_;
        for (std::uint32_t k = 0; k < read_ && !modified_; ++k)
            modified_ = !file_.slot(k) || file_.slot(k)->changed();

        if (header_slot_ != 0)
            write_entity(*header_);
        std::size_t m = 0;
        for (std::uint32_t k = 0; k < read_; ++k) {
            for (; m < file_.endsets_.size() && file_.endsets_[m].before_slot <= k; ++m)
                write_endset(file_.endsets_[m]);
            copy_range(file_.spans_[k].lead, file_.spans_[k].body);
            write_at_own_place(k);
        }
        for (; m < file_.endsets_.size(); ++m)
            write_endset(file_.endsets_[m]);
        for (std::uint32_t k = read_; k < file_.num_slots(); ++k)
            write_at_own_place(k);
        write_end();
        records_.finish();
    }

private:
    // --- what goes where

    void find_header()
    {
        for (std::uint32_t k = 0; k < file_.num_slots(); ++k) {
            const vdaObject* e = file_.slot(k);
            if (!e || !e->is_type(vdaHeader::id))
                continue;
            if (header_)
                throw vdaWriteError("cannot write HEADER '" + std::string(e->name().view()) +
                                    "': a VDA-FS file has one HEADER, and '" + std::string(header_->name().view()) +
                                    "' is the first");
            header_ = static_cast<const vdaHeader*>(e);
            header_slot_ = k;
        }
        if (!header_)
            throw vdaWriteError("cannot write a model without a HEADER");
    }

    // Read from the source and unchanged: written by copying its records.
    bool copied(const vdaObject& e) const noexcept { return vdaFile::slot_of(e) < read_ && !e.changed(); }
    bool is_set(const vdaObject& e) const noexcept { return e.is_type(vdaBeginSet::id) != 0; }
    bool regrouped(const vdaObject& e) const noexcept { return is_set(e) && !copied(e); }

    // Decides which entities the regrouped sets hold (placed_[slot] = holding set's slot + 1). A union-find
    // over the sets placed so far keeps a set from holding one of the sets that hold it.
    void place_set_elements()
    {
        const std::uint32_t n = file_.num_slots();
        placed_.assign(n, 0);
        written_.assign(n, false);
        for (std::uint32_t k = 0; k < n; ++k) {
            const auto* set = vda_cast<vdaBeginSet>(file_.slot(k));
            if (!set || !regrouped(*set))
                continue;
            if (holder_.empty()) {
                holder_.resize(n);
                for (std::uint32_t i = 0; i < n; ++i)
                    holder_[i] = i;
            }
            for (int i = 0; i < set->num_elements(); ++i) {
                const vdaObject* element = set->element(i)();
                if (!element || element == set || element == header_)
                    continue;
                const std::uint32_t x = vdaFile::slot_of(*element);
                if (placed_[x] != 0 || (is_set(*element) && !regrouped(*element)))
                    continue;
                if (is_set(*element)) {
                    if (outermost(k) == x)
                        continue;  // the element holds this set already
                    holder_[x] = k;
                }
                placed_[x] = k + 1;
            }
        }
    }

    std::uint32_t outermost(std::uint32_t k)
    {
        std::uint32_t root = k;
        while (holder_[root] != root)
            root = holder_[root];
        while (holder_[k] != root) {
            const std::uint32_t next = holder_[k];
            holder_[k] = root;
            k = next;
        }
        return root;
    }

    // --- the walk

    void copy_range(std::size_t begin, std::size_t end)
    {
        records_.copy(file_.source_text_.get() + begin, file_.source_text_.get() + end);
    }

    void write_at_own_place(std::uint32_t k)
    {
        const vdaObject* e = file_.slot(k);
        if (!e || placed_[k] != 0 || written_[k])
            return;
        if (k >= read_)
            close_pending_sets();
        if (is_set(*e) && regrouped(*e))
            write_regrouped_set(static_cast<const vdaBeginSet&>(*e));
        else
            write_entity(*e);
    }

    // An ENDSET record: kept when its set is kept in place; a set the source never closed is closed
    // afresh only if more entities follow it.
    void write_endset(const vdaFile::SourceEndset& endset)
    {
        copy_range(endset.span.lead, endset.span.body);
        const vdaObject* set = file_.slot(endset.set_slot);
        if (!set || !copied(*set))
            return;
        if (endset.span.body == endset.span.end)
            pending_.push_back(set);
        else
            copy_range(endset.span.body, endset.span.end);
    }

    void close_pending_sets()
    {
        for (const vdaObject* set : pending_) {
            records_.begin_statement(set->name().view(), "ENDSET");
            records_.end_statement();
        }
        pending_.clear();
    }

    // BEGINSET, the elements the set holds (nested sets likewise, without recursion), ENDSET.
    void write_regrouped_set(const vdaBeginSet& outer)
    {
        struct Frame {
            const vdaBeginSet* set;
            int next;
        };
        std::vector<Frame> stack{{&outer, 0}};
        written_[vdaFile::slot_of(outer)] = true;
        records_.begin_statement(outer.name().view(), "BEGINSET");
        records_.end_statement();
        while (!stack.empty()) {
            const vdaBeginSet* set = stack.back().set;
            if (stack.back().next == set->num_elements()) {
                records_.begin_statement(set->name().view(), "ENDSET");
                records_.end_statement();
                stack.pop_back();
                continue;
            }
            const vdaObject* element = set->element(stack.back().next++)();
            if (!element)
                continue;
            const std::uint32_t x = vdaFile::slot_of(*element);
            if (placed_[x] != vdaFile::slot_of(*set) + 1 || written_[x])
                continue;
            if (is_set(*element)) {
                written_[x] = true;
                records_.begin_statement(element->name().view(), "BEGINSET");
                records_.end_statement();
                stack.push_back({static_cast<const vdaBeginSet*>(element), 0});
            } else {
                write_entity(*element);
            }
        }
    }

    void write_entity(const vdaObject& e)
    {
        const std::uint32_t k = vdaFile::slot_of(e);
        written_[k] = true;
        if (copied(e))
            copy_range(file_.spans_[k].body, file_.spans_[k].end);
        else
            write_fresh(e);
    }

    void write_end()
    {
        const vdaFile::SourceSpan& end = file_.end_span_;
        if (read_ > 0)
            copy_range(end.lead, end.body);
        if (file_.has_end_) {
            copy_range(end.body, end.end);
        } else if (modified_) {
            records_.begin_statement(header_->name().view(), "END");
            records_.end_statement();
        }
    }

    // --- entities written afresh

    void write_fresh(const vdaObject& e)
    {
        const TypeInfo& type = e.type();
        records_.begin_statement(e.name().view(), type.command_word());
        if (&type == &vdaHeader::id)
            return write_header(static_cast<const vdaHeader&>(e));
        if (&type == &vdaPoint::id)
            point(static_cast<const vdaPoint&>(e).point());
        else if (&type == &vdaPset::id)
            write_pset(static_cast<const vdaPset&>(e));
        else if (&type == &vdaMDI::id)
            write_mdi(static_cast<const vdaMDI&>(e));
        else if (&type == &vdaCircle::id)
            write_circle(static_cast<const vdaCircle&>(e));
        else if (&type == &vdaCurve::id)
            write_curve(static_cast<const vdaCurve&>(e));
        else if (&type == &vdaSurf::id)
            write_surf(static_cast<const vdaSurf&>(e));
        else if (&type == &vdaCons::id)
            write_cons(static_cast<const vdaCons&>(e));
        else if (&type == &vdaFace::id)
            write_face(static_cast<const vdaFace&>(e));
        else if (&type == &vdaTop::id)
            write_top(static_cast<const vdaTop&>(e));
        else if (&type == &vdaGroup::id)
            elements(static_cast<const vdaGroup&>(e));
        else if (&type == &vdaTmat::id)
            write_tmat(static_cast<const vdaTmat&>(e));
        else if (&type == &vdaTlist::id)
            write_tlist(static_cast<const vdaTlist&>(e));
        records_.end_statement();
    }

    void write_header(const vdaHeader& h)
    {
        records_.integer(h.num_text_lines());
        records_.end_statement();
        for (int i = 0; i < h.num_text_lines(); ++i)
            records_.text_record(h.text_line(i));
    }

    void point(const giPoint3& p)
    {
        records_.real(p.x());
        records_.real(p.y());
        records_.real(p.z());
    }

    void vector(const giVector3& v)
    {
        records_.real(v.x());
        records_.real(v.y());
        records_.real(v.z());
    }

    void write_pset(const vdaPset& p)
    {
        records_.integer(p.num_points());
        for (int i = 0; i < p.num_points(); ++i)
            point(p.point(i));
    }

    void write_mdi(const vdaMDI& m)
    {
        records_.integer(m.num_point_vector());
        for (int i = 0; i < m.num_point_vector(); ++i) {
            point(m.point(i));
            vector(m.vector(i));
        }
    }

    void write_circle(const vdaCircle& c)
    {
        point(c.centre());
        records_.real(c.radius());
        vector(c.plane_v());
        vector(c.plane_w());
        records_.real(c.start_angle());
        records_.real(c.end_angle());
    }

    void write_tmat(const vdaTmat& t)
    {
        for (double a : t.matrix().matrix())
            records_.real(a);
        for (double b : t.matrix().translation())
            records_.real(b);
    }

    template <class Owner>
    void breakpoints(const Owner& owner)
    {
        const int n = owner.num_segments();
        if (n == 0)
            return;
        for (int s = 0; s < n; ++s)
            records_.real(owner.segment(s).start_parameter());
        records_.real(owner.segment(n - 1).end_parameter());
    }

    void write_curve(const vdaCurve& c)
    {
        records_.integer(c.num_segments());
        breakpoints(c);
        for (int s = 0; s < c.num_segments(); ++s) {
            const auto& coeffs = c.segment(s).all_coeffs();
            records_.integer(c.segment(s).order());
            for (const giPoint3& a : coeffs)
                records_.real(a.x());
            for (const giPoint3& a : coeffs)
                records_.real(a.y());
            for (const giPoint3& a : coeffs)
                records_.real(a.z());
        }
    }

    void write_cons(const vdaCons& c)
    {
        records_.token(c.basis_surface_name().view());
        records_.token(c.curve_3d_name().view());
        records_.real(c.start_parameter());
        records_.real(c.end_parameter());
        records_.integer(c.num_segments());
        breakpoints(c);
        for (int s = 0; s < c.num_segments(); ++s) {
            const auto& coeffs = c.segment(s).all_coeffs();
            records_.integer(c.segment(s).order());
            for (const giPoint2& a : coeffs)
                records_.real(a.x());
            for (const giPoint2& a : coeffs)
                records_.real(a.y());
        }
    }

    void write_surf(const vdaSurf& s)
    {
        const int nu = s.num_patches_in_u();
        const int nv = s.num_patches_in_v();
        records_.integer(nu);
        records_.integer(nv);
        if (nu <= 0 || nv <= 0)
            return;
        for (int i = 0; i < nu; ++i)
            records_.real(s.patch(i, 0).u_start_parameter());
        records_.real(s.patch(nu - 1, 0).u_end_parameter());
        for (int j = 0; j < nv; ++j)
            records_.real(s.patch(0, j).v_start_parameter());
        records_.real(s.patch(0, nv - 1).v_end_parameter());
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) {
                const vdaSurfPatch& p = s.patch(i, j);
                records_.integer(p.u_order());
                records_.integer(p.v_order());
                for (const giPoint3& a : p.all_coeffs())
                    records_.real(a.x());
                for (const giPoint3& a : p.all_coeffs())
                    records_.real(a.y());
                for (const giPoint3& a : p.all_coeffs())
                    records_.real(a.z());
            }
    }

    void trimmed_curve(const vdaTrimmedCurve& t)
    {
        records_.token(t.basis_curve_name().view());
        records_.real(t.start_parameter());
        records_.real(t.end_parameter());
    }

    void write_face(const vdaFace& f)
    {
        records_.token(f.basis_surface_name().view());
        records_.integer(f.num_boundaries());
        for (int b = 0; b < f.num_boundaries(); ++b) {
            const vdaBoundary& boundary = f.boundary(b);
            records_.integer(boundary.num_curve_segments());
            for (int t = 0; t < boundary.num_curve_segments(); ++t)
                trimmed_curve(boundary.curve_segment(t));
        }
    }

    void linked_surf(const vdaLinkedSurf& side)
    {
        records_.token(side.basis_entity_name().view());
        records_.integer(side.num_trimmed_curves());
        for (int t = 0; t < side.num_trimmed_curves(); ++t)
            trimmed_curve(side.trimmed_curve(t));
    }

    void write_top(const vdaTop& top)
    {
        records_.integer(top.num_surface_pairs());
        for (int i = 0; i < top.num_surface_pairs(); ++i) {
            const vdaSurfacePair& pair = top.surface_pair(i);
            linked_surf(pair.first_linked_surface());
            linked_surf(pair.second_linked_surface());
            records_.integer(pair.continuity());
        }
    }

    void write_tlist(const vdaTlist& t)
    {
        records_.token(t.transform_name().view());
        elements(t);
    }

    // The elements that resolve to an entity; a null element cannot be written and is left out.
    void elements(const vdaElementList& list)
    {
        int count = 0;
        for (int i = 0; i < list.num_elements(); ++i)
            count += list.element(i) ? 1 : 0;
        records_.integer(count);
        for (int i = 0; i < list.num_elements(); ++i)
            if (list.element(i))
                records_.token(list.element_name(i).view());
    }

    // --- what VDA-FS cannot express, found before anything is written

    [[noreturn]] static void refuse(const vdaObject& e, const std::string& why)
    {
        const char* word = e.type().command_word();
        throw vdaWriteError(std::string(*word ? word : "entity") + " '" + std::string(e.name().view()) +
                            "' cannot be written: " + why);
    }

    static void check_reference(const vdaObject& e, const utString& name, const char* what)
    {
        if (name.empty())
            refuse(e, std::string("it has no ") + what + " (VDA-FS cannot write a null reference)");
        if (!writable_name(name.view()))
            refuse(e, std::string("its ") + what + " '" + std::string(name.view()) + "' is not a VDA-FS name");
    }

    static void check_finite(const vdaObject& e, double v)
    {
        if (!std::isfinite(v))
            refuse(e, "it holds a NaN or infinite value");
    }
    static void check_finite(const vdaObject& e, const giPoint3& p)
    {
        check_finite(e, p.x());
        check_finite(e, p.y());
        check_finite(e, p.z());
    }
    static void check_finite(const vdaObject& e, const giVector3& v) { check_finite(e, giPoint3(v.x(), v.y(), v.z())); }
    static void check_finite(const vdaObject& e, const giPoint2& p)
    {
        check_finite(e, p.x());
        check_finite(e, p.y());
    }

    void check_writable(const vdaObject& e) const
    {
        const TypeInfo& type = e.type();
        if (!*type.command_word())
            refuse(e, "its type has no VDA-FS statement");
        if (!writable_name(e.name().view()))
            refuse(e, "its name is not a VDA-FS name");
        if (const auto* h = vda_cast<vdaHeader>(&e)) {
            for (int i = 0; i < h->num_text_lines(); ++i)
                if (h->text_line(i).size() > 72 || h->text_line(i).find('\n') != std::string_view::npos)
                    refuse(e, "text line " + std::to_string(i + 1) + " is longer than 72 characters or holds a line end");
        } else if (const auto* p = vda_cast<vdaPoint>(&e)) {
            check_finite(e, p->point());
        } else if (const auto* ps = vda_cast<vdaPset>(&e)) {
            for (int i = 0; i < ps->num_points(); ++i)
                check_finite(e, ps->point(i));
        } else if (const auto* m = vda_cast<vdaMDI>(&e)) {
            for (int i = 0; i < m->num_point_vector(); ++i) {
                check_finite(e, m->point(i));
                check_finite(e, m->vector(i));
            }
        } else if (const auto* c = vda_cast<vdaCircle>(&e)) {
            check_finite(e, c->centre());
            check_finite(e, c->plane_v());
            check_finite(e, c->plane_w());
            for (double v : {c->radius(), c->start_angle(), c->end_angle()})
                check_finite(e, v);
        } else if (const auto* cv = vda_cast<vdaCurve>(&e)) {
            check_segments(e, *cv);
        } else if (const auto* cn = vda_cast<vdaCons>(&e)) {
            check_reference(e, cn->basis_surface_name(), "surface");
            check_reference(e, cn->curve_3d_name(), "curve");
            check_finite(e, cn->start_parameter());
            check_finite(e, cn->end_parameter());
            check_segments(e, *cn);
        } else if (const auto* s = vda_cast<vdaSurf>(&e)) {
            check_surf(*s);
        } else if (const auto* f = vda_cast<vdaFace>(&e)) {
            check_reference(e, f->basis_surface_name(), "surface");
            for (int b = 0; b < f->num_boundaries(); ++b)
                for (int t = 0; t < f->boundary(b).num_curve_segments(); ++t)
                    check_trimmed_curve(e, f->boundary(b).curve_segment(t));
        } else if (const auto* top = vda_cast<vdaTop>(&e)) {
            for (int i = 0; i < top->num_surface_pairs(); ++i)
                for (const vdaLinkedSurf* side :
                     {&top->surface_pair(i).first_linked_surface(), &top->surface_pair(i).second_linked_surface()}) {
                    check_reference(e, side->basis_entity_name(), "face or surface of a surface pair");
                    for (int t = 0; t < side->num_trimmed_curves(); ++t)
                        check_trimmed_curve(e, side->trimmed_curve(t));
                }
        } else if (const auto* t = vda_cast<vdaTmat>(&e)) {
            for (double a : t->matrix().matrix())
                check_finite(e, a);
            for (double b : t->matrix().translation())
                check_finite(e, b);
        } else if (const auto* l = vda_cast<vdaTlist>(&e)) {
            check_reference(e, l->transform_name(), "transformation matrix");
        }
        if (!vdaRecordWriter::head_fits(e.name().view(), type.command_word(), first_token_size(e)))
            refuse(e, "its name is too long to share a record with the command word and the first value");
    }

    static void check_trimmed_curve(const vdaObject& e, const vdaTrimmedCurve& t)
    {
        check_reference(e, t.basis_curve_name(), "cons of a trimming curve");
        check_finite(e, t.start_parameter());
        check_finite(e, t.end_parameter());
    }

    // Segments share their breakpoints in VDA-FS: each must start exactly where the one before it ends.
    template <class Owner>
    static void check_segments(const vdaObject& e, const Owner& owner)
    {
        for (int s = 0; s < owner.num_segments(); ++s) {
            const auto& segment = owner.segment(s);
            check_finite(e, segment.start_parameter());
            check_finite(e, segment.end_parameter());
            if (s > 0 && !same_bits(segment.start_parameter(), owner.segment(s - 1).end_parameter()))
                refuse(e, "segment " + std::to_string(s + 1) + " does not start where segment " + std::to_string(s) +
                              " ends, and VDA-FS segments share their breakpoints");
            for (const auto& a : segment.all_coeffs())
                check_finite(e, a);
        }
    }

    // Patches share breakpoints too: all patches of a column have the same u range, all of a row the same
    // v range, and neighbours meet.
    void check_surf(const vdaSurf& s) const
    {
        const int nu = s.num_patches_in_u();
        const int nv = s.num_patches_in_v();
        if (nu < 0 || nv < 0)
            refuse(s, "its number of patches is negative");
        if (nu == 0 || nv == 0)
            return;
        for (int j = 0; j < nv; ++j)
            for (int i = 0; i < nu; ++i) {
                const vdaSurfPatch& p = s.patch(i, j);
                for (double v : {p.u_start_parameter(), p.u_end_parameter(), p.v_start_parameter(), p.v_end_parameter()})
                    check_finite(s, v);
                for (const giPoint3& a : p.all_coeffs())
                    check_finite(s, a);
                const vdaSurfPatch& column = s.patch(i, 0);
                const vdaSurfPatch& row = s.patch(0, j);
                const bool shared =
                    same_bits(p.u_start_parameter(), column.u_start_parameter()) &&
                    same_bits(p.u_end_parameter(), column.u_end_parameter()) &&
                    same_bits(p.v_start_parameter(), row.v_start_parameter()) &&
                    same_bits(p.v_end_parameter(), row.v_end_parameter()) &&
                    (i == 0 || same_bits(p.u_start_parameter(), s.patch(i - 1, j).u_end_parameter())) &&
                    (j == 0 || same_bits(p.v_start_parameter(), s.patch(i, j - 1).v_end_parameter()));
                if (!shared)
                    refuse(s, "the parameters of patch (" + std::to_string(i) + ", " + std::to_string(j) +
                                  ") are not the shared u and v breakpoints of its column and row");
            }
    }

    const vdaFile& file_;
    const std::uint32_t read_;  // slots read from the source
    vdaRecordWriter records_;
    const vdaHeader* header_ = nullptr;
    std::uint32_t header_slot_ = 0;
    bool modified_ = false;                 // the output differs from the source
    std::vector<std::uint32_t> placed_;     // slot -> slot + 1 of the set that holds it, 0: none
    std::vector<std::uint32_t> holder_;     // union-find over sets placed in sets
    std::vector<bool> written_;
    std::vector<const vdaObject*> pending_;  // sets kept in place that the source never closed
};

void vdaFile::write(std::ostream& out) const { vdaFileWriter(*this, out).write(); }

void vdaFile::save(const std::filesystem::path& path) const
{
    namespace fs = std::filesystem;
    std::random_device random;
    const fs::path temporary =
        path.parent_path() / (path.filename().string() + ".tmp" + std::to_string(random() % 1000000u));
    try {
        {
            std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
            if (!out)
                throw vdaWriteError("cannot create " + temporary.string());
            write(out);
            out.close();
            if (!out)
                throw vdaWriteError("cannot write " + temporary.string());
        }
        std::error_code ec;
        const fs::file_status target = fs::status(path, ec);
        if (!ec && fs::exists(target))
            fs::permissions(temporary, target.permissions(), ec);
        fs::rename(temporary, path);
    } catch (const vdaWriteError&) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw;
    } catch (const std::exception& e) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw vdaWriteError("cannot save " + path.string() + ": " + e.what());
    }
}
