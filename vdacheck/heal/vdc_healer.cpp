#include <vdacheck/heal/vdc_healer.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <limits>
#include <sstream>
#include <tuple>

#include <vdacheck/check/vdc_file_check.h>
#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/heal/vdc_cons_image.h>
#include <vdacheck/heal/vdc_edge_healer.h>
#include <vdacheck/heal/vdc_joint_healer.h>
#include <vdacheck/heal/vdc_loop_healer.h>
#include <vdacheck/heal/vdc_scratch_model.h>
#include <vdacheck/heal/vdc_seam_healer.h>
#include <vdacheck/heal/vdc_segment_merger.h>
#include <vdacheck/heal/vdc_strip_merger.h>
#include <vdacheck/io/vda_read_error.h>
#include <vdacheck/io/vda_reader.h>
#include <vdacheck/io/vda_write_error.h>
#include <vdacheck/io/vda_writer.h>
#include <vdacheck/model/vda_compare.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_current_file.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_surf.h>
#include <vdacheck/model/vda_top.h>
#include <vdacheck/quality/vdc_quality_check.h>
#include <vdacheck/repair/vdc_repair.h>
#include <vdacheck/util/ut_big_stack.h>

namespace {

using R = vdcQualityRule;

bool healed_rule(R rule)
{
    switch (rule) {
    case R::curve_segment_gap:
    case R::curve_segment_kink:
    case R::curve_tiny_segment:
    case R::surf_patch_gap:
    case R::surf_patch_kink:
    case R::surf_tiny_patch:
    case R::cons_curve_deviation:
    case R::cons_segment_gap:
    case R::face_loop_gap:
    case R::top_edge_gap:
    case R::top_continuity:
        return true;
    default:
        return false;
    }
}

std::string number(double value)
{
    std::ostringstream s;
    s.precision(6);
    s << value;
    return s.str();
}

std::string measure(double value, const char* unit) { return number(value) + " " + unit; }

bool on_surface_grid(R rule)
{
    return rule == R::surf_patch_gap || rule == R::surf_patch_kink || rule == R::surf_tiny_patch ||
           rule == R::surf_degenerate_edge || rule == R::surf_undefined_normal;
}
bool on_segments(R rule)
{
    return rule == R::curve_segment_gap || rule == R::curve_segment_kink || rule == R::curve_tiny_segment;
}

// A profile that reports every value it measures (a tolerance no value meets), for the values after.
vdcQualityProfile measuring_all(const vdcQualityProfile& profile)
{
    vdcQualityProfile all = profile;
    for (std::size_t r = 0; r < vdc_num_quality_rules; ++r) {
        const R rule = static_cast<R>(r);
        // Its tolerance also says where a normal is undefined, which the kinks leave out; healing does not
        // close it, so its own findings are not needed.
        if (rule == R::surf_undefined_normal)
            continue;
        all.set_tolerance(rule, vdc_quality_rule_info(rule).limit == vdcQualityLimit::at_most
                                    ? -std::numeric_limits<double>::infinity()
                                    : std::numeric_limits<double>::infinity());
    }
    return all;
}

}  // namespace

vdcHealer::vdcHealer(vdaFile& file, const vdcHealOptions& options) : file_(file), options_(options), ledger_(file) {}

vdcHealResult vdcHealer::run()
{
    result_.repair = vdc_repair(file_, options_.cancel);
    const vdaCurrentFile current(file_);  // checks find entities by name in it
    result_.tolerance = options_.tolerance;
    result_.angle = options_.angle;
    result_.before = vdcQualityCheck(options_.profile, options_.threads, options_.cancel).run(file_);
    sort_findings();

    // Entity by entity, in the order: surfaces, curves, cons, faces, topology; the space curves of cons
    // last, on the surfaces as healed.
    std::map<utString, Items> by_entity;
    Items deviations;
    for (std::size_t k = 0; k < items_.size(); ++k)
        if (items_[k].healing) {
            if (items_[k].finding.rule == R::cons_curve_deviation)
                deviations.push_back(k);
            else
                by_entity[items_[k].finding.entity].push_back(k);
        }
    for (const TypeInfo* type : {&vdaSurf::id, &vdaCurve::id, &vdaCons::id, &vdaFace::id, &vdaTop::id})
        for (const auto& [name, items] : by_entity) {
            vdaObject* entity = file_.find(name);
            if (!entity || !entity->is_type(*type))
                continue;
            if (type == &vdaSurf::id)
                heal_surface(static_cast<vdaSurf&>(*entity), items);
            else if (type == &vdaCurve::id)
                heal_curve(static_cast<vdaCurve&>(*entity), items);
            else if (type == &vdaCons::id)
                heal_cons(static_cast<vdaCons&>(*entity), items);
            else if (type == &vdaFace::id)
                heal_face(static_cast<vdaFace&>(*entity), items);
            else
                heal_top(static_cast<vdaTop&>(*entity), items);
        }
    heal_deviations(deviations);
    for (Item& item : items_)
        if (item.healing && item.changed.empty())
            leave(static_cast<std::size_t>(&item - items_.data()), "nothing could be changed to heal it");
    keep_promise();
    return std::move(result_);
}

