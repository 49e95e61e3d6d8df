#include <vdacheck/model/vda_compare.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <sstream>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_types.h>

namespace {

// Collects the path to the value being compared and stops at the first difference.
class Comparison {
public:
    explicit Comparison(bool member_places = true) noexcept : member_places_(member_places) {}
    bool compares_member_places() const noexcept { return member_places_; }
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

    // The place of `entity` among the live entities of its model (first or second), -1 for a null one.
    // Places in the first model are given as the places of their partners in the second.
    long position(const vdaObjectPtr& entity, bool first)
    {
        if (!entity)
            return -1;
        std::vector<long>& places = first ? first_places_ : second_places_;
        const vdaFile& file = *entity->file();
        if (places.empty()) {
            places.assign(file.num_slots(), -1);
            long k = 0;
            for (const vdaObject& e : file)
                places[e.slot()] = k++;
        }
        const long place = places[entity->slot()];
        return first && !partners_.empty() && place >= 0 ? partners_[static_cast<std::size_t>(place)] : place;
    }
    // partners[i]: the place in the second model of the entity at place i in the first.
    void pair(std::vector<long> partners) { partners_ = std::move(partners); }

private:
    std::string where_;
    std::string difference_;
    std::vector<long> first_places_;
    std::vector<long> second_places_;
    std::vector<long> partners_;  // empty: the models are paired in file order
    bool member_places_;
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

// The values of one entity class; `b` is of the same class as `a`.
class EntityComparison {
public:
    EntityComparison(Comparison& c, const vdaObject& b) noexcept : c_(c), b_(b) {}

