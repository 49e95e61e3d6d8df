#pragma once

#include <unordered_map>
#include <utility>
#include <vector>

#include <TopoDS_Shape.hxx>

#include <vdacheck/exchange/vdc_exchange_export.h>
#include <vdacheck/exchange/vdc_geometry_cache.h>

class vdaObject;
class vdaTop;
class vdcExportPlan;

// Builds OCCT's shapes for what a plan keeps: faces (vdcFaceBuilder) and untrimmed faces, faces sewn into a
// shell along the edges of the TOPs that join them, free edges for curves, circles and cons that bound no face,
// vertices for points. What OCCT cannot build is left out of the plan, and the plan settled again.
class VDC_EXCHANGE_API vdcShapeBuilder {
public:
    // Faces joined by TOPs (directly or through other faces) make one shell, named after the first TOP.
    struct Shell {
        const vdaTop* top = nullptr;
        TopoDS_Shape shape;
        std::vector<std::pair<const vdaObject*, TopoDS_Shape>> faces;  // each FACE or SURF and its sewn face
    };

    vdcShapeBuilder(vdcExportPlan& plan) noexcept : plan_(plan) {}
    void build();

    // The shape of a placeable entity of the plan (for a face in a shell: its sewn face), or a null shape.
    TopoDS_Shape shape(const vdaObject& entity) const;
    const std::vector<Shell>& shells() const noexcept { return shells_; }
    // The shell that holds `entity` (a FACE or SURF), or null.
    const Shell* shell_of(const vdaObject& entity) const;
    vdcGeometryCache& geometry() noexcept { return geometry_; }

private:
    void build_faces();
    void build_shells();
    void build_rest();
    void sew(const std::vector<const vdaTop*>& tops);

    vdcExportPlan& plan_;
    vdcGeometryCache geometry_;
    std::unordered_map<const vdaObject*, TopoDS_Shape> shapes_;
    std::vector<Shell> shells_;
    std::unordered_map<const vdaObject*, std::size_t> shell_of_;
};
