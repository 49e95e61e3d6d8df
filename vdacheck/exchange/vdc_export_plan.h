#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <string>
#include <unordered_map>
#include <vector>

#include <vdacheck/exchange/vdc_convert_options.h>
#include <vdacheck/exchange/vdc_convert_result.h>
#include <vdacheck/exchange/vdc_exchange_export.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/rules/vdc_quality_rules.h>

class vdaFile;

// What each entity of a model becomes in an exchange file, decided before anything is built. An entity is
// left out when the checks report a problem on it, when a gap that one spline or one edge cannot bridge is
// measured beyond its tolerance (patches or segments that do not join, a cons far from its space curve, a
// boundary that does not close, topology sides that do not meet), or when it uses an entity left out. The
// rest takes the role its type and its use give it: a FACE becomes a face, the SURF it trims, its CONS and
// their CURVEs parts of it; a SURF no FACE trims an untrimmed face; curves, circles and cons that bound no
// face free edges; points vertices; a TOP a shell; groups and sets assemblies, a TLIST located instances.
// Builders may still leave out what they fail to build (leave_out, then settle again).
class VDC_EXCHANGE_API vdcExportPlan {
public:
    enum class Role : unsigned char {
        none,            // not planned yet (or the HEADER)
        left_out,        // see left_out()
        face,            // a FACE
        untrimmed_face,  // a SURF no FACE trims
        part,            // carried by the entities named in part_of: a SURF, CONS or CURVE of faces
        edge,            // a CURVE, CIRCLE or CONS that bounds no face
        vertex,          // a POINT
        vertices,        // a PSET or MDI
        shell,           // a TOP: its faces sewn along its edges
        assembly,        // a GROUP or set
        instances,       // a TLIST
        placement,       // a TMAT a TLIST uses
    };

    struct Entry {
        const vdaObject* entity = nullptr;
        Role role = Role::none;
        std::string part_of;  // for a part or placement: what carries it, e.g. "FACE F1"
        std::string note;     // said after its role in the report
        bool mend = false;    // a FACE whose boundary has a gap beyond the tolerance: the builder may mend it
        // A FACE or SURF the shape builder sewed into a shell: written there once, it is placed in no group or
        // set again (a STEP product cannot share a shell's face); a TLIST still places a moved copy.
        bool in_shell = false;
    };

    // Checks and measures `file` (which must outlive the plan); the tolerances come from `options`.
    vdcExportPlan(const vdaFile& file, const vdcConvertOptions& options);

    const vdaFile& file() const noexcept { return file_; }
    const std::vector<Entry>& entries() const noexcept { return entries_; }  // by slot; holes are null
    Role role(const vdaObject& entity) const noexcept { return entries_[entity.slot()].role; }
    bool kept(const vdaObject* entity) const noexcept;
    // Kept with a shape of its own that an assembly can place: faces, untrimmed faces, edges, vertices,
    // shells and the lists themselves (not parts, which their carrier holds).
    bool placeable(const vdaObject& entity) const noexcept;
    Entry& entry(const vdaObject& entity) noexcept { return entries_[entity.slot()]; }
    double tolerance(vdcQualityRule rule) const noexcept { return options_.tolerances.tolerance(rule); }
    // What stops the conversion part way (the builders look at it before each entity).
    const utCancel& cancel() const noexcept { return options_.cancel; }
    // The largest value measured on `entity` by a gap rule (0 when nothing was measured).
    double measured(const vdaObject& entity, vdcQualityRule rule) const noexcept;

    // Leaves `entity` out; the next settle() leaves out what uses it.
    void leave_out(const vdaObject& entity, std::string rule, std::string reason,
                   double value = std::numeric_limits<double>::quiet_NaN(),
                   double tolerance = std::numeric_limits<double>::quiet_NaN(), std::string unit = {});
    // Gives every entity not left out its role from what is left, leaving out what uses an entity left out.
    void settle();

    const std::vector<vdcLeftOutEntity>& left_out() const noexcept { return left_out_; }
    // Fills `exported` and `left_out` of a result, in file order.
    void report(vdcConvertResult& result) const;

private:
    void check();
    void measure();
    bool uses_left_out(const vdaObject& entity);
    void assign_role(Entry& entry, const vdaObject* carrier, const vdaObject* user);
    void settle_lists();

    const vdaFile& file_;
    const vdcConvertOptions& options_;
    std::vector<Entry> entries_;
    // The gap rules that decide what joins, and their largest values by slot of the entities measured.
    static const std::array<vdcQualityRule, 6> gap_rules;
    std::unordered_map<std::uint32_t, std::array<double, 6>> measured_;
    std::vector<vdcLeftOutEntity> left_out_;
};