void vdcHealer::sort_findings()
{
    if (file_.has_duplicate_names()) {
        std::set<utString> seen;
        for (const vdaObject& e : file_)
            if (!seen.insert(e.name()).second)
                duplicated_.insert(e.name());
    }
    for (const vdcQualityFinding& f : result_.before.findings) {
        Item& item = items_.emplace_back();
        item.finding = f;
        const std::size_t k = items_.size() - 1;
        const vdcQualityRuleInfo& info = vdc_quality_rule_info(f.rule);
        const bool angle = std::string_view(info.unit) == "deg";
        const double limit = angle ? options_.angle : options_.tolerance;
        if (!healed_rule(f.rule))
            leave(k, "not a rule healing closes");
        else if (std::isnan(f.value))
            leave(k, "its value is not a number");
        else if (info.limit == vdcQualityLimit::at_most && !(f.value <= limit))
            leave(k, "above the healing " + std::string(angle ? "angle (" : "tolerance (") + measure(limit, info.unit) +
                         ")");
        else if (duplicated_.count(f.entity))
            leave(k, "another entity has the same name");
    }
    for (const vdaObject& e : file_)
        if (const auto* cons = vda_cast<vdaCons>(&e))
            ++cons_per_curve_[cons->curve_3d_name()];
}

void vdcHealer::heal_surface(vdaSurf& surf, const Items& items)
{
    Items seams, tiny;
    for (std::size_t k : items)
        (items_[k].finding.rule == R::surf_tiny_patch ? tiny : seams).push_back(k);
    if (!seams.empty()) {
        const auto eval = vdaSurfEval::make(surf);
        if (!eval) {
            leave(seams, std::string("the surface cannot be evaluated: ") + eval.why_not());
        } else {
            std::map<std::tuple<int, int, int>, vdcSeamHealer::Seam> wanted;
            for (std::size_t k : seams) {
                const vdcQualityFinding& f = items_[k].finding;
                vdcSeamHealer::Seam& s = wanted[{f.where.indices[0], f.where.indices[1], f.where.indices[2]}];
                s = {f.where.indices[0], f.where.indices[1], f.where.indices[2],
                     s.tangent || f.rule == R::surf_patch_kink};
            }
            // A kink is made tangent across a closed seam only: not where the seam's gap is too wide to close.
            for (const Item& item : items_)
                if (!item.healing && item.finding.rule == R::surf_patch_gap && item.finding.entity == surf.name())
                    wanted.erase(
                        {item.finding.where.indices[0], item.finding.where.indices[1], item.finding.where.indices[2]});
            Items kept;
            for (std::size_t k : seams) {
                const auto& i = items_[k].finding.where.indices;
                if (wanted.count({i[0], i[1], i[2]}))
                    kept.push_back(k);
                else
                    leave(k, "the seam's gap is too wide to close");
            }
            std::vector<vdcSeamHealer::Seam> list;
            for (const auto& [key, s] : wanted)
                list.push_back(s);
            std::string why;
            if (!kept.empty()) {
                if (auto patches = vdcSeamHealer(options_.tolerance).heal(*eval, list, why)) {
                    change(kept, surf);
                    surf.set_patches(surf.num_patches_in_u(), surf.num_patches_in_v(), std::move(*patches));
                    for (std::size_t k : kept)
                        items_[k].how = items_[k].finding.rule == R::surf_patch_kink
                                            ? "the patches share the seam and their tangent plane along it"
                                            : "the patches share the seam";
                } else {
                    leave(kept, why);
                }
            }
        }
    }
    // Thin strips of patches, from the last so that the indices of the others stay as they are.
    std::map<std::pair<int, int>, Items, std::greater<>> strips;
    for (std::size_t k : tiny) {
        const vdcQualityFinding& f = items_[k].finding;
        const int direction = f.where.indices[2];
        strips[{direction, f.where.indices[static_cast<std::size_t>(direction)]}].push_back(k);
    }
    for (const auto& [strip, its] : strips) {
        const auto [direction, index] = strip;
        const auto eval = vdaSurfEval::make(surf);
        if (!eval) {
            leave(its, std::string("the surface cannot be evaluated: ") + eval.why_not());
            continue;
        }
        auto merged = vdcStripMerger(options_.tolerance).merge(*eval, direction, index);
        if (!merged) {
            leave(its, "merging it into a neighbour would move the surface by more than the tolerance");
            continue;
        }
        const int count = direction == 0 ? eval->num_patches_u() : eval->num_patches_v();
        change(its, surf);
        ledger_.merged(surf.name(), direction, index, merged->into_next ? index + 1 : index - 1, count);
        surf.set_patches(merged->nu, merged->nv, std::move(merged->patches));
        healed(its, merged->into_next ? "merged into the next strip of patches"
                                      : "merged into the previous strip of patches");
    }
}