    void operator()(const vdaHeader& x) const
    {
        const auto& y = other(x);
        c_.value("text lines", x.num_text_lines(), y.num_text_lines());
        for (int i = 0; i < x.num_text_lines() && !c_.differs(); ++i)
            c_.value("text line " + std::to_string(i), std::string(x.text_line(i)), std::string(y.text_line(i)));
    }
    void operator()(const vdaPoint& x) const { c_.value("point", x.point(), other(x).point()); }
    void operator()(const vdaPset& x) const
    {
        const auto& y = other(x);
        c_.value("points", x.num_points(), y.num_points());
        for (int i = 0; i < x.num_points() && !c_.differs(); ++i)
            c_.value("point " + std::to_string(i), x.point(i), y.point(i));
    }
    void operator()(const vdaMDI& x) const
    {
        const auto& y = other(x);
        c_.value("points", x.num_point_vector(), y.num_point_vector());
        for (int i = 0; i < x.num_point_vector() && !c_.differs(); ++i) {
            c_.value("point " + std::to_string(i), x.point(i), y.point(i));
            c_.value("vector " + std::to_string(i), x.vector(i), y.vector(i));
        }
    }
    void operator()(const vdaCircle& x) const
    {
        const auto& y = other(x);
        c_.value("centre", x.centre(), y.centre());
        c_.value("radius", x.radius(), y.radius());
        c_.value("v", x.plane_v(), y.plane_v());
        c_.value("w", x.plane_w(), y.plane_w());
        c_.value("start angle", x.start_angle(), y.start_angle());
        c_.value("end angle", x.end_angle(), y.end_angle());
    }
    void operator()(const vdaCurve& x) const { segments(c_, x, other(x)); }
    void operator()(const vdaCons& x) const
    {
        const auto& y = other(x);
        c_.value("surface", x.basis_surface_name(), y.basis_surface_name());
        c_.value("curve", x.curve_3d_name(), y.curve_3d_name());
        c_.value("start", x.start_parameter(), y.start_parameter());
        c_.value("end", x.end_parameter(), y.end_parameter());
        segments(c_, x, y);
    }
    void operator()(const vdaSurf& x) const
    {
        const auto& y = other(x);
        c_.value("patches in u", x.num_patches_in_u(), y.num_patches_in_u());
        c_.value("patches in v", x.num_patches_in_v(), y.num_patches_in_v());
        values(c_, "u parameter", x.u_parameters(), y.u_parameters());
        values(c_, "v parameter", x.v_parameters(), y.v_parameters());
        if (c_.differs() || x.num_patches_in_u() <= 0 || x.num_patches_in_v() <= 0)
            return;
        for (int j = 0; j < x.num_patches_in_v(); ++j)
            for (int i = 0; i < x.num_patches_in_u() && !c_.differs(); ++i) {
                const std::string at = "patch (" + std::to_string(i) + ", " + std::to_string(j) + ") ";
                const vdaSurfPatch& p = x.patch(i, j);
                const vdaSurfPatch& q = y.patch(i, j);
                c_.value(at + "u order", p.u_order(), q.u_order());
                c_.value(at + "v order", p.v_order(), q.v_order());
                c_.value(at + "u start", p.u_start_parameter(), q.u_start_parameter());
                c_.value(at + "u end", p.u_end_parameter(), q.u_end_parameter());
                c_.value(at + "v start", p.v_start_parameter(), q.v_start_parameter());
                c_.value(at + "v end", p.v_end_parameter(), q.v_end_parameter());
                c_.value(at + "coefficients", p.all_coeffs().size(), q.all_coeffs().size());
                for (std::size_t k = 0; k < p.all_coeffs().size() && !c_.differs(); ++k)
                    c_.value(at + "coefficient " + std::to_string(k), p.all_coeffs()[k], q.all_coeffs()[k]);
            }
    }
    void operator()(const vdaFace& x) const
    {
        const auto& y = other(x);
        c_.value("surface", x.basis_surface_name(), y.basis_surface_name());
        c_.value("boundaries", x.num_boundaries(), y.num_boundaries());
        for (int i = 0; i < x.num_boundaries() && !c_.differs(); ++i) {
            const std::string at = "boundary " + std::to_string(i);
            c_.value(at + " curves", x.boundary(i).num_curve_segments(), y.boundary(i).num_curve_segments());
            for (int t = 0; t < x.boundary(i).num_curve_segments() && !c_.differs(); ++t)
                trimmed(c_, at + " curve " + std::to_string(t), x.boundary(i).curve_segment(t),
                        y.boundary(i).curve_segment(t));
        }
    }
    void operator()(const vdaTop& x) const
    {
        const auto& y = other(x);
        c_.value("pairs", x.num_surface_pairs(), y.num_surface_pairs());
        for (int i = 0; i < x.num_surface_pairs() && !c_.differs(); ++i) {
            const std::string at = "pair " + std::to_string(i);
            linked(c_, at + " first", x.surface_pair(i).first_linked_surface(),
                   y.surface_pair(i).first_linked_surface());
            linked(c_, at + " second", x.surface_pair(i).second_linked_surface(),
                   y.surface_pair(i).second_linked_surface());
            c_.value(at + " continuity", x.surface_pair(i).continuity(), y.surface_pair(i).continuity());
        }
    }
    void operator()(const vdaGroup& x) const { elements(x, other(x)); }
    // A set's members are entities: the same names, and the same entities by their place in the file.
    void operator()(const vdaBeginSet& x) const
    {
        const auto& y = other(x);
        elements(x, y);
        for (int i = 0; i < x.num_elements() && !c_.differs() && c_.compares_member_places(); ++i)
            c_.value("member " + std::to_string(i) + " position", c_.position(x.element(i), true),
                     c_.position(y.element(i), false));
    }
    void operator()(const vdaTmat& x) const
    {
        const giXform3& a = x.matrix();
        const giXform3& b = other(x).matrix();
        for (std::size_t i = 0; i < 9; ++i)
            c_.value("matrix " + std::to_string(i), a.matrix()[i], b.matrix()[i]);
        for (std::size_t i = 0; i < 3; ++i)
            c_.value("translation " + std::to_string(i), a.translation()[i], b.translation()[i]);
    }
    void operator()(const vdaTlist& x) const
    {
        const auto& y = other(x);
        c_.value("matrix", x.transform_name(), y.transform_name());
        elements(x, y);
    }

private:
    template <class T>
    const T& other(const T&) const noexcept
    {
        return static_cast<const T&>(b_);
    }
    void elements(const vdaElementList& x, const vdaElementList& y) const
    {
        c_.value("elements", x.num_elements(), y.num_elements());
        for (int i = 0; i < x.num_elements() && !c_.differs(); ++i)
            c_.value("element " + std::to_string(i), x.element_name(i), y.element_name(i));
    }
    static void values(Comparison& c, const std::string& what, const std::vector<double>& x,
                       const std::vector<double>& y)
    {
        c.value(what + "s", x.size(), y.size());
        for (std::size_t k = 0; k < x.size() && !c.differs(); ++k)
            c.value(what + " " + std::to_string(k), x[k], y[k]);
    }

