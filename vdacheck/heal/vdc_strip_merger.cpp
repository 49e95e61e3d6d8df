#include <vdacheck/heal/vdc_strip_merger.h>

#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/heal/vdc_displacement.h>
#include <vdacheck/heal/vdc_patch_edit.h>
#include <vdacheck/model/vda_surf.h>

std::optional<vdcStripMerger::Merged> vdcStripMerger::merge(const vdaSurfEval& surf, int direction, int index) const
{
    std::optional<Merged> best;
    for (bool into_next : {true, false}) {
        std::optional<Merged> m = candidate(surf, direction, index, into_next);
        if (m && (!best || m->displacement < best->displacement))
            best = std::move(m);
    }
    return best;
}

std::optional<vdcStripMerger::Merged> vdcStripMerger::candidate(const vdaSurfEval& surf, int direction, int index,
                                                                bool into_next) const
{
    const int nu = surf.num_patches_u(), nv = surf.num_patches_v();
    const int count = direction == 0 ? nu : nv;
    const int other = into_next ? index + 1 : index - 1;
    if (other < 0 || other >= count)
        return std::nullopt;
    auto breakpoint = [&](int k) { return direction == 0 ? surf.u_breakpoint(k) : surf.v_breakpoint(k); };
    const double a = breakpoint(other), b = breakpoint(other + 1);
    const double start = into_next ? breakpoint(index) : a;
    const double end = into_next ? b : breakpoint(index + 1);
    // The neighbour's local parameter at the far end of the thin patch.
    const double far = into_next ? (start - a) / (b - a) : (end - a) / (b - a);

    Merged out;
    out.into_next = into_next;
    out.nu = direction == 0 ? nu - 1 : nu;
    out.nv = direction == 0 ? nv : nv - 1;
    for (int j = 0; j < nv; ++j)
        for (int i = 0; i < nu; ++i) {
            const int mine = direction == 0 ? i : j;
            if (mine == index)
                continue;
            const vdaSurfPatch& p = surf.patch(i, j);
            if (mine != other) {
                out.patches.push_back(p);
                continue;
            }
            vdcPatchEdit merged(p);
            if (into_next)
                merged.reparametrise(direction, far, 1.0 - far);
            else
                merged.reparametrise(direction, 0.0, far);
            const vdcPatchEdit thin(direction == 0 ? surf.patch(index, j) : surf.patch(i, index));
            const int side = into_next ? 0 : 1;
            const vdcPolynomial<3> move = thin.edge(direction, side).plus(merged.edge(direction, side), -1.0);
            merged.add(direction, move, into_next ? vdc_blend::value_at_start : vdc_blend::value_at_end);
            out.patches.push_back(direction == 0
                                      ? merged.patch(start, end, p.v_start_parameter(), p.v_end_parameter())
                                      : merged.patch(p.u_start_parameter(), p.u_end_parameter(), start, end));
        }
    const vdaSurf healed("", out.nu, out.nv, out.patches);
    const auto after = vdaSurfEval::make(healed);
    if (!after)
        return std::nullopt;
    out.displacement = vdcDisplacement::surfaces(surf, *after);
    if (!(out.displacement <= tolerance_))
        return std::nullopt;
    return out;
}