void vdcHealer::heal_curve(vdaCurve& curve, const Items& items)
{
    std::map<int, vdcJointHealer<giPoint3>::Joint> joints;
    Items joint_items, tiny;
    for (std::size_t k : items) {
        const vdcQualityFinding& f = items_[k].finding;
        if (f.rule == R::curve_tiny_segment) {
            tiny.push_back(k);
            continue;
        }
        joint_items.push_back(k);
        vdcJointHealer<giPoint3>::Joint& j = joints[f.where.indices[0]];
        j.index = f.where.indices[0];
        j.tangent = j.tangent || f.rule == R::curve_segment_kink;
    }
    const auto eval = vdaCurveEval::make(curve);
    if (!eval) {
        leave(items, std::string("the curve cannot be evaluated: ") + eval.why_not());
        return;
    }
    if (!joints.empty()) {
        vdcJointHealer<giPoint3> healer(curve.segments(), 0.5 * options_.tolerance);
        for (const auto& [index, joint] : joints)
            if (index >= 0 && index + 1 < curve.num_segments())
                healer.heal(joint);
        change(joint_items, curve);
        curve.set_segments(healer.segments());
        for (std::size_t k : joint_items)
            items_[k].how = items_[k].finding.rule == R::curve_segment_kink
                                ? "the tangents at the joint turned to one direction"
                                : "the segment ends met at their midpoint";
    }
    // Tiny segments from the last, so that the indices of the others stay as they are.
    std::sort(tiny.begin(), tiny.end(), [&](std::size_t a, std::size_t b) {
        return items_[a].finding.where.indices[0] > items_[b].finding.where.indices[0];
    });
    const bool mapped_onto = cons_per_curve_.count(curve.name()) > 0;
    const double shortest =
        options_.profile.enabled(R::curve_tiny_segment) ? options_.profile.tolerance(R::curve_tiny_segment) : 0.0;
    const double smooth =
        options_.profile.enabled(R::curve_segment_kink) ? options_.profile.tolerance(R::curve_segment_kink) : 0.0;
    for (std::size_t k : tiny) {
        const int index = items_[k].finding.where.indices[0];
        const int now = ledger_.changed(curve.name()) ? ledger_.index_now(curve.name(), 0, index) : index;
        if (now < 0 || now >= curve.num_segments()) {
            leave(k, "its segment is no longer there");
            continue;
        }
        auto merged = vdcSegmentMerger(options_.tolerance, shortest, smooth, !mapped_onto).merge(curve.segments(), now);
        if (!merged) {
            leave(k, curve.num_segments() < 2 ? "the curve has no other segment to merge it into"
                                              : "merging it into a neighbour would move the curve by more than the "
                                                "tolerance, or leave the merged segment tiny");
            continue;
        }
        const int count = curve.num_segments();
        const bool into_next = merged->into_next;
        change({k}, curve);
        ledger_.merged(curve.name(), 0, now, into_next ? now + 1 : now - 1, count);
        if (merged->by_arc)
            ledger_.mark_by_arc(curve.name());
        curve.set_segments(std::move(merged->segments));
        items_[k].how = into_next ? "merged into the next segment" : "merged into the previous segment";
    }
}

