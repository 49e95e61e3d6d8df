#include <vdacheck/exchange/vdc_geometry_cache.h>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/eval/vda_curve_eval.h>
#include <vdacheck/eval/vda_surf_eval.h>
#include <vdacheck/exchange/vdc_bezier_net.h>
#include <vdacheck/exchange/vdc_occt_geometry.h>
#include <vdacheck/model/vda_cons.h>
#include <vdacheck/model/vda_curve.h>
#include <vdacheck/model/vda_surf.h>

namespace {

// The geometry of `entity` in `made`, made on first use from its evaluator (none when it refuses).
template <class Eval, class Geometry, class Entity, class Make>
Geometry made_once(std::unordered_map<const vdaObject*, Geometry>& made, const Entity& entity, Make make)
{
    const auto [it, added] = made.try_emplace(&entity);
    if (added)
        if (const auto eval = Eval::make(entity))
            it->second = make(*eval);
    return it->second;
}

}  // namespace

Handle(Geom_BSplineSurface) vdcGeometryCache::surface(const vdaSurf& surf)
{
    return made_once<vdaSurfEval>(surfaces_, surf,
                                  [](const vdaSurfEval& e) { return vdcOcctGeometry::surface(vdcBezierNet::of(e)); });
}

Handle(Geom_BSplineCurve) vdcGeometryCache::curve(const vdaCurve& curve)
{
    return made_once<vdaCurveEval>(curves_, curve,
                                   [](const vdaCurveEval& e) { return vdcOcctGeometry::curve(vdcBezierNet::of(e)); });
}

Handle(Geom2d_BSplineCurve) vdcGeometryCache::pcurve(const vdaCons& cons)
{
    return made_once<vdaConsEval>(pcurves_, cons,
                                  [](const vdaConsEval& e) { return vdcOcctGeometry::pcurve(vdcBezierNet::of(e), e); });
}
