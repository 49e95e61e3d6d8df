#pragma once

#include <optional>
#include <string>
#include <vector>

#include <vdacheck/model/vda_curve_segment.h>

class vdaConsEval;
class vdaSurfEval;

// The space curve a CONS traces on its surface, as the segments of a CURVE parametrised the way the cons
// maps onto its curve: from its curve start parameter at the cons's start to its end parameter at the
// cons's end (running backwards when the end is the smaller). The cons is cut where it crosses a patch
// border; on each piece the surface's polynomial composed with the cons's is exact, of order
// (u order - 1) (cons order - 1) + (v order - 1) (cons order - 1) + 1. A piece that would need an order
// above 25, or that is shorter in space than `shortest` (then joined to a neighbour), is fitted instead by
// interpolation, halved until it deviates by at most `fit_tolerance`.
class vdcConsImage {
public:
    vdcConsImage(double fit_tolerance, double shortest) noexcept : fit_tolerance_(fit_tolerance), shortest_(shortest) {}
    // Nothing, with why, when a fitted piece stays beyond the fit tolerance.
    std::optional<std::vector<vdaCurveSegment>> make(const vdaConsEval& cons, const vdaSurfEval& surf,
                                                     std::string& why) const;

private:
    double fit_tolerance_;
    double shortest_;
};