void vdcHealer::heal_cons(vdaCons& cons, const Items& items)
{
    const auto eval = vdaConsEval::make(cons);
    if (!eval) {
        leave(items, std::string("the cons cannot be evaluated: ") + eval.why_not());
        return;
    }
    vdcJointHealer<giPoint2> healer(cons.segments());
    for (std::size_t k : items) {
        const int index = items_[k].finding.where.indices[0];
        if (index >= 0 && index + 1 < cons.num_segments())
            healer.heal({index, true, false});
    }
    change(items, cons);
    cons.set_segments(healer.segments());
    healed(items, "the segment ends met at their midpoint in the surface's parameters");
}

void vdcHealer::heal_face(vdaFace& face, const Items& items)
{
    for (std::size_t k : items) {
        const vdcQualityFinding& f = items_[k].finding;
        const int b = f.where.indices[0], p = f.where.indices[1];
        const auto* surf = vda_cast<vdaSurf>(face.basis_surface()());
        const auto s = surf ? vdaSurfEval::make(*surf) : vdaEvalResult<vdaSurfEval>::refused("no surface");
        if (!s || b < 0 || b >= face.num_boundaries() || face.boundary(b).num_curve_segments() == 0) {
            leave(k, "the face cannot be evaluated");
            continue;
        }
        vdaBoundary& loop = face.boundary(b);
        const int q = (p + 1) % loop.num_curve_segments();
        vdaTrimmedCurve& first = loop.curve_segment(p);
        vdaTrimmedCurve& second = loop.curve_segment(q);
        auto* c1 = vda_cast<vdaCons>(first.basis_curve()());
        auto* c2 = vda_cast<vdaCons>(second.basis_curve()());
        const auto e1 = c1 ? vdaConsEval::make(*c1) : vdaEvalResult<vdaConsEval>::refused("no cons");
        const auto e2 = c2 ? vdaConsEval::make(*c2) : vdaEvalResult<vdaConsEval>::refused("no cons");
        if (!e1 || !e2) {
            leave(k, "a trimmed curve cannot be evaluated");
            continue;
        }
        std::string why;
        const vdcLoopHealer::Piece a{&*e1, first.start_parameter(), first.end_parameter()};
        const vdcLoopHealer::Piece c{c1 == c2 ? &*e1 : &*e2, second.start_parameter(), second.end_parameter()};
        std::optional<vdcLoopHealer::Fix> fix = vdcLoopHealer(options_.tolerance).heal(*s, a, c, why);
        if (!fix) {
            leave(k, why);
            continue;
        }
        if (fix->by_trims) {
            change({k}, face);
            const double second_end = second.end_parameter();
            first.set_parameters(first.start_parameter(), fix->end);
            second.set_parameters(fix->start, p == q ? fix->end : second_end);
            items_[k].how = "the trimmed curves trimmed to where they cross";
        } else {
            change({k}, *c1);
            if (c2 != c1)
                change({k}, *c2);
            c1->set_segments(std::move(fix->segments[0]));
            if (c2 != c1)
                c2->set_segments(std::move(fix->segments[1]));
            items_[k].how = "the ends of the cons moved to meet at their midpoint";
        }
    }
}

