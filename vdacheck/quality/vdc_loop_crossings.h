#pragma once

#include <vector>

#include <vdacheck/geometry/gi_point2.h>

class vdcPieceChain;

// The crossings of a face's boundaries in the parameter plane, with themselves and with each other,
// counted as geometry, whatever the breakpoints of their cons:
//
// - each boundary is a closed polyline through every breakpoint of its cons (both sides of a jump, and
//   the joints between pieces); a straight segment is one edge, a curved one is cut into edges that are
//   halved until the count no longer changes;
// - the polylines are snapped to a lattice of 2^24 steps across their bounding box, and every decision is
//   an exact orientation test on the lattice; a vertex that lies within one step of an edge becomes a
//   vertex of that edge too, so that boundaries meeting up to rounding meet exactly;
// - where two boundaries (or one with itself) meet, at a point or along a stretch they share, they cross
//   once when one passes from one side of the other to its other side there, and not at all when it only
//   touches and stays on its side. Two edges crossing in their interiors cross once.
class vdcLoopCrossings {
public:
    // A place on a boundary: its piece and the piece's parameter (0 at its start, 1 at its end).
    struct Place {
        int loop = 0;
        int piece = 0;
        double x = 0.0;
    };
    struct Result {
        int count = 0;
        // The first crossing in boundary, piece and parameter order: on `first` (the earlier of the two
        // boundaries there), on `other`, and where it is in the parameter plane.
        Place first;
        Place other;
        giPoint2 uv;
    };

    static Result count(const std::vector<vdcPieceChain>& loops);
};
