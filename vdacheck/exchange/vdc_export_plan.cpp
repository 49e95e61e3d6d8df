#include <vdacheck/exchange/vdc_export_plan.h>

#include <algorithm>
#include <cmath>

#include <vdacheck/check/vdc_file_check.h>
#include <vdacheck/check/vdc_file_check_acc.h>
#include <vdacheck/check/vdc_logged_packet.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_types.h>
#include <vdacheck/quality/vdc_quality_check.h>
#include <vdacheck/rules/vdc_rules.h>

const std::array<vdcQualityRule, 6> vdcExportPlan::gap_rules = {
    vdcQualityRule::surf_patch_gap,       vdcQualityRule::curve_segment_gap, vdcQualityRule::cons_segment_gap,
    vdcQualityRule::cons_curve_deviation, vdcQualityRule::face_loop_gap,     vdcQualityRule::top_edge_gap};

namespace {

std::string named(const vdaObject& entity)
{
    return std::string(entity.type().command_word()) + " " + std::string(entity.name().view());
}

template <class T>
const T* as(const vdaObjectPtr& p) noexcept
{
    return vda_cast<T>(p());
}

// Calls f(element) for each element of a group, set or transformation list that resolves.
template <class F>
void for_each_element(const vdaElementList& list, F&& f)
{
    for (int i = 0; i < list.num_elements(); ++i)
        if (const vdaObjectPtr e = list.element(i))
            f(*e());
}

// Calls f(cons) for each cons of a face's boundaries that resolves.
template <class F>
void for_each_cons(const vdaFace& face, F&& f)
{
    for (int b = 0; b < face.num_boundaries(); ++b)
        for (int k = 0; k < face.boundary(b).num_curve_segments(); ++k)
            if (const vdaObjectPtr c = face.boundary(b).curve_segment(k).basis_curve())
                f(*c());
}

// Calls f(side entity) for each side of each pair of a topology entity that resolves.
template <class F>
void for_each_side(const vdaTop& top, F&& f)
{
    for (int i = 0; i < top.num_surface_pairs(); ++i)
        for (const vdaLinkedSurf* side :
             {&top.surface_pair(i).first_linked_surface(), &top.surface_pair(i).second_linked_surface()})
            if (const vdaObjectPtr e = side->basis_entity())
                f(*e());
}

bool is_geometry_type(const vdaObject& e) noexcept { return !e.is_type(vdaHeader::id); }

// A^T A = I and det A = 1, to rounding, and a finite translation.
bool rigid(const vdaTmat& tmat) noexcept
{
    const giXform3& m = tmat.matrix();
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) {
            double dot = 0.0;
            for (int r = 0; r < 3; ++r)
                dot += m.a(r, i) * m.a(r, j);
            if (!(std::abs(dot - (i == j ? 1.0 : 0.0)) <= 1e-9))
                return false;
        }
    return m.determinant() > 0.0 && std::isfinite(m.t(0) + m.t(1) + m.t(2));
}

}  // namespace

vdcExportPlan::vdcExportPlan(const vdaFile& file, const vdcConvertOptions& options) : file_(file), options_(options)
{
    entries_.resize(file.num_slots());
    for (const vdaObject& entity : file)
        entries_[entity.slot()].entity = &entity;
    check();
    measure();
    settle();
}

bool vdcExportPlan::kept(const vdaObject* entity) const noexcept
{
    if (!entity || entity->file() != &file_)
        return false;
    const Role r = entries_[entity->slot()].role;
    return r != Role::left_out && r != Role::none;
}

double vdcExportPlan::measured(const vdaObject& entity, vdcQualityRule rule) const noexcept
{
    const auto it = measured_.find(entity.slot());
    if (it == measured_.end())
        return 0.0;
    for (std::size_t i = 0; i < gap_rules.size(); ++i)
        if (gap_rules[i] == rule)
            return it->second[i];
    return 0.0;
}

