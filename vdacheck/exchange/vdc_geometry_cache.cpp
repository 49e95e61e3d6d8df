#include <vdacheck/exchange/vdc_geometry_cache.h>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/exchange/vdc_bezier_net.h>
#include <vdacheck/exchange/vdc_occt_geometry.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_surf.h>

Handle(Geom_BSplineSurface) vdcGeometryCache::surface(const vdaSurf& surf)
{
    const auto [it, added] = surfaces_.try_emplace(&surf);
    if (added)
        if (const auto eval = vdaSurfEval::make(surf))
            it->second = vdcOcctGeometry::surface(vdcBezierNet::of(*eval));
    return it->second;
}

Handle(Geom_BSplineCurve) vdcGeometryCache::curve(const vdaCurve& curve)
{
    const auto [it, added] = curves_.try_emplace(&curve);
    if (added)
        if (const auto eval = vdaCurveEval::make(curve))
            it->second = vdcOcctGeometry::curve(vdcBezierNet::of(*eval));
    return it->second;
}

Handle(Geom2d_BSplineCurve) vdcGeometryCache::pcurve(const vdaCons& cons)
{
    const auto [it, added] = pcurves_.try_emplace(&cons);
    if (added)
        if (const auto eval = vdaConsEval::make(cons))
            it->second = vdcOcctGeometry::pcurve(vdcBezierNet::of(*eval), *eval);
    return it->second;
}