void vdcHealer::heal_top(vdaTop& top, const Items& items)
{
    std::map<int, Items> pairs;
    for (std::size_t k : items)
        pairs[items_[k].finding.where.indices[0]].push_back(k);
    for (const auto& [index, its] : pairs) {
        if (index < 0 || index >= top.num_surface_pairs()) {
            leave(its, "the pair is no longer there");
            continue;
        }
        const vdaSurfacePair& pair = top.surface_pair(index);
        vdaSurf* surfs[2] = {nullptr, nullptr};
        std::deque<vdaConsEval> evals;
        std::vector<vdcEdgeHealer::Piece> pieces[2];
        bool ok = true;
        for (int side = 0; side < 2 && ok; ++side) {
            const vdaLinkedSurf& linked = side == 0 ? pair.first_linked_surface() : pair.second_linked_surface();
            vdaObject* basis = linked.basis_entity()();
            if (auto* face = vda_cast<vdaFace>(basis))
                basis = face->basis_surface()();
            surfs[side] = vda_cast<vdaSurf>(basis);
            ok = surfs[side] != nullptr;
            for (int j = 0; ok && j < linked.num_trimmed_curves(); ++j) {
                const auto* cons = vda_cast<vdaCons>(linked.trimmed_curve(j).basis_curve()());
                auto e = cons ? vdaConsEval::make(*cons) : vdaEvalResult<vdaConsEval>::refused("no cons");
                ok = static_cast<bool>(e);
                if (ok) {
                    evals.push_back(*e);
                    pieces[side].push_back({&evals.back(), linked.trimmed_curve(j).start_parameter(),
                                            linked.trimmed_curve(j).end_parameter()});
                }
            }
        }
        if (!ok || surfs[0] == surfs[1]) {
            leave(its, ok ? "both sides lie on one surface" : "a side cannot be evaluated");
            continue;
        }
        const auto a = vdaSurfEval::make(*surfs[0]), b = vdaSurfEval::make(*surfs[1]);
        const std::optional<int> ea = a ? vdcEdgeHealer::boundary_edge(*a, pieces[0]) : std::nullopt;
        const std::optional<int> eb = b ? vdcEdgeHealer::boundary_edge(*b, pieces[1]) : std::nullopt;
        if (!ea || !eb) {
            leave(its, "the edge does not run along a whole boundary edge of both surfaces");
            continue;
        }
        bool close = true, tangent = false;
        for (std::size_t k : its)
            tangent = tangent || items_[k].finding.rule == R::top_continuity;
        for (const Item& item : items_)
            if (!item.healing && item.finding.rule == R::top_edge_gap && item.finding.entity == top.name() &&
                item.finding.where.indices[0] == index)
                close = false;
        std::string why;
        auto patches = vdcEdgeHealer::heal(*a, *ea, *b, *eb, close, tangent, options_.tolerance, why);
        if (!patches) {
            leave(its, why);
            continue;
        }
        change(its, *surfs[0]);
        change(its, *surfs[1]);
        surfs[0]->set_patches(surfs[0]->num_patches_in_u(), surfs[0]->num_patches_in_v(), std::move(patches->first));
        surfs[1]->set_patches(surfs[1]->num_patches_in_u(), surfs[1]->num_patches_in_v(), std::move(patches->second));
        healed(its, tangent ? "the surfaces meet along the edge, tangent" : "the surfaces meet along the edge");
    }
}

bool vdcHealer::rebuild_curve(vdaCons& cons, const Items& items, std::string& why)
{
    auto* curve = vda_cast<vdaCurve>(cons.curve_3d()());
    auto* surf = vda_cast<vdaSurf>(cons.basis_surface()());
    if (!curve || !surf) {
        why = "its curve or surface is missing";
        return false;
    }
    if (cons_per_curve_[curve->name()] != 1) {
        why = "its curve is shared with another cons";
        return false;
    }
    const auto c = vdaConsEval::make(cons);
    const auto space = vdaCurveEval::make(*curve);
    const auto s = vdaSurfEval::make(*surf);
    if (!c || !space || !s) {
        why = "it, its curve or its surface cannot be evaluated";
        return false;
    }
    const double lo = std::min(c->curve_start(), c->curve_end()), hi = std::max(c->curve_start(), c->curve_end());
    if (lo != space->start() || hi != space->end()) {
        why = "it maps onto part of its curve only";
        return false;
    }
    const double shortest =
        options_.profile.enabled(R::curve_tiny_segment) ? 2.0 * options_.profile.tolerance(R::curve_tiny_segment) : 0.0;
    auto segments = vdcConsImage(0.1 * options_.tolerance, shortest).make(*c, *s, why);
    if (!segments)
        return false;
    change(items, *curve);
    curve->set_segments(std::move(*segments));
    return true;
}