    Comparison& c_;
    const vdaObject& b_;
};

}  // namespace

namespace {

std::string compare_pair(Comparison& c, long index, const vdaObject& x, const vdaObject& y)
{
    c.at("entity " + std::to_string(index) + " '" + std::string(x.name().view()) + "': ");
    c.value("command word", std::string(x.type().command_word()), std::string(y.type().command_word()));
    c.value("name", x.name(), y.name());
    if (!c.differs())
        vda_visit(x, EntityComparison(c, y), [] {});
    return c.difference();
}

std::string different_sizes(const vdaFile& a, const vdaFile& b)
{
    return "the models have " + std::to_string(a.size()) + " and " + std::to_string(b.size()) + " entities";
}

// Per slot, the sets that hold the entity there: (set name, place among the set's elements), sorted.
// Two entities of one name and the same values differ by the sets that hold them.
using Holders = std::vector<std::vector<std::pair<std::string_view, int>>>;
Holders holders_of(const vdaFile& file)
{
    Holders holders(file.num_slots());
    for (const vdaObject& e : file)
        if (const auto* set = vda_cast<vdaBeginSet>(&e))
            for (int i = 0; i < set->num_elements(); ++i)
                if (const vdaObjectPtr member = set->element(i); member && member->file() == &file)
                    holders[member->slot()].emplace_back(set->name().view(), i);
    for (auto& h : holders)
        std::sort(h.begin(), h.end());
    return holders;
}

// Pairs each entity of `a`, in file order, with the first unpaired entity of `b` of the same name that
// has the same values and is held by the same sets, then compares the places of set members through
// that pairing.
std::string compare_by_name(const vdaFile& a, const vdaFile& b)
{
    struct Named {
        std::vector<std::pair<const vdaObject*, long>> entities;  // with their places in b
        std::vector<bool> paired;
        std::size_t first_unpaired = 0;
    };
    std::unordered_map<std::string_view, Named> in_b;
    long place = 0;
    for (const vdaObject& y : b) {
        Named& named = in_b[y.name().view()];
        named.entities.emplace_back(&y, place++);
        named.paired.push_back(false);
    }

    const Holders held_in_a = holders_of(a);
    const Holders held_in_b = holders_of(b);
    const auto alike = [&](long index, const vdaObject& x, const vdaObject& y) {
        Comparison values(false);
        return held_in_a[x.slot()] == held_in_b[y.slot()] && compare_pair(values, index, x, y).empty();
    };

    std::vector<std::pair<const vdaObject*, const vdaObject*>> pairs;
    std::vector<long> partners;
    pairs.reserve(static_cast<std::size_t>(a.size()));
    partners.reserve(static_cast<std::size_t>(a.size()));
    for (const vdaObject& x : a) {
        const long index = static_cast<long>(pairs.size());
        const auto found = in_b.find(x.name().view());
        if (found == in_b.end() || found->second.first_unpaired == found->second.entities.size())
            return "entity " + std::to_string(index) + " '" + std::string(x.name().view()) +
                   "': no entity of that name left in the second model";
        Named& named = found->second;
        std::size_t k = named.entities.size();
        for (std::size_t t = named.first_unpaired; t < named.entities.size() && k == named.entities.size(); ++t)
            if (!named.paired[t] && alike(index, x, *named.entities[t].first))
                k = t;
        if (k == named.entities.size()) {  // none has the same values: tell how the first differs
            Comparison values(false);
            return compare_pair(values, index, x, *named.entities[named.first_unpaired].first);
        }
        named.paired[k] = true;
        while (named.first_unpaired < named.entities.size() && named.paired[named.first_unpaired])
            ++named.first_unpaired;
        pairs.emplace_back(&x, named.entities[k].first);
        partners.push_back(named.entities[k].second);
    }
    if (a.size() != b.size())
        return different_sizes(a, b);
    Comparison c;
    c.pair(std::move(partners));
    for (std::size_t i = 0; i < pairs.size(); ++i)
        if (std::string difference = compare_pair(c, static_cast<long>(i), *pairs[i].first, *pairs[i].second);
            !difference.empty())
            return difference;
    return {};
}

}  // namespace

std::string vda_first_difference(const vdaFile& a, const vdaFile& b, vdaEntityOrder order)
{
    if (order == vdaEntityOrder::may_differ)
        return compare_by_name(a, b);
    Comparison c;
    auto x = a.begin();
    auto y = b.begin();
    for (long index = 0; x != a.end() && y != b.end(); ++x, ++y, ++index)
        if (std::string difference = compare_pair(c, index, *x, *y); !difference.empty())
            return difference;
    if (x != a.end() || y != b.end())
        return different_sizes(a, b);
    return {};
}
