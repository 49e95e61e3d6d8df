#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include <vdacheck/mesh/vda_scene.h>
#include <vdacheck/mesh/vda_tessellation_options.h>
#include <vdacheck/util/ut_export.h>

class vdaFile;
class vdaObject;
class vdaSurf;
class vdaSurfaceBounds;
class vdaTlist;

// Draws a whole model (see vdaDrawingMaker for what each entity becomes). Entities are drawn
// independently, on several threads, and collected in file order. Each entity listed by a TLIST (directly
// or through a GROUP or set it lists) is drawn a second time, transformed by the TLIST's matrix, right
// after the TLIST; the original stays where the file puts it.
//
// The chordal tolerance starts at the options' and is raised while the surfaces' grids would exceed
// the triangle budget; should the drawn scene (instances included) still exceed it, the model is drawn
// again, coarser, and of the drawings made the one with the fewest triangles is kept. Should that still
// exceed the budget, its largest surfaces and faces are drawn as outlines (vdaDrawing::outline) until it
// fits: the scene never has more triangles than the budget, and a smaller budget never draws more.
class VDA_API vdaTessellator {
public:
    static vdaScene tessellate(const vdaFile& file, const vdaTessellationOptions& options = {});

private:
    vdaTessellator(const vdaFile& file, const vdaTessellationOptions& options);

    void prepare();
    // Triangles the surfaces' grids would have, each as often as it is drawn (faces as their whole surface).
    double estimate(double tolerance, int stride) const;
    // Coarser: a larger tolerance while the grids can still shrink (their triangles fall about as
    // 1 / tolerance), then merged patches (a stride), then, unless grids_only, a larger tolerance for what
    // is left (curves and face boundaries). False when nothing helps any more.
    bool coarsen(double count, bool grids_only);
    void draw();
    double drawn_triangles() const;
    // Draws surfaces and faces as their outlines, the largest first, until the triangles fit `budget`.
    void fit_outlines(double budget);
    vdaScene assemble();
    const vdaSurfaceBounds* bounds_of(const vdaSurf& surf) const;

    struct Grid {
        const vdaSurfaceBounds* bounds;
        std::uint32_t copies;
    };
    struct Drawn {  // one drawing of the model, at a tolerance and stride
        std::vector<vdaDrawing> drawings;
        std::vector<char> drawn;
        double tolerance = 1.0;
        int stride = 1;
    };
    struct Instances {
        std::size_t tlist;                 // position of the TLIST
        std::vector<std::size_t> members;  // positions of the entities it moves
    };

    const vdaTessellationOptions options_;
    unsigned threads_;
    std::vector<const vdaObject*> entities_;                     // file order
    std::unordered_map<const vdaObject*, std::size_t> surface_;  // SURF -> its index in bounds_
    std::vector<std::optional<vdaSurfaceBounds>> bounds_;        // per SURF; empty when it cannot be evaluated
    std::unordered_set<const vdaObject*> trimmed_;               // SURFs that a FACE names
    std::vector<Instances> instances_;
    std::vector<std::uint32_t> copies_;  // per entity: 1 + the TLIST instances of it
    std::vector<Grid> grids_;            // the surface grids drawn, faces' as their whole surface
    double tolerance_ = 1.0;
    int stride_ = 1;
    std::vector<vdaDrawing> drawings_;  // per entity
    std::vector<char> drawn_;           // per entity
};