void vdcHealer::heal_deviations(const Items& items)
{
    std::set<utString> rebuilt;
    for (std::size_t k : items) {
        auto* cons = vda_cast<vdaCons>(file_.find(items_[k].finding.entity));
        std::string why;
        if (cons && rebuild_curve(*cons, {k}, why)) {
            items_[k].how = "the curve rebuilt as the image of the cons on its surface";
            rebuilt.insert(cons->name());
        } else {
            leave(k, cons ? why : "the cons is no longer there");
        }
    }
    // Cons whose surface or own segments healing changed, and whose curves no longer match them: their
    // curves follow, for the healings that moved them.
    vdcScratchModel scratch;
    std::vector<vdaCons*> moved;
    for (vdaObject& e : file_)
        if (auto* cons = vda_cast<vdaCons>(&e))
            if (!rebuilt.count(cons->name()) &&
                (ledger_.changed(cons->name()) || ledger_.changed(cons->basis_surface_name()))) {
                moved.push_back(cons);
                scratch.add(*cons);
            }
    if (moved.empty())
        return;
    vdcQualityProfile deviation_only;
    deviation_only.set_all_enabled(false);
    deviation_only.set_enabled(R::cons_curve_deviation, options_.profile.enabled(R::cons_curve_deviation));
    deviation_only.set_tolerance(R::cons_curve_deviation, options_.profile.tolerance(R::cons_curve_deviation));
    const vdcQualityReport now = vdcQualityCheck(deviation_only, options_.threads).run(scratch.file());
    std::set<utString> off;
    for (const vdcQualityFinding& f : now.findings)
        off.insert(f.entity);
    std::set<utString> found_before;
    for (const vdcQualityFinding& f : result_.before.findings)
        if (f.rule == R::cons_curve_deviation)
            found_before.insert(f.entity);
    for (vdaCons* cons : moved) {
        if (!off.count(cons->name()) || found_before.count(cons->name()))
            continue;
        Items why_moved;
        for (const utString& name : {cons->name(), cons->basis_surface_name()})
            if (const auto it = changed_by_.find(name); it != changed_by_.end())
                why_moved.insert(why_moved.end(), it->second.begin(), it->second.end());
        std::string why;
        rebuild_curve(*cons, why_moved, why);  // where it cannot, the promise check undoes what moved it
    }
}

void vdcHealer::change(const Items& items, const vdaObject& entity)
{
    ledger_.keep(entity);
    for (std::size_t k : items) {
        std::vector<utString>& changed = items_[k].changed;
        if (std::find(changed.begin(), changed.end(), entity.name()) == changed.end())
            changed.push_back(entity.name());
        Items& by = changed_by_[entity.name()];
        if (std::find(by.begin(), by.end(), k) == by.end())
            by.push_back(k);
    }
}

void vdcHealer::leave(std::size_t item, std::string reason)
{
    items_[item].healing = false;
    items_[item].reason = std::move(reason);
}

void vdcHealer::leave(const Items& items, const std::string& reason)
{
    for (std::size_t k : items)
        leave(k, reason);
}

void vdcHealer::healed(const Items& items, const std::string& how)
{
    for (std::size_t k : items)
        items_[k].how = how;
}

void vdcHealer::undo(const utString& entity, const std::string& why)
{
    std::set<utString> entities{entity};
    std::set<std::size_t> involved;
    std::vector<utString> queue{entity};
    while (!queue.empty()) {
        const utString name = queue.back();
        queue.pop_back();
        const auto it = changed_by_.find(name);
        if (it == changed_by_.end())
            continue;
        for (std::size_t k : it->second)
            if (involved.insert(k).second)
                for (const utString& e : items_[k].changed)
                    if (entities.insert(e).second)
                        queue.push_back(e);
    }
    std::string names;
    for (const utString& e : entities) {
        ledger_.restore(e);
        changed_by_.erase(e);
        names += (names.empty() ? "" : ", ") + std::string(e.view());
    }
    for (std::size_t k : involved) {
        leave(k, "undone: " + why);
        items_[k].changed.clear();
    }
    result_.undone.push_back(names + ": " + why);
}

std::set<utString> vdcHealer::measured_with(const utString& name) const
{
    std::set<utString> out = measured_with(file_.find(name));
    out.insert(name);
    return out;
}

std::set<utString> vdcHealer::measured_with(const vdaObject* e) const
{
    std::set<utString> out;
    if (e)
        out.insert(e->name());
    auto add = [&](const utString& n) {
        if (!n.empty())
            out.insert(n);
    };
    auto add_face = [&](const vdaFace& f) {
        add(f.basis_surface_name());
        for (int b = 0; b < f.num_boundaries(); ++b)
            for (int k = 0; k < f.boundary(b).num_curve_segments(); ++k)
                add(f.boundary(b).curve_segment(k).basis_curve_name());
    };
    if (const auto* c = vda_cast<vdaCons>(e)) {
        add(c->basis_surface_name());
        add(c->curve_3d_name());
    } else if (const auto* f = vda_cast<vdaFace>(e)) {
        add_face(*f);
    } else if (const auto* t = vda_cast<vdaTop>(e)) {
        for (int i = 0; i < t->num_surface_pairs(); ++i)
            for (const vdaLinkedSurf* side :
                 {&t->surface_pair(i).first_linked_surface(), &t->surface_pair(i).second_linked_surface()}) {
                add(side->basis_entity_name());
                if (const auto* f = vda_cast<vdaFace>(side->basis_entity()()))
                    add(f->basis_surface_name());
                for (int j = 0; j < side->num_trimmed_curves(); ++j)
                    add(side->trimmed_curve(j).basis_curve_name());
            }
    }
    return out;
}

