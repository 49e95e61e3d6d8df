#pragma once

#include <vector>

#include <vdacheck/model/vda_curve_segment.h>

class vdaConsEval;
class vdaSurfEval;

// How far healing moved a curve, a surface or a curve on a surface: the largest distance between a point
// before and the point of the same parameters after, over dense samples refined where the distance is
// largest (see vdc_largest). A curve whose parametrisation changed (a tiny segment merged by arc) is
// measured apart from its parameters instead: the largest distance from a point of either curve to the
// other curve.
class vdcDisplacement {
public:
    // Two chains of segments over the same parameter range.
    static double curves(const std::vector<vdaCurveSegment>& before, const std::vector<vdaCurveSegment>& after);
    static double curves_apart(const std::vector<vdaCurveSegment>& before, const std::vector<vdaCurveSegment>& after);
    // Two surfaces over the same parameter domain.
    static double surfaces(const vdaSurfEval& before, const vdaSurfEval& after);
    // A cons on its surface, before and after (either may have changed), in space.
    static double cons(const vdaConsEval& before, const vdaSurfEval& surface_before, const vdaConsEval& after,
                       const vdaSurfEval& surface_after);
    // A piece of a cons on a surface whose range changed from [w1, w2] to [v1, v2], at equal fractions of
    // the piece.
    static double trimmed(const vdaSurfEval& surf, const vdaConsEval& cons, double w1, double w2, double v1, double v2);
};