void vdcExportPlan::leave_out(const vdaObject& entity, std::string rule, std::string reason, double value,
                              double tolerance, std::string unit)
{
    entries_[entity.slot()].role = Role::left_out;
    left_out_.push_back({std::string(entity.name().view()), entity.type().command_word(), entity.line(),
                         std::move(rule), std::move(reason), value, tolerance, std::move(unit)});
}

// What the checks report is left out, each problem with its rule. Of entities that share a name only the
// first is checked (references reach only it): the others are left out too.
void vdcExportPlan::check()
{
    vdcFileCheck checker(options_.cancel);
    checker.check(file_);
    const vdcLog& log = vdcFileCheckAcc(&checker).error_log();
    for (const vdcLoggedPacket& p : vdc_logged_packets(file_, log)) {
        const vdaObject* entity = file_.find(p.entity);
        const vdcRule* rule = vdc_rule_of(p.packet);
        if (entity)
            leave_out(*entity, rule ? std::string(rule->id) : std::string(),
                      std::string(p.packet.error_message().view()));
    }
    // An assembly places its parts by rotation and translation only.
    for (const vdaObject& entity : file_)
        if (const vdaTmat* tmat = vda_cast<vdaTmat>(&entity); tmat && role(entity) != Role::left_out && !rigid(*tmat))
            leave_out(entity, "convert-transform",
                      "not a rotation and a translation, which is all an assembly places its parts by");
    if (file_.has_duplicate_names())
        for (const vdaObject& entity : file_)
            if (file_.find(entity.name()) != &entity && is_geometry_type(entity))
                leave_out(entity, "convert-duplicate-name",
                          "an earlier entity has the same name, which every reference reaches");
}

// The gap rules of the quality run, every value kept (a tolerance below any value makes each one a finding),
// on the entities the checks pass.
void vdcExportPlan::measure()
{
    vdcQualityProfile profile;
    profile.set_all_enabled(false);
    for (const vdcQualityRule rule : gap_rules) {
        profile.set_enabled(rule, true);
        profile.set_tolerance(rule, -1.0);
    }
    const vdcQualityReport report = vdcQualityCheck(profile, options_.threads, options_.cancel).run(file_);
    for (const vdcQualityFinding& f : report.findings) {
        const vdaObject* entity = file_.find(f.entity);
        if (!entity)
            continue;
        std::array<double, 6>& values = measured_[entity->slot()];
        for (std::size_t i = 0; i < gap_rules.size(); ++i)
            if (gap_rules[i] == f.rule)
                values[i] = std::max(values[i], f.value);
    }
    for (const vdcQualitySkip& skip : report.skipped)
        if (const vdaObject* entity = file_.find(skip.entity); entity && role(*entity) != Role::left_out)
            leave_out(*entity, "convert-not-measured", skip.reason);
    for (const auto& [slot, values] : measured_) {
        const vdaObject& entity = *entries_[slot].entity;
        if (entries_[slot].role == Role::left_out)
            continue;
        for (std::size_t i = 0; i < gap_rules.size(); ++i) {
            const vdcQualityRuleInfo& info = vdc_quality_rule_info(gap_rules[i]);
            const double tol = tolerance(gap_rules[i]);
            if (!(values[i] > tol))
                continue;
            // A boundary whose pieces are listed out of order may still close once reordered: the
            // builder tries.
            if (gap_rules[i] == vdcQualityRule::face_loop_gap) {
                entries_[slot].mend = true;
                continue;
            }
            leave_out(entity, info.id, info.help, values[i], tol, info.unit);
            break;
        }
    }
}