vdcHealer::ItemKey vdcHealer::item_of(const vdcQualityFinding& f, bool now) const
{
    std::array<int, 4> at = f.where.indices;
    switch (f.rule) {
    case R::cons_curve_deviation:
    case R::cons_outside_domain:
    case R::face_loop_self_intersection:
        at = {};
        break;
    case R::top_edge_gap:
    case R::top_continuity:
        at = {at[0], 0, 0, 0};
        break;
    case R::surf_tiny_patch:
        at[2] = 0;
        break;
    default:
        break;
    }
    if (now && (on_segments(f.rule) || on_surface_grid(f.rule)))
        for (std::size_t d = 0; d < (on_surface_grid(f.rule) ? 2u : 1u); ++d)
            at[d] = ledger_.index_now(f.entity, static_cast<int>(d), at[d]);
    return {f.rule, f.entity, at};
}

bool vdcHealer::undo_new(const std::vector<vdcQualityFinding>& after)
{
    std::set<ItemKey> before;
    for (const vdcQualityFinding& f : result_.before.findings)
        before.insert(item_of(f, true));
    bool undid = false;
    for (const vdcQualityFinding& f : after) {
        if (before.count(item_of(f, false)))
            continue;
        for (const utString& name : measured_with(f.entity))
            if (ledger_.changed(name)) {
                undo(name, std::string(f.entity.view()) + " would get " + vdc_quality_rule_info(f.rule).id + " " +
                               measure(f.value, f.unit()) + ", beyond its tolerance " + measure(f.tolerance, f.unit()));
                undid = true;
            }
    }
    return undid;
}

std::set<utString> vdcHealer::readers_of(const std::vector<utString>& names) const
{
    std::set<utString> out(names.begin(), names.end());
    if (out.empty())
        return out;
    const std::set<utString> changed = out;
    for (const vdaObject& e : file_)
        if (e.is_type(vdaCons::id) || e.is_type(vdaFace::id) || e.is_type(vdaTop::id)) {
            const std::set<utString> reads = measured_with(&e);
            if (std::any_of(reads.begin(), reads.end(), [&](const utString& n) { return changed.count(n) > 0; }))
                out.insert(e.name());
        }
    return out;
}

