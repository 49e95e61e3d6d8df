// The converted geometry is the model's own: OCCT evaluates each kept SURF, CURVE, CONS and CIRCLE where the
// model's evaluators do, to 1e-9 of the model's size, at a thousand parameters each.
#include <numbers>

#include <gtest/gtest.h>

#include <Geom2d_BSplineCurve.hxx>
#include <Geom_BSplineSurface.hxx>

#include <vdacheck/exchange/vdc_export_plan.h>
#include <vdacheck/exchange/vdc_geometry_cache.h>
#include <vdacheck/exchange/vdc_occt_geometry.h>

#include "exchange_support.h"

namespace {

constexpr int samples = 1000;

double distance(const gp_Pnt& p, const giPoint3& q) { return p.Distance(gp_Pnt(q.x(), q.y(), q.z())); }

// Parameter i of `samples` across [a, b], the ends included; `twist` spreads a second one over the same count.
double at(double a, double b, int i, double twist = 0.0)
{
    const double f = twist == 0.0 ? double(i) / (samples - 1) : std::fmod(i * twist, 1.0);
    return a + (b - a) * f;
}

}  // namespace

TEST(ExchangeExactness, OcctEvaluatesTheConvertedGeometryAsTheModelDoes)
{
    int compared = 0;  // the samples' surface does not join (it is left out): count over all models
    for (vdatest::Model& model : vdatest::exchange_models()) {
        SCOPED_TRACE(model.name);
        if (model.repair)
            vdc_repair(*model.file);
        const double tolerance = 1e-9 * vdatest::model_size(*model.file);
        const vdcConvertOptions options;
        const vdcExportPlan plan(*model.file, options);
        vdcGeometryCache geometry;
        for (const vdaObject& entity : *model.file) {
            if (!plan.kept(&entity))
                continue;
            SCOPED_TRACE(entity.name().c_str());
            double worst = 0.0;
            if (const vdaSurf* surf = vda_cast<vdaSurf>(&entity)) {
                const auto eval = vdaSurfEval::make(*surf);
                const Handle(Geom_BSplineSurface) occt = geometry.surface(*surf);
                ASSERT_TRUE(eval && !occt.IsNull());
                for (int i = 0; i < samples; ++i) {
                    const double s = at(eval->u_start(), eval->u_end(), i, std::numbers::phi);
                    const double t = at(eval->v_start(), eval->v_end(), i);
                    worst = std::max(worst, distance(occt->Value(s, t), eval->point(s, t)));
                }
            } else if (const vdaCurve* curve = vda_cast<vdaCurve>(&entity)) {
                const auto eval = vdaCurveEval::make(*curve);
                const Handle(Geom_BSplineCurve) occt = geometry.curve(*curve);
                ASSERT_TRUE(eval && !occt.IsNull());
                for (int i = 0; i < samples; ++i) {
                    const double s = at(eval->start(), eval->end(), i);
                    worst = std::max(worst, distance(occt->Value(s), eval->point(s)));
                }
            } else if (const vdaCons* cons = vda_cast<vdaCons>(&entity)) {
                // In the parameter plane over the space curve's parameter, and through the surface in space.
                const auto eval = vdaConsEval::make(*cons);
                const vdaSurf* surf = vda_cast<vdaSurf>(cons->basis_surface()());
                const auto surface_eval = vdaSurfEval::make(*surf);
                const Handle(Geom2d_BSplineCurve) occt = geometry.pcurve(*cons);
                const Handle(Geom_BSplineSurface) surface = geometry.surface(*surf);
                ASSERT_TRUE(eval && surface_eval && !occt.IsNull() && !surface.IsNull());
                const double domain = std::hypot(surface_eval->u_end() - surface_eval->u_start(),
                                                 surface_eval->v_end() - surface_eval->v_start());
                for (int i = 0; i < samples; ++i) {
                    const double w = at(eval->start(), eval->end(), i);
                    const gp_Pnt2d uv = occt->Value(eval->curve_parameter(w));
                    const giPoint2 expected = eval->point(w);
                    EXPECT_LE(uv.Distance(gp_Pnt2d(expected.x(), expected.y())), 1e-9 * domain) << "w " << w;
                    worst = std::max(worst, distance(surface->Value(uv.X(), uv.Y()),
                                                     surface_eval->point(expected.x(), expected.y())));
                }
            } else if (const vdaCircle* circle = vda_cast<vdaCircle>(&entity)) {
                const auto eval = vdaCircleEval::make(*circle);
                const Handle(Geom_Curve) occt = vdcOcctGeometry::circle(*circle);
                ASSERT_TRUE(eval && !occt.IsNull());
                for (int i = 0; i < samples; ++i) {
                    const double degrees = at(eval->start_angle(), eval->end_angle(), i);
                    worst = std::max(worst,
                                     distance(occt->Value(degrees * std::numbers::pi / 180.0), eval->point(degrees)));
                }
            } else {
                continue;
            }
            EXPECT_LE(worst, tolerance);
            ++compared;
        }
    }
    EXPECT_GT(compared, 500);
}