// An entity that refers to one left out cannot be built: a CONS without its SURF or CURVE, a FACE without its
// SURF or a CONS, a TOP without a side, a TLIST without its TMAT.
bool vdcExportPlan::uses_left_out(const vdaObject& entity)
{
    const auto gone = [this](const vdaObjectPtr& p) { return p && role(*p()) == Role::left_out; };
    std::string why;
    const auto note = [&](const vdaObjectPtr& p) {
        if (why.empty() && gone(p))
            why = named(*p());
    };
    if (const vdaCons* cons = vda_cast<vdaCons>(&entity)) {
        note(cons->basis_surface());
        note(cons->curve_3d());
    } else if (const vdaFace* face = vda_cast<vdaFace>(&entity)) {
        note(face->basis_surface());
        for_each_cons(*face, [&](const vdaObject& c) { note(const_cast<vdaObject*>(&c)); });
    } else if (const vdaTop* top = vda_cast<vdaTop>(&entity)) {
        for_each_side(*top, [&](const vdaObject& side) { note(const_cast<vdaObject*>(&side)); });
    } else if (const vdaTlist* tlist = vda_cast<vdaTlist>(&entity)) {
        note(tlist->transform());
    }
    if (why.empty())
        return false;
    leave_out(entity, "convert-uses-left-out", "uses " + why + ", which is left out");
    return true;
}

void vdcExportPlan::settle()
{
    for (Entry& e : entries_)
        if (e.entity && e.role != Role::left_out) {
            e.role = Role::none;
            e.part_of.clear();
        }
    for (bool changed = true; changed;) {
        changed = false;
        for (Entry& e : entries_)
            if (e.entity && e.role != Role::left_out && uses_left_out(*e.entity))
                changed = true;
    }
    // Who carries surfaces, cons and curves: the first face, or the first cons, that is kept; `named`
    // remembers that some entity uses them at all.
    std::vector<const vdaObject*> carrier(entries_.size(), nullptr);
    std::vector<const vdaObject*> user(entries_.size(), nullptr);
    const auto use = [&](const vdaObjectPtr& p, const vdaObject& by) {
        if (!p || p->file() != &file_)
            return;
        const std::uint32_t slot = p->slot();
        if (!user[slot])
            user[slot] = &by;
        if (!carrier[slot] && role(by) != Role::left_out)
            carrier[slot] = &by;
    };
    for (Entry& e : entries_)
        if (const vdaFace* face = vda_cast<vdaFace>(e.entity)) {
            use(face->basis_surface(), *face);
            for_each_cons(*face, [&](const vdaObject& c) { use(const_cast<vdaObject*>(&c), *face); });
        }
    for (Entry& e : entries_)
        if (const vdaCons* cons = vda_cast<vdaCons>(e.entity); cons && role(*cons) != Role::left_out) {
            // A cons left out as unused below has no carrier either: decide cons first.
            const std::uint32_t slot = cons->slot();
            if (carrier[slot]) {
                e.role = Role::part;
                e.part_of = named(*carrier[slot]);
            } else if (user[slot]) {
                leave_out(*cons, "convert-unused", "bounds only " + named(*user[slot]) + ", which is left out");
            } else {
                e.role = Role::edge;
            }
        }
    for (Entry& e : entries_)
        if (const vdaCons* cons = vda_cast<vdaCons>(e.entity))
            use(cons->curve_3d(), *cons);
    for (Entry& e : entries_)
        if (e.entity && e.role == Role::none)
            assign_role(e, carrier[e.entity->slot()], user[e.entity->slot()]);
    settle_lists();
}

void vdcExportPlan::assign_role(Entry& e, const vdaObject* carrier, const vdaObject* user)
{
    const vdaObject& entity = *e.entity;
    const auto carried = [&](Role otherwise, const char* what) {
        if (carrier) {
            e.role = Role::part;
            e.part_of = named(*carrier);
        } else if (user) {
            leave_out(entity, "convert-unused", std::string(what) + named(*user) + ", which is left out");
        } else {
            e.role = otherwise;
        }
    };
    if (entity.is_type(vdaFace::id))
        e.role = Role::face;
    else if (entity.is_type(vdaSurf::id))
        carried(Role::untrimmed_face, "trimmed only by ");
    else if (entity.is_type(vdaCurve::id))
        carried(Role::edge, "the space curve only of ");
    else if (entity.is_type(vdaCircle::id))
        e.role = Role::edge;
    else if (entity.is_type(vdaPoint::id))
        e.role = Role::vertex;
    else if (entity.is_type(vdaPset::id) || entity.is_type(vdaMDI::id))
        e.role = Role::vertices;
    else if (entity.is_type(vdaTop::id))
        e.role = Role::shell;
}

