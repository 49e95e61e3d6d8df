#include <vdacheck/exchange/vdc_occt_geometry.h>

#include <algorithm>
#include <cmath>
#include <numbers>

#include <Geom_Circle.hxx>
#include <Geom_TrimmedCurve.hxx>
#include <Standard_Failure.hxx>
#include <TColStd_Array1OfInteger.hxx>
#include <TColStd_Array1OfReal.hxx>
#include <TColgp_Array1OfPnt.hxx>
#include <TColgp_Array1OfPnt2d.hxx>
#include <TColgp_Array2OfPnt.hxx>
#include <gp_Ax2.hxx>

#include <vdacheck/eval/vda_circle_eval.h>
#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/exchange/vdc_bezier_net.h>
#include <vdacheck/geometry/gi_xform3.h>
#include <vdacheck/model/vda_circle.h>

namespace {

// Breakpoints as B-spline knots: the ends with multiplicity degree + 1, inner ones with the degree (the
// pieces join with their shared end control point).
void knots(const std::vector<double>& breakpoints, int degree, TColStd_Array1OfReal& k, TColStd_Array1OfInteger& m)
{
    const int n = static_cast<int>(breakpoints.size());
    k.Resize(1, n, false);
    m.Resize(1, n, false);
    for (int i = 0; i < n; ++i) {
        k.SetValue(i + 1, breakpoints[static_cast<std::size_t>(i)]);
        m.SetValue(i + 1, i == 0 || i == n - 1 ? degree + 1 : degree);
    }
}

}  // namespace

Handle(Geom_BSplineSurface) vdcOcctGeometry::surface(const vdcBezierNet& net)
{
    try {
        TColgp_Array2OfPnt poles(1, net.u_poles, 1, net.v_poles);
        for (int j = 0; j < net.v_poles; ++j)
            for (int i = 0; i < net.u_poles; ++i) {
                const vdaCoord3& p = net.pole(i, j);
                poles.SetValue(i + 1, j + 1, gp_Pnt(p[0], p[1], p[2]));
            }
        TColStd_Array1OfReal uk(1, 1), vk(1, 1);
        TColStd_Array1OfInteger um(1, 1), vm(1, 1);
        knots(net.u_knots, net.u_degree, uk, um);
        knots(net.v_knots, net.v_degree, vk, vm);
        return new Geom_BSplineSurface(poles, uk, vk, um, vm, net.u_degree, net.v_degree);
    } catch (const Standard_Failure&) {
        return {};
    }
}

Handle(Geom_BSplineCurve) vdcOcctGeometry::curve(const vdcBezierNet& net)
{
    try {
        TColgp_Array1OfPnt poles(1, net.u_poles);
        for (int i = 0; i < net.u_poles; ++i) {
            const vdaCoord3& p = net.pole(i, 0);
            poles.SetValue(i + 1, gp_Pnt(p[0], p[1], p[2]));
        }
        TColStd_Array1OfReal k(1, 1);
        TColStd_Array1OfInteger m(1, 1);
        knots(net.u_knots, net.u_degree, k, m);
        return new Geom_BSplineCurve(poles, k, m, net.u_degree);
    } catch (const Standard_Failure&) {
        return {};
    }
}

Handle(Geom2d_BSplineCurve) vdcOcctGeometry::pcurve(const vdcBezierNet& net, const vdaConsEval& cons)
{
    // Knots move with the parameter, w -> s = curve_parameter(w); a falling map reverses the order of
    // knots and poles, which leaves the curve as it is.
    std::vector<double> breakpoints;
    for (const double w : net.u_knots)
        breakpoints.push_back(cons.curve_parameter(w));
    const bool reversed = cons.curve_parameter_rate() < 0.0;
    if (reversed)
        std::reverse(breakpoints.begin(), breakpoints.end());
    try {
        TColgp_Array1OfPnt2d poles(1, net.u_poles);
        for (int i = 0; i < net.u_poles; ++i) {
            const vdaCoord3& p = net.pole(reversed ? net.u_poles - 1 - i : i, 0);
            poles.SetValue(i + 1, gp_Pnt2d(p[0], p[1]));
        }
        TColStd_Array1OfReal k(1, 1);
        TColStd_Array1OfInteger m(1, 1);
        knots(breakpoints, net.u_degree, k, m);
        return new Geom2d_BSplineCurve(poles, k, m, net.u_degree);
    } catch (const Standard_Failure&) {
        return {};
    }
}

Handle(Geom_Curve) vdcOcctGeometry::circle(const vdaCircle& c)
{
    if (!vdaCircleEval::make(c))
        return {};
    const giVector3& v = c.plane_v();
    const giVector3& w = c.plane_w();
    constexpr double radians = std::numbers::pi / 180.0;
    try {
        const gp_Dir x(v.x(), v.y(), v.z());
        const gp_Dir y(w.x(), w.y(), w.z());
        const gp_Ax2 axes(gp_Pnt(c.centre().x(), c.centre().y(), c.centre().z()), x.Crossed(y), x);
        Handle(Geom_Circle) circle = new Geom_Circle(axes, c.radius());
        return new Geom_TrimmedCurve(circle, c.start_angle() * radians, c.end_angle() * radians, true, true);
    } catch (const Standard_Failure&) {
        return {};
    }
}

bool vdcOcctGeometry::placement(const giXform3& m, gp_Trsf& out)
{
    try {
        out.SetValues(m.a(0, 0), m.a(0, 1), m.a(0, 2), m.t(0), m.a(1, 0), m.a(1, 1), m.a(1, 2), m.t(1), m.a(2, 0),
                      m.a(2, 1), m.a(2, 2), m.t(2));
        return true;
    } catch (const Standard_Failure&) {
        return false;
    }
}
