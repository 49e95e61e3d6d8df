#pragma once

#include <string>
#include <unordered_map>
#include <unordered_set>

#include <TDF_Label.hxx>
#include <TDocStd_Document.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <vdacheck/exchange/vdc_exchange_export.h>

class vdaElementList;
class vdaObject;
class vdcExportPlan;
class vdcShapeBuilder;
struct vdcConvertCounts;

// The XCAF document of a converted model, as STEP and IGES writers read it: one assembly named after the
// model holds every kept entity that no group or set lists; groups and sets are named assemblies of their
// members, a TLIST an assembly of its members placed by its TMAT. Every shape carries its entity's name
// (faces in a shell as named sub-shapes of the shell, which is named after its first TOP), and so does
// every instance of it. A list that holds itself, directly or through others, is not placed inside itself
// again.
class VDC_EXCHANGE_API vdcXcafBuilder {
public:
    vdcXcafBuilder(const vdcExportPlan& plan, const vdcShapeBuilder& shapes) noexcept : plan_(plan), shapes_(shapes) {}

    Handle(TDocStd_Document) build(const std::string& model_name, vdcConvertCounts& counts);

private:
    // The label of an entity's shape, or of its assembly, made on first use; a null label when there is none.
    TDF_Label label(const vdaObject& entity);
    TDF_Label assembly(const vdaElementList& list);
    void name(const TDF_Label& label, const vdaObject& entity) const;

    const vdcExportPlan& plan_;
    const vdcShapeBuilder& shapes_;
    Handle(XCAFDoc_ShapeTool) tool_;
    std::unordered_map<const vdaObject*, TDF_Label> labels_;
    std::unordered_set<const vdaObject*> open_;  // assemblies being filled: on the path from the root
    vdcConvertCounts* counts_ = nullptr;
};