void vdcHealer::keep_promise()
{
    const double tolerance = options_.tolerance;
    std::map<utString, double> moved;
    for (int round = 0;; ++round) {
        bool undid = false;
        // No point moves beyond the tolerance.
        moved.clear();
        for (const utString& name : ledger_.changed()) {
            if (!ledger_.changed(name))
                continue;  // undone with another one in this round
            const double d = ledger_.displacement(name);
            moved[name] = d;
            if (!(d <= tolerance * (1.0 + 1e-9))) {
                undo(name, std::string(name.view()) + " would move by " + measure(d, "mm") + ", beyond the tolerance");
                undid = true;
            }
        }
        // The changed entities check clean.
        {
            // On one stack deep enough for the whole model, rather than a thread of its own for each check.
            std::vector<utString> faulty;
            utBigStack::run_with(vdcFileCheck::stack_for(std::size_t(file_.size())) + (std::size_t{1} << 20), [&] {
                vdcFileCheck checker;
                for (const utString& name : ledger_.changed())
                    if (vdaObject* e = file_.find(name); e && !checker.check(vdaObjectPtr(e)))
                        faulty.push_back(name);
            });
            for (const utString& name : faulty)
                if (ledger_.changed(name)) {
                    undo(name, std::string(name.view()) + " would not check clean");
                    undid = true;
                }
        }
        // And read back from their written text as themselves.
        {
            vdcScratchModel alone(true);
            for (const utString& name : ledger_.changed())
                if (const vdaObject* e = file_.find(name))
                    alone.add(*e);
            std::ostringstream text;
            std::string trouble;
            try {
                vdaWriter::write(alone.file(), text);
                vdaReadOptions one_thread;
                one_thread.threads = 1;
                const std::unique_ptr<vdaFile> back = vdaReader::read(text.str(), "healed.vda", one_thread);
                file_.make_current();
                trouble = vda_first_difference(alone.file(), *back);
            } catch (const std::exception& e) {
                file_.make_current();
                trouble = e.what();
            }
            if (!trouble.empty()) {
                for (const utString& name : ledger_.changed())
                    undo(name, "the healed entities would not read back as written: " + trouble);
                undid = true;
            }
        }
        // Nothing within its tolerance before is outside it after: measured first on the changed entities and
        // those that read them, then, once that holds, on the whole model.
        if (!undid) {
            std::set<utString> measured = readers_of(ledger_.changed());
            vdcScratchModel scratch;
            for (const utString& name : measured)
                if (const vdaObject* e = file_.find(name))
                    scratch.add(*e);
            const vdcQualityReport near = vdcQualityCheck(options_.profile, options_.threads).run(scratch.file());
            std::vector<vdcQualityFinding> found;
            for (const vdcQualityFinding& f : near.findings)
                if (measured.count(f.entity))
                    found.push_back(f);
            undid = undo_new(found);
        }
        if (!undid) {
            // A model healing left as it was measures as before.
            result_.after = ledger_.changed().empty() ? result_.before
                                                      : vdcQualityCheck(options_.profile, options_.threads).run(file_);
            undid = undo_new(result_.after.findings);
        }
        if (!undid || round > 100)
            break;
    }

    // The values after, measured where the findings were.
    vdcScratchModel scratch;
    for (const Item& item : items_)
        if (item.healing)
            if (const vdaObject* e = file_.find(item.finding.entity))
                scratch.add(*e);
    const vdcQualityReport values =
        vdcQualityCheck(measuring_all(options_.profile), options_.threads).run(scratch.file());
    std::map<ItemKey, double> value_at;
    std::map<std::tuple<R, utString, double>, double> value_at_parameter;
    for (const vdcQualityFinding& f : values.findings) {
        value_at[item_of(f, false)] = f.value;
        if (f.rule == R::curve_segment_gap || f.rule == R::curve_segment_kink)
            value_at_parameter[{f.rule, f.entity, f.where.parameters[0]}] = f.value;
    }
    for (std::size_t k = 0; k < items_.size(); ++k) {
        Item& item = items_[k];
        const vdcQualityFinding& f = item.finding;
        const std::size_t r = static_cast<std::size_t>(f.rule);
        if (!item.healing) {
            result_.left.push_back({f, item.reason});
            ++result_.counts[r].left;
            continue;
        }
        // A joint or seam inside a merged element is gone.
        bool vanished = false;
        if (f.rule == R::curve_segment_gap || f.rule == R::curve_segment_kink || f.rule == R::surf_patch_gap ||
            f.rule == R::surf_patch_kink) {
            const int d = on_surface_grid(f.rule) ? f.where.indices[2] : 0;
            const int i = f.where.indices[static_cast<std::size_t>(d)];
            vanished = ledger_.restructured(f.entity) &&
                       ledger_.index_now(f.entity, d, i) == ledger_.index_now(f.entity, d, i + 1);
        }
        double after = std::numeric_limits<double>::quiet_NaN();
        if (const auto found = value_at.find(item_of(f, true)); found != value_at.end())
            after = found->second;
        // A curve rebuilt from its cons has joints of its own: the one healed is found by its parameter, or
        // is gone where the curve now runs through it in one piece.
        if (std::isnan(after) && (f.rule == R::curve_segment_gap || f.rule == R::curve_segment_kink)) {
            const auto found = value_at_parameter.find({f.rule, f.entity, f.where.parameters[0]});
            const auto* curve = vda_cast<vdaCurve>(file_.find(f.entity));
            if (found != value_at_parameter.end())
                after = found->second;
            else if (curve &&
                     std::none_of(curve->segments().begin(), curve->segments().end(), [&](const vdaCurveSegment& s) {
                         return s.start_parameter() == f.where.parameters[0];
                     }))
                vanished = true;
        }
        if (vanished)
            after = 0.0;
        const bool at_most = vdc_quality_rule_info(f.rule).limit == vdcQualityLimit::at_most;
        if (at_most ? !(after <= f.tolerance) : !(after >= f.tolerance)) {
            result_.left.push_back({f, "healing brought it to " + measure(after, f.unit()) + " only"});
            ++result_.counts[r].left;
            continue;
        }
        vdcHealedItem healed{f, after, 0.0, item.changed, item.how};
        for (const utString& name : item.changed)
            healed.displacement = std::max(healed.displacement, moved.count(name) ? moved[name] : 0.0);
        result_.largest_displacement = std::max(result_.largest_displacement, healed.displacement);
        result_.healed.push_back(std::move(healed));
        ++result_.counts[r].healed;
    }
}
