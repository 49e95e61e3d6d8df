#include <vdacheck/exchange/vdc_xcaf_builder.h>

#include <TCollection_ExtendedString.hxx>
#include <TDataStd_Name.hxx>
#include <TopLoc_Location.hxx>
#include <TopoDS_Shape.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DocumentTool.hxx>

#include <vdacheck/exchange/vdc_convert_result.h>
#include <vdacheck/exchange/vdc_export_plan.h>
#include <vdacheck/exchange/vdc_occt_geometry.h>
#include <vdacheck/exchange/vdc_shape_builder.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_types.h>

namespace {

using Role = vdcExportPlan::Role;

void set_name(const TDF_Label& label, std::string_view text)
{
    TDataStd_Name::Set(label, TCollection_ExtendedString(std::string(text).c_str(), Standard_True));
}

}  // namespace

void vdcXcafBuilder::name(const TDF_Label& label, const vdaObject& entity) const
{
    set_name(label, entity.name().view());
}

Handle(TDocStd_Document) vdcXcafBuilder::build(const std::string& model_name, vdcConvertCounts& counts)
{
    counts_ = &counts;
    Handle(TDocStd_Document) document;
    XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", document);
    tool_ = XCAFDoc_DocumentTool::ShapeTool(document->Main());
    XCAFDoc_ShapeTool::SetAutoNaming(Standard_False);
    const TDF_Label root = tool_->NewShape();
    set_name(root, model_name);

    // What a kept group or set lists is placed there rather than at the top.
    std::unordered_set<const vdaObject*> listed;
    for (const vdcExportPlan::Entry& e : plan_.entries())
        if (const vdaElementList* list = vda_cast<vdaElementList>(e.entity); list && e.role == Role::assembly)
            for (int i = 0; i < list->num_elements(); ++i)
                if (const vdaObjectPtr m = list->element(i))
                    listed.insert(m());
    const auto place_at_top = [&](const vdaObject& entity) {
        const TDF_Label l = label(entity);
        if (!l.IsNull())
            name(tool_->AddComponent(root, l, TopLoc_Location()), entity);
    };
    for (const vdcExportPlan::Entry& e : plan_.entries())
        if (e.entity && plan_.placeable(*e.entity) && !listed.count(e.entity) &&
            !((e.role == Role::face || e.role == Role::untrimmed_face) && shapes_.shell_of(*e.entity)))
            place_at_top(*e.entity);
    // Lists that only list one another are reached from nowhere: they go to the top too.
    for (const vdcExportPlan::Entry& e : plan_.entries())
        if (e.entity && (e.role == Role::assembly || e.role == Role::instances) && !labels_.count(e.entity))
            place_at_top(*e.entity);
    tool_->UpdateAssemblies();
    return document;
}

TDF_Label vdcXcafBuilder::label(const vdaObject& entity)
{
    if (const auto it = labels_.find(&entity); it != labels_.end())
        return it->second;
    TDF_Label l;
    const Role role = plan_.role(entity);
    if (role == Role::assembly || role == Role::instances) {
        if (open_.count(&entity))
            return {};
        l = assembly(static_cast<const vdaElementList&>(entity));
    } else if (role == Role::shell) {
        const vdcShapeBuilder::Shell* shell = shapes_.shell_of(entity);
        if (!shell)
            return {};
        if (shell->top != &entity)
            return label(*shell->top);
        l = tool_->AddShape(shell->shape, Standard_False);
        name(l, entity);
        for (const auto& [e, face] : shell->faces)
            name(tool_->AddSubShape(l, face), *e);
        ++counts_->shells;
        counts_->faces += shell->faces.size();
    } else if (plan_.placeable(entity)) {
        const TopoDS_Shape shape = shapes_.shape(entity);
        if (shape.IsNull())
            return {};
        l = tool_->AddShape(shape, Standard_False);
        name(l, entity);
        // A face of a shell placed again by a list is counted with its shell.
        if ((role == Role::face || role == Role::untrimmed_face) && !shapes_.shell_of(entity))
            ++counts_->faces;
        else if (role == Role::edge)
            ++counts_->edges;
        else if (role == Role::vertex)
            ++counts_->vertices;
        else if (role == Role::vertices)
            counts_->vertices += static_cast<std::size_t>(entity.is_type(vdaPset::id)
                                                              ? static_cast<const vdaPset&>(entity).num_points()
                                                              : static_cast<const vdaMDI&>(entity).num_point_vector());
    }
    labels_[&entity] = l;
    return l;
}

TDF_Label vdcXcafBuilder::assembly(const vdaElementList& list)
{
    open_.insert(&list);
    const TDF_Label l = tool_->NewShape();
    name(l, list);
    TopLoc_Location at;
    const vdaTlist* tlist = vda_cast<vdaTlist>(&list);
    if (tlist) {
        gp_Trsf trsf;
        if (const vdaTmat* tmat = vda_cast<vdaTmat>(tlist->transform()()))
            if (vdcOcctGeometry::placement(tmat->matrix(), trsf))
                at = TopLoc_Location(trsf);
    }
    for (int i = 0; i < list.num_elements(); ++i) {
        const vdaObjectPtr m = list.element(i);
        if (!m || !plan_.placeable(*m()) || (!tlist && shapes_.shell_of(*m()) && plan_.role(*m()) != Role::shell))
            continue;
        const TDF_Label member = label(*m());
        if (member.IsNull())
            continue;
        name(tool_->AddComponent(l, member, at), *m());
        if (tlist)
            ++counts_->instances;
    }
    ++counts_->assemblies;
    open_.erase(&list);
    return l;
}
