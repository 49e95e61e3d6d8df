#include "check_support.h"

namespace {

// A curve "E" of the given segments.
std::function<void(Model&)> curve(std::vector<vdaCurveSegment> segments)
{
    return [segments](Model& m) { m.add<vdaCurve>("E", segments); };
}

vdaCurveSegment seg(double t0, double t1, int order = 2)
{
    return Model::curve_segment(t0, t1, order);
}

vdaCurveSegment seg_with(double t0, double t1, std::vector<giPoint3> coeffs)
{
    return vdaCurveSegment(t0, t1, std::move(coeffs));
}

const char* const no_segments = "Curve has no segments";
const char* const non_increasing = "Curve segment has non increasing parameters";
const char* const adjacent = "Adjacent curve segment parameters dont match";
const char* const order = "Curve segment had invalid order";
const char* const coeff = "Curve segment has invalid coefficient";

}  // namespace

TEST(CurveCheck, LogsEachFaultWithItsIndicesInSubCheckOrder)
{
    const giPoint3 ok(1, 2, 3);
    run_cases({
        {"two joined segments", curve({seg(0, 1, 4), seg(1, 2, 4)}), {}},
        {"no segments", curve({}), {{no_segments}}},
        {"gap of 1e-7", curve({seg(0, 1), seg(1.0000001, 2)}), {{adjacent, {1}}}},
        {"empty and reversed segments", curve({seg(2, 1), seg(1, 1)}), {{non_increasing, {0}}, {non_increasing, {1}}}},
        {"orders 1, 2, 25, 26",
         curve({seg(0, 1, 1), seg(1, 2, 2), seg(2, 3, 25), seg(3, 4, 26)}),
         {{order, {0}}, {order, {3}}}},
        {"order 0 examines no coefficient", curve({seg(0, 1, 0)}), {{order, {0}}}},
        {"minus the maximum in coefficients 0 and 2, plus the maximum is fine",
         curve({seg(0, 1), seg_with(1, 2, {{-max_d, 0, 0}, {0, max_d, 0}, {0, 0, -max_d}})}),
         {{coeff, {1, 0}}, {coeff, {1, 2}}}},
        {"all reversed: parameters first, then adjacency",
         curve({seg(1, 0), seg(2, 1), seg(3, 2)}),
         {{non_increasing, {0}}, {non_increasing, {1}}, {non_increasing, {2}}, {adjacent, {1}}, {adjacent, {2}}}},
        {"order 26 still has its coefficients examined",
         curve({seg_with(0, 1,
                         [&] {
                             std::vector<giPoint3> c(26, ok);
                             c[25] = giPoint3(0, -max_d, 0);
                             return c;
                         }())}),
         {{order, {0}}, {coeff, {0, 25}}}},
        {"NaN start: no ordering error, but an adjacency error", curve({seg(0, 1), seg(nan_d, 2)}), {{adjacent, {1}}}},
    });
}

TEST(CurveCheck, RunsByItselfWithoutTheChecker)
{
    Model m;
    vdaCurve& c = m.add<vdaCurve>("C", std::vector<vdaCurveSegment>{});
    vdcLog log;
    const vdcCurveCheck check(c);
    check.check(log, m.checker);
    EXPECT_EQ(log.num_logged(utString("C")), 1);
    EXPECT_EQ(m.error_log().num_logged(utString("C")), 0);
}
