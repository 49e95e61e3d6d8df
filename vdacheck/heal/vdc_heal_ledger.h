#pragma once

#include <array>
#include <map>
#include <utility>
#include <vector>

#include <vdacheck/model/vda_cons_segment.h>
#include <vdacheck/model/vda_curve_segment.h>
#include <vdacheck/model/vda_surf_patch.h>
#include <vdacheck/util/ut_string.h>

class vdaFile;
class vdaObject;

// What healing changed in a model, and each changed entity as it was before: curves, cons and surfaces
// with their polynomials, faces with their trimming ranges. From it an entity is put back exactly as it
// was (unchanged entities are written byte for byte again), and how far it moved is measured. Entities
// whose segments or patches were merged keep a map from their old indices to the new ones.
class vdcHealLedger {
public:
    explicit vdcHealLedger(vdaFile& file) noexcept : file_(file) {}

    // Remembers `entity` as it is, unless it is remembered already: call before changing it.
    void keep(const vdaObject& entity);
    bool changed(const utString& name) const { return kept_.count(name) > 0; }
    // The changed entities, in the order of their first change.
    std::vector<utString> changed() const;
    // Puts the entity back as it was and forgets it.
    void restore(const utString& name);

    // How far the entity moved (mm), measured against what was kept (see vdcDisplacement). A face moves
    // where its trimming ranges changed.
    double displacement(const utString& name) const;

    // The entity's curve was merged by arc: its parameters no longer match.
    void mark_by_arc(const utString& name) { kept_.at(name).by_arc = true; }
    // Element `merged` (current index, along `direction`: 0 for a curve's segments and a surface's u)
    // merged into its neighbour `into` (merged +- 1); `count` elements before the merge.
    void merged(const utString& name, int direction, int merged, int into, int count);
    // The current index of the element that had index `index` (the same when the entity was not
    // restructured).
    int index_now(const utString& name, int direction, int index) const;
    bool restructured(const utString& name) const;

private:
    struct Kept {
        bool was_changed = false;  // the entity's changed flag before healing
        std::vector<vdaCurveSegment> curve;
        std::vector<vdaConsSegment> cons;
        int nu = 0, nv = 0;
        std::vector<vdaSurfPatch> patches;
        std::vector<std::vector<std::pair<double, double>>> trims;
        bool by_arc = false;
        std::array<std::vector<int>, 2> maps;  // old index -> current index, when restructured
        int order = 0;                         // position in the order of first changes
    };
    vdaFile& file_;
    std::map<utString, Kept> kept_;
    int next_ = 0;
};
