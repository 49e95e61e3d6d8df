#include <vdacheck/heal/vdc_heal_ledger.h>

#include <algorithm>
#include <memory>
#include <numeric>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/geometry/gi_vector_ops.h>
#include <vdacheck/heal/vdc_displacement.h>
#include <vdacheck/heal/vdc_largest.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_face.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_surf.h>

void vdcHealLedger::keep(const vdaObject& entity)
{
    if (kept_.count(entity.name()))
        return;
    Kept k;
    k.was_changed = entity.changed();
    k.order = next_++;
    if (const auto* c = vda_cast<vdaCurve>(&entity)) {
        k.curve = c->segments();
    } else if (const auto* n = vda_cast<vdaCons>(&entity)) {
        k.cons = n->segments();
    } else if (const auto* s = vda_cast<vdaSurf>(&entity)) {
        k.nu = s->num_patches_in_u();
        k.nv = s->num_patches_in_v();
        k.patches = s->patches();
    } else if (const auto* f = vda_cast<vdaFace>(&entity)) {
        for (int b = 0; b < f->num_boundaries(); ++b) {
            auto& loop = k.trims.emplace_back();
            for (int p = 0; p < f->boundary(b).num_curve_segments(); ++p)
                loop.emplace_back(f->boundary(b).curve_segment(p).start_parameter(),
                                  f->boundary(b).curve_segment(p).end_parameter());
        }
    }
    kept_.emplace(entity.name(), std::move(k));
}

std::vector<utString> vdcHealLedger::changed() const
{
    std::vector<std::pair<int, utString>> order;
    for (const auto& [name, k] : kept_)
        order.emplace_back(k.order, name);
    std::sort(order.begin(), order.end());
    std::vector<utString> out;
    for (auto& [o, name] : order)
        out.push_back(name);
    return out;
}

void vdcHealLedger::restore(const utString& name)
{
    const auto it = kept_.find(name);
    if (it == kept_.end())
        return;
    const Kept& k = it->second;
    if (vdaObject* entity = file_.find(name)) {
        if (auto* c = vda_cast<vdaCurve>(entity))
            c->set_segments(k.curve);
        else if (auto* n = vda_cast<vdaCons>(entity))
            n->set_segments(k.cons);
        else if (auto* s = vda_cast<vdaSurf>(entity))
            s->set_patches(k.nu, k.nv, k.patches);
        else if (auto* f = vda_cast<vdaFace>(entity))
            for (int b = 0; b < f->num_boundaries() && b < static_cast<int>(k.trims.size()); ++b)
                for (int p = 0; p < f->boundary(b).num_curve_segments(); ++p) {
                    const auto& [w1, w2] = k.trims[static_cast<std::size_t>(b)][static_cast<std::size_t>(p)];
                    f->boundary(b).curve_segment(p).set_parameters(w1, w2);
                }
        if (!k.was_changed)
            entity->mark_unchanged();
    }
    kept_.erase(it);
}

double vdcHealLedger::displacement(const utString& name) const
{
    const auto it = kept_.find(name);
    const vdaObject* entity = file_.find(name);
    if (it == kept_.end() || !entity)
        return 0.0;
    const Kept& k = it->second;
    // A surface as it was: its kept patches when healing changed it, else itself.
    auto surface_before = [&](const vdaObject* surf) -> std::unique_ptr<vdaSurf> {
        const auto* s = vda_cast<vdaSurf>(surf);
        const auto kept = s ? kept_.find(s->name()) : kept_.end();
        if (kept == kept_.end())
            return nullptr;
        return std::make_unique<vdaSurf>("", kept->second.nu, kept->second.nv, kept->second.patches);
    };
    if (const auto* c = vda_cast<vdaCurve>(entity))
        return k.by_arc ? vdcDisplacement::curves_apart(k.curve, c->segments())
                        : vdcDisplacement::curves(k.curve, c->segments());
    if (const auto* s = vda_cast<vdaSurf>(entity)) {
        const vdaSurf before("", k.nu, k.nv, k.patches);
        const auto a = vdaSurfEval::make(before), b = vdaSurfEval::make(*s);
        return a && b ? vdcDisplacement::surfaces(*a, *b) : 0.0;
    }
    if (const auto* n = vda_cast<vdaCons>(entity)) {
        const vdaObject* surf = n->basis_surface()();
        const auto* now_surf = vda_cast<vdaSurf>(surf);
        if (!now_surf)
            return 0.0;
        const std::unique_ptr<vdaSurf> old_surf = surface_before(surf);
        const vdaCons before("", "", "", n->start_parameter(), n->end_parameter(), k.cons);
        const auto cb = vdaConsEval::make(before), ca = vdaConsEval::make(*n);
        const auto sb = vdaSurfEval::make(old_surf ? *old_surf : *now_surf), sa = vdaSurfEval::make(*now_surf);
        return cb && ca && sb && sa ? vdcDisplacement::cons(*cb, *sb, *ca, *sa) : 0.0;
    }
    if (const auto* f = vda_cast<vdaFace>(entity)) {
        const auto* surf = vda_cast<vdaSurf>(f->basis_surface()());
        const auto s = surf ? vdaSurfEval::make(*surf) : vdaEvalResult<vdaSurfEval>::refused("no surface");
        double worst = 0.0;
        for (int b = 0; s && b < f->num_boundaries() && b < static_cast<int>(k.trims.size()); ++b)
            for (int p = 0; p < f->boundary(b).num_curve_segments(); ++p) {
                const vdaTrimmedCurve& piece = f->boundary(b).curve_segment(p);
                const auto& [w1, w2] = k.trims[static_cast<std::size_t>(b)][static_cast<std::size_t>(p)];
                const auto* cons = vda_cast<vdaCons>(piece.basis_curve()());
                const auto c = cons ? vdaConsEval::make(*cons) : vdaEvalResult<vdaConsEval>::refused("no cons");
                if (!c || (w1 == piece.start_parameter() && w2 == piece.end_parameter()))
                    continue;
                worst = std::max(
                    worst, vdcDisplacement::trimmed(*s, *c, w1, w2, piece.start_parameter(), piece.end_parameter()));
            }
        return worst;
    }
    return 0.0;
}

void vdcHealLedger::merged(const utString& name, int direction, int merged, int into, int count)
{
    std::vector<int>& map = kept_.at(name).maps[static_cast<std::size_t>(direction)];
    if (map.empty()) {
        map.resize(static_cast<std::size_t>(count));
        std::iota(map.begin(), map.end(), 0);
    }
    const int low = std::min(merged, into);
    for (int& c : map)
        if (c == merged || c == into)
            c = low;
        else if (c > std::max(merged, into))
            c -= 1;
}

int vdcHealLedger::index_now(const utString& name, int direction, int index) const
{
    const auto it = kept_.find(name);
    if (it == kept_.end())
        return index;
    const std::vector<int>& map = it->second.maps[static_cast<std::size_t>(direction)];
    if (map.empty())
        return index;
    return index >= 0 && index < static_cast<int>(map.size()) ? map[static_cast<std::size_t>(index)] : -1;
}

bool vdcHealLedger::restructured(const utString& name) const
{
    const auto it = kept_.find(name);
    return it != kept_.end() && (!it->second.maps[0].empty() || !it->second.maps[1].empty());
}
