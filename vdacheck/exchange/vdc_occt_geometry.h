#pragma once

#include <Geom2d_BSplineCurve.hxx>
#include <Geom_BSplineCurve.hxx>
#include <Geom_BSplineSurface.hxx>
#include <Geom_Curve.hxx>
#include <gp_Trsf.hxx>

#include <vdacheck/exchange/vdc_exchange_export.h>

class giXform3;
class vdaCircle;
class vdaConsEval;
class vdcBezierNet;

// OCCT's geometry for the model's: B-splines made exactly from the Bezier nets of surfaces, curves and cons,
// circles, and placements. Each returns a null handle (or false) for what OCCT refuses to construct.
class VDC_EXCHANGE_API vdcOcctGeometry {
public:
    // The surface over the SURF's own global parameters (s, t).
    static Handle(Geom_BSplineSurface) surface(const vdcBezierNet& net);
    // The curve over the CURVE's own global parameter.
    static Handle(Geom_BSplineCurve) curve(const vdcBezierNet& net);
    // The cons in its surface's parameters (s, t), over the parameter of its space curve: the pcurve's value
    // at cons.curve_parameter(w) is the cons at w. A cons that runs against its curve is reversed on the way.
    static Handle(Geom2d_BSplineCurve) pcurve(const vdcBezierNet& net, const vdaConsEval& cons);
    // The arc from its start to its end angle, over the angle in radians.
    static Handle(Geom_Curve) circle(const vdaCircle& circle);
    // The affine map as a location; false for one OCCT refuses (a singular matrix). OCCT takes the nearest
    // similarity of any other matrix: the caller makes sure it is one.
    static bool placement(const giXform3& xform, gp_Trsf& out);
};