// Groups, sets and transformation lists are kept when some member is (directly or through a list it holds);
// a TMAT is kept as the placement of a kept TLIST. Lists that hold one another are decided by repeating
// until nothing changes.
void vdcExportPlan::settle_lists()
{
    const auto lists = [](const Entry& e) { return vda_cast<vdaElementList>(e.entity); };
    for (bool changed = true; changed;) {
        changed = false;
        for (Entry& e : entries_) {
            const vdaElementList* list = lists(e);
            if (!list || e.role != Role::none)
                continue;
            const bool tlist = list->is_type(vdaTlist::id);
            bool any = false, sewn = false;
            for_each_element(*list, [&](const vdaObject& m) {
                const bool in_shell = !tlist && m.file() == &file_ && entries_[m.slot()].in_shell;
                sewn = sewn || in_shell;
                any = any || (placeable(m) && !in_shell);
            });
            if (sewn)
                e.note = "its faces that are in shells are written in their shells only";
            if (any) {
                e.role = tlist ? Role::instances : Role::assembly;
                changed = true;
            }
        }
    }
    for (Entry& e : entries_)
        if (lists(e) && e.role == Role::none)
            leave_out(*e.entity, "convert-empty", "none of its members is exported on its own");
    for (Entry& e : entries_)
        if (const vdaTlist* tlist = vda_cast<vdaTlist>(e.entity); tlist && e.role == Role::instances)
            if (const vdaObjectPtr m = tlist->transform(); m && role(*m()) == Role::none) {
                entries_[m->slot()].role = Role::placement;
                entries_[m->slot()].part_of = named(*tlist);
            }
    for (Entry& e : entries_)
        if (e.entity && e.entity->is_type(vdaTmat::id) && e.role == Role::none)
            leave_out(*e.entity, "convert-unused", "no exported TLIST uses it");
}

bool vdcExportPlan::placeable(const vdaObject& entity) const noexcept
{
    if (entity.file() != &file_)
        return false;
    switch (role(entity)) {
    case Role::face:
    case Role::untrimmed_face:
    case Role::edge:
    case Role::vertex:
    case Role::vertices:
    case Role::shell:
    case Role::assembly:
    case Role::instances:
        return true;
    default:
        return false;
    }
}

void vdcExportPlan::report(vdcConvertResult& result) const
{
    static constexpr const char* roles[] = {
        "",         "",      "face",     "untrimmed face",    "",         "edge", "vertex",
        "vertices", "shell", "assembly", "located instances", "placement"};
    for (const Entry& e : entries_) {
        if (!e.entity || e.role == Role::none || e.role == Role::left_out)
            continue;
        std::string as = roles[static_cast<int>(e.role)];
        if (e.role == Role::part)
            as = std::string(e.entity->is_type(vdaSurf::id)   ? "surface of "
                             : e.entity->is_type(vdaCons::id) ? "edge of "
                                                              : "3-D curve of ") +
                 e.part_of;
        else if (e.role == Role::placement)
            as = "placement of " + e.part_of;
        else if (e.role == Role::vertices && e.entity->is_type(vdaMDI::id))
            as = "vertices (vectors not carried)";
        if (!e.note.empty())
            as += " (" + e.note + ")";
        result.exported.push_back(
            {std::string(e.entity->name().view()), e.entity->type().command_word(), e.entity->line(), std::move(as)});
    }
    result.left_out = left_out_;
    std::stable_sort(result.left_out.begin(), result.left_out.end(),
                     [](const vdcLeftOutEntity& a, const vdcLeftOutEntity& b) { return a.line < b.line; });
}
