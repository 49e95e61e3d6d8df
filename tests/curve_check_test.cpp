#include "check_support.h"

namespace {

// A curve "E" of the given segments.
std::function<void(Model&)> curve(std::vector<vdaCurveSegment> segments)
{
    return [segments](Model& m) { m.add<vdaCurve>("E", segments); };
}

vdaCurveSegment seg(double t0, double t1, int order = 2) { return Model::curve_segment(t0, t1, order); }

const char* const non_increasing = "Curve segment has non increasing parameters";
const char* const adjacent = "Adjacent curve segment parameters dont match";
const char* const order = "Curve segment had invalid order";
const char* const coeff = "Curve segment has invalid coefficient";

}  // namespace

TEST(CurveCheck, LogsEachFaultWithItsIndicesInSubCheckOrder)
{
    std::vector<giPoint3> order_26(26, giPoint3(1, 2, 3));
    order_26[25] = giPoint3(0, -max_d, 0);
    run_cases({
        {"two joined segments", curve({seg(0, 1, 4), seg(1, 2, 4)}), {}},
        {"no segments", curve({}), {{"Curve has no segments"}}},
        {"gap of 1e-7", curve({seg(0, 1), seg(1.0000001, 2)}), {{adjacent, {1}}}},
        {"orders 1, 2, 25, 26 and 0",
         curve({seg(0, 1, 1), seg(1, 2, 2), seg(2, 3, 25), seg(3, 4, 26), seg(4, 5, 0)}),
         {{order, {0}}, {order, {3}}, {order, {4}}}},
        {"minus the maximum in any coordinate, plus the maximum is fine",
         curve({seg(0, 1), vdaCurveSegment(1, 2, {{-max_d, 0, 0}, {max_d, max_d, max_d}, {0, 0, -max_d}})}),
         {{coeff, {1, 0}}, {coeff, {1, 2}}}},
        // An order above 25 still has its coefficients examined.
        {"empty, then reversed of order 26",
         curve({seg(1, 1), vdaCurveSegment(2, 1, order_26)}),
         {{non_increasing, {0}}, {non_increasing, {1}}, {adjacent, {1}}, {order, {1}}, {coeff, {1, 25}}}},
        {"NaN start: no ordering error, but an adjacency error", curve({seg(0, 1), seg(nan_d, 2)}), {{adjacent, {1}}}},
    });
}
