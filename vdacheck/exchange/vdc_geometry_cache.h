#pragma once

#include <unordered_map>

#include <Geom2d_BSplineCurve.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_BSplineSurface.hxx>

#include <vdacheck/exchange/vdc_exchange_export.h>

class vdaCons;
class vdaCurve;
class vdaObject;
class vdaSurf;

// OCCT's geometry of each SURF, CURVE and CONS, made once (see vdcOcctGeometry) and shared by every edge and
// face that uses it. Null for an entity that cannot be evaluated or that OCCT refuses.
class VDC_EXCHANGE_API vdcGeometryCache {
public:
    Handle(Geom_BSplineSurface) surface(const vdaSurf& surf);
    Handle(Geom_BSplineCurve) curve(const vdaCurve& curve);
    Handle(Geom2d_BSplineCurve) pcurve(const vdaCons& cons);

private:
    std::unordered_map<const vdaObject*, Handle(Geom_BSplineSurface)> surfaces_;
    std::unordered_map<const vdaObject*, Handle(Geom_BSplineCurve)> curves_;
    std::unordered_map<const vdaObject*, Handle(Geom2d_BSplineCurve)> pcurves_;
};
