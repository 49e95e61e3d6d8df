#pragma once

#include <limits>
#include <string>
#include <vector>

#include <Geom2d_Curve.hxx>
#include <Geom_Curve.hxx>
#include <Geom_Surface.hxx>
#include <TopoDS_Face.hxx>
#include <TopoDS_Wire.hxx>

#include <vdacheck/exchange/vdc_exchange_export.h>

class vdaBoundary;
class vdaCons;
class vdaFace;
class vdcExportPlan;
class vdcGeometryCache;

// Builds a FACE as OCCT's face: its surface's B-spline, bounded by a wire per boundary whose edges carry
// both the cons (the curve on the surface) and its space curve, over the space curve's parameter. Edge
// tolerances come from the measured deviation between the two curves, vertex tolerances from the distances
// between the ends that meet at them; the outer wire runs counter-clockwise in (s, t) and holes clockwise, as
// OCCT wants material on the left. A boundary whose pieces do not meet as listed is mended, when asked, by
// OCCT's shape healing ordering them end to end (ShapeAnalysis_WireOrder); the face is built only when every
// gap then stays within the face-loop-gap tolerance. The face must pass OCCT's checker.
class VDC_EXCHANGE_API vdcFaceBuilder {
public:
    struct Failure {
        std::string rule;
        std::string reason;
        double value = std::numeric_limits<double>::quiet_NaN();
    };

    vdcFaceBuilder(vdcGeometryCache& geometry, const vdcExportPlan& plan) noexcept : geometry_(geometry), plan_(plan) {}

    // The face, or a null face with `failure` set. `mended` is set when the boundaries had to be reordered.
    TopoDS_Face build(const vdaFace& face, bool mend, Failure& failure, bool& mended) const;

private:
    // One trimmed piece of a boundary: its curves, the space curve's parameters at its start and end in the
    // order the boundary runs (a > b: against the curve), and its edge tolerance.
    struct Piece {
        const vdaCons* cons = nullptr;
        Handle(Geom_Curve) c3;
        Handle(Geom2d_Curve) c2;
        double a = 0.0;
        double b = 0.0;
        double tolerance = 0.0;
        bool degenerate = false;  // the space curve is a point there: an edge without one
        bool closed = false;      // the space curve ends where it starts (a ring round a closed surface)
    };

    bool pieces(const vdaBoundary& boundary, std::vector<Piece>& out, Failure& failure) const;
    // The largest distance on the surface between the end of a piece and the start of the next.
    static double largest_gap(const std::vector<Piece>& loop, const Handle(Geom_Surface) & surface);
    static bool reorder(std::vector<Piece>& loop, const Handle(Geom_Surface) & surface, double tolerance);
    TopoDS_Wire wire(const std::vector<Piece>& loop, const Handle(Geom_Surface) & surface, bool outer,
                     Failure& failure) const;

    vdcGeometryCache& geometry_;
    const vdcExportPlan& plan_;
};
