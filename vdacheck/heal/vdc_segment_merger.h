#pragma once

#include <optional>
#include <vector>

#include <vdacheck/model/vda_curve_segment.h>

// Merges a tiny segment of a CURVE into a neighbour: the neighbour's polynomial is carried over the tiny
// segment's parameter range, and its end there is moved onto the joint the tiny segment had (its slope
// turned to the one there too, where that joint was smooth). Carried over at the neighbour's own rate, the
// curve keeps its parametrisation, and the move is measured at equal parameters; a curve that no CONS maps
// onto may also be carried over by arc, the neighbour stretched over both ranges from the point nearest
// the tiny segment's far end, and is then measured as point sets. The candidate that moves the curve
// least wins, if it moves it by at most the tolerance and is itself at least `shortest` long.
class vdcSegmentMerger {
public:
    struct Merged {
        std::vector<vdaCurveSegment> segments;
        double displacement = 0.0;
        bool by_arc = false;     // the parametrisation changed
        bool into_next = false;  // merged into the segment after it, or the one before
    };

    vdcSegmentMerger(double tolerance, double shortest, double smooth_deg, bool by_arc) noexcept
        : tolerance_(tolerance), shortest_(shortest), smooth_deg_(smooth_deg), by_arc_(by_arc)
    {
    }
    std::optional<Merged> merge(const std::vector<vdaCurveSegment>& segments, int tiny) const;

private:
    std::optional<Merged> candidate(const std::vector<vdaCurveSegment>& segments, int tiny, bool into_next,
                                    bool by_arc) const;
    double tolerance_;
    double shortest_;
    double smooth_deg_;
    bool by_arc_;
};
