#pragma once

#include <vector>

#include <vdacheck/exchange/vdc_exchange_export.h>
#include <vdacheck/mesh/vda_bernstein.h>

class vdaConsEval;
class vdaCurveEval;
class vdaSurfEval;

// A piecewise polynomial curve or surface of the model in Bezier form, joined on its own breakpoints: the
// control points of a B-spline of one degree whose inner knots have the multiplicity of that degree. Each
// power-basis segment or patch is changed to the Bernstein basis of the highest degree met (an exact change
// of basis, which raises the degree of the lower ones on the way); where two pieces meet they share their
// end control points, which are averaged, and `mismatch` is how far apart the two were (0 where the pieces
// join exactly). Since a Bezier piece stays within the convex hull of its control points, no point of the
// joined spline is farther than `mismatch` from the piece it stands for.
//
// Curves and cons have one row of poles (v_degree 0); a cons's poles are (s, t, 0). The knots are the
// breakpoints of the entity's own parameter (a cons's w), each once.
class VDC_EXCHANGE_API vdcBezierNet {
public:
    static vdcBezierNet of(const vdaSurfEval& surf);
    static vdcBezierNet of(const vdaCurveEval& curve);
    static vdcBezierNet of(const vdaConsEval& cons);

    int u_degree = 0;
    int v_degree = 0;
    int u_poles = 0;  // poles in u: segments * u_degree + 1
    int v_poles = 1;
    std::vector<vdaCoord3> poles;  // u index running fastest
    std::vector<double> u_knots;
    std::vector<double> v_knots;
    double mismatch = 0.0;

    const vdaCoord3& pole(int i, int j) const noexcept
    {
        return poles[static_cast<std::size_t>(j) * static_cast<std::size_t>(u_poles) + static_cast<std::size_t>(i)];
    }

private:
    // Puts `p` at pole (i, j): the first piece to reach a pole sets it, a later one is averaged in and its
    // distance from the first counts towards the mismatch.
    void place(int i, int j, const vdaCoord3& p);
    template <class Path>
    static vdcBezierNet of_path(const Path& path);

    std::vector<int> placed_;  // pieces that reached each pole
};
