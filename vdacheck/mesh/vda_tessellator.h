#pragma once

#include <vdacheck/mesh/vda_scene.h>
#include <vdacheck/mesh/vda_tessellation_options.h>
#include <vdacheck/model/vda_export.h>

class vdaFile;

// Draws a whole model (see vdaDrawingMaker for what each entity becomes). Entities are drawn
// independently, on several threads, and collected in file order. Each entity listed by a TLIST (directly
// or through a GROUP or set it lists) is drawn a second time, transformed by the TLIST's matrix, right
// after the TLIST; the original stays where the file puts it.
//
// The chordal tolerance starts at the options' and is raised while the surfaces' grids would exceed
// the triangle budget; should the drawn scene still exceed it, the model is drawn again, coarser.
class VDA_API vdaTessellator {
public:
    static vdaScene tessellate(const vdaFile& file, const vdaTessellationOptions& options = {});
};
