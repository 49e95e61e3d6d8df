#include <vdacheck/exchange/vdc_shape_builder.h>

#include <algorithm>
#include <numeric>

#include <BRepBuilderAPI_MakeEdge.hxx>
#include <BRepBuilderAPI_MakeFace.hxx>
#include <BRepBuilderAPI_MakeVertex.hxx>
#include <BRepBuilderAPI_Sewing.hxx>
#include <BRepCheck_Analyzer.hxx>
#include <BRep_Builder.hxx>
#include <Precision.hxx>
#include <Standard_Failure.hxx>
#include <TopExp.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Compound.hxx>
#include <TopoDS_Edge.hxx>
#include <TopoDS_Iterator.hxx>
#include <TopoDS_Vertex.hxx>

#include <vdacheck/eval/vda_cons_eval.h>
#include <vdacheck/exchange/vdc_export_plan.h>
#include <vdacheck/exchange/vdc_face_builder.h>
#include <vdacheck/exchange/vdc_occt_geometry.h>
#include <vdacheck/model/vda_types.h>

namespace {

using Role = vdcExportPlan::Role;

std::string named(const vdaObject& entity)
{
    return std::string(entity.type().command_word()) + " " + std::string(entity.name().view());
}

gp_Pnt point(const giPoint3& p) { return gp_Pnt(p.x(), p.y(), p.z()); }

TopoDS_Shape vertices(const std::vector<gp_Pnt>& points)
{
    BRep_Builder builder;
    TopoDS_Compound compound;
    builder.MakeCompound(compound);
    for (const gp_Pnt& p : points)
        builder.Add(compound, BRepBuilderAPI_MakeVertex(p).Vertex());
    return compound;
}

}  // namespace

void vdcShapeBuilder::build()
{
    build_faces();
    plan_.settle();
    build_shells();
    plan_.settle();
    build_rest();
    plan_.settle();
}

TopoDS_Shape vdcShapeBuilder::shape(const vdaObject& entity) const
{
    if (const Shell* shell = shell_of(entity))
        for (const auto& [e, face] : shell->faces)
            if (e == &entity)
                return face;
    const auto it = shapes_.find(&entity);
    return it == shapes_.end() ? TopoDS_Shape() : it->second;
}

const vdcShapeBuilder::Shell* vdcShapeBuilder::shell_of(const vdaObject& entity) const
{
    const auto it = shell_of_.find(&entity);
    return it == shell_of_.end() ? nullptr : &shells_[it->second];
}

void vdcShapeBuilder::build_faces()
{
    const vdcFaceBuilder faces(geometry_, plan_);
    for (const vdcExportPlan::Entry& entry : plan_.entries()) {
        if (!entry.entity)
            continue;
        plan_.cancel().check();
        const vdaObject& entity = *entry.entity;
        if (entry.role == Role::face) {
            vdcFaceBuilder::Failure failure;
            bool mended = false;
            const TopoDS_Face face = faces.build(static_cast<const vdaFace&>(entity), entry.mend, failure, mended);
            if (face.IsNull()) {
                const bool gap = !std::isnan(failure.value);
                plan_.leave_out(entity, failure.rule, failure.reason, failure.value,
                                gap ? plan_.tolerance(vdcQualityRule::face_loop_gap) : failure.value, gap ? "mm" : "");
                continue;
            }
            if (mended)
                plan_.entry(entity).note = "its boundary pieces ordered end to end by shape healing";
            shapes_[&entity] = face;
        } else if (entry.role == Role::untrimmed_face) {
            const Handle(Geom_Surface) surface = geometry_.surface(static_cast<const vdaSurf&>(entity));
            TopoDS_Shape face;
            try {
                if (!surface.IsNull())
                    if (BRepBuilderAPI_MakeFace make(surface, Precision::Confusion()); make.IsDone())
                        face = make.Face();
            } catch (const Standard_Failure&) {
                face.Nullify();
            }
            if (face.IsNull() || !BRepCheck_Analyzer(face).IsValid())
                plan_.leave_out(entity, "convert-face-not-built", "OCCT cannot make a valid face of the whole surface");
            else
                shapes_[&entity] = face;
        }
    }
}

// TOPs that share a face are sewn together: union-find over the sides.
void vdcShapeBuilder::build_shells()
{
    std::vector<const vdaTop*> tops;
    for (const vdcExportPlan::Entry& entry : plan_.entries())
        if (entry.role == Role::shell)
            tops.push_back(static_cast<const vdaTop*>(entry.entity));
    std::unordered_map<const vdaObject*, const vdaObject*> parent;
    const auto find = [&](const vdaObject* e) {
        while (parent[e] != e)
            e = parent[e] = parent[parent[e]];
        return e;
    };
    std::vector<const vdaTop*> usable;
    for (const vdaTop* top : tops) {
        std::vector<const vdaObject*> sides;
        for (int i = 0; i < top->num_surface_pairs(); ++i)
            for (const vdaLinkedSurf* side :
                 {&top->surface_pair(i).first_linked_surface(), &top->surface_pair(i).second_linked_surface()})
                sides.push_back(side->basis_entity()());
        const auto missing = std::find_if(sides.begin(), sides.end(),
                                          [&](const vdaObject* e) { return !e || shapes_.find(e) == shapes_.end(); });
        if (sides.empty() || missing != sides.end()) {
            plan_.leave_out(*top, "convert-unused",
                            "a side is not exported as a face of its own" +
                                (missing != sides.end() && *missing ? ": " + named(**missing) : std::string()));
            continue;
        }
        for (const vdaObject* e : sides)
            parent.try_emplace(e, e);
        for (const vdaObject* e : sides)
            parent[find(e)] = find(sides.front());
        usable.push_back(top);
    }
    std::vector<std::vector<const vdaTop*>> groups;
    std::unordered_map<const vdaObject*, std::size_t> group_of;
    for (const vdaTop* top : usable) {
        const vdaObject* root = find(top->surface_pair(0).first_linked_surface().basis_entity()());
        const auto [it, added] = group_of.try_emplace(root, groups.size());
        if (added)
            groups.emplace_back();
        groups[it->second].push_back(top);
    }
    for (const auto& group : groups) {
        plan_.cancel().check();
        sew(group);
    }
}

void vdcShapeBuilder::sew(const std::vector<const vdaTop*>& tops)
{
    double gap = 0.0;
    std::vector<const vdaObject*> faces;
    for (const vdaTop* top : tops) {
        gap = std::max(gap, plan_.measured(*top, vdcQualityRule::top_edge_gap));
        for (int i = 0; i < top->num_surface_pairs(); ++i)
            for (const vdaLinkedSurf* side :
                 {&top->surface_pair(i).first_linked_surface(), &top->surface_pair(i).second_linked_surface()})
                if (std::find(faces.begin(), faces.end(), side->basis_entity()()) == faces.end())
                    faces.push_back(side->basis_entity()());
    }
    Shell shell{tops.front(), {}, {}};
    try {
        BRepBuilderAPI_Sewing sewing(std::max(1e-6, 1.5 * gap));
        for (const vdaObject* f : faces)
            sewing.Add(shapes_[f]);
        sewing.Perform();
        TopoDS_Shape sewn = sewing.SewedShape();
        if (sewn.ShapeType() == TopAbs_COMPOUND)
            if (TopoDS_Iterator it(sewn); it.More()) {
                const TopoDS_Shape first = it.Value();
                it.Next();
                if (!it.More())
                    sewn = first;
            }
        if (sewn.ShapeType() == TopAbs_SHELL && BRepCheck_Analyzer(sewn).IsValid()) {
            shell.shape = sewn;
            for (const vdaObject* f : faces)
                shell.faces.emplace_back(f, sewing.IsModified(shapes_[f]) ? sewing.Modified(shapes_[f]) : shapes_[f]);
        }
    } catch (const Standard_Failure&) {
        shell.shape.Nullify();
    }
    if (shell.shape.IsNull() || std::any_of(shell.faces.begin(), shell.faces.end(), [](const auto& f) {
            return f.second.IsNull() || f.second.ShapeType() != TopAbs_FACE;
        })) {
        for (const vdaTop* top : tops)
            plan_.leave_out(*top, "convert-not-sewn", "OCCT's sewing does not join its faces into one valid shell", gap,
                            plan_.tolerance(vdcQualityRule::top_edge_gap), "mm");
        return;
    }
    const std::string in = "in the shell of " + named(*tops.front());
    for (const vdaTop* top : tops)
        if (top != tops.front())
            plan_.entry(*top).note = "sewn " + in;
    for (const auto& [f, face] : shell.faces) {
        plan_.entry(*f).note = in;
        plan_.entry(*f).in_shell = true;
        shell_of_[f] = shells_.size();
    }
    shell_of_[tops.front()] = shells_.size();
    for (const vdaTop* top : tops)
        shell_of_[top] = shells_.size();
    shells_.push_back(std::move(shell));
}

void vdcShapeBuilder::build_rest()
{
    BRep_Builder builder;
    for (const vdcExportPlan::Entry& entry : plan_.entries()) {
        if (!entry.entity || (entry.role != Role::edge && entry.role != Role::vertex && entry.role != Role::vertices))
            continue;
        plan_.cancel().check();
        const vdaObject& entity = *entry.entity;
        TopoDS_Shape shape;
        try {
            if (const vdaCurve* curve = vda_cast<vdaCurve>(&entity)) {
                if (const Handle(Geom_Curve) c = geometry_.curve(*curve); !c.IsNull())
                    if (BRepBuilderAPI_MakeEdge make(c); make.IsDone())
                        shape = make.Edge();
            } else if (const vdaCircle* circle = vda_cast<vdaCircle>(&entity)) {
                if (const Handle(Geom_Curve) c = vdcOcctGeometry::circle(*circle); !c.IsNull())
                    if (BRepBuilderAPI_MakeEdge make(c); make.IsDone())
                        shape = make.Edge();
            } else if (const vdaCons* cons = vda_cast<vdaCons>(&entity)) {
                // Its space curve over the range it covers, with the cons on its surface.
                const vdaCurve* curve = vda_cast<vdaCurve>(cons->curve_3d()());
                const vdaSurf* surf = vda_cast<vdaSurf>(cons->basis_surface()());
                const Handle(Geom_Curve) c3 = curve ? geometry_.curve(*curve) : Handle(Geom_BSplineCurve)();
                const Handle(Geom2d_Curve) c2 = geometry_.pcurve(*cons);
                const Handle(Geom_Surface) s = surf ? geometry_.surface(*surf) : Handle(Geom_BSplineSurface)();
                if (!c3.IsNull() && !c2.IsNull() && !s.IsNull()) {
                    const double a = cons->start_parameter(), b = cons->end_parameter();
                    if (BRepBuilderAPI_MakeEdge make(c3, std::min(a, b), std::max(a, b)); make.IsDone()) {
                        const TopoDS_Edge edge = make.Edge();
                        const double tol = std::max(Precision::Confusion(),
                                                    1.05 * plan_.measured(*cons, vdcQualityRule::cons_curve_deviation));
                        builder.UpdateEdge(edge, c2, s, TopLoc_Location(), tol);
                        TopoDS_Vertex first, last;
                        TopExp::Vertices(edge, first, last);
                        builder.UpdateVertex(first, tol);
                        builder.UpdateVertex(last, tol);
                        shape = edge;
                    }
                }
            } else if (const vdaPoint* p = vda_cast<vdaPoint>(&entity)) {
                // In a compound, as point sets are: a STEP writer merges lone vertices of an assembly into one
                // unnamed product.
                shape = vertices({point(p->point())});
            } else if (const vdaPset* pset = vda_cast<vdaPset>(&entity)) {
                std::vector<gp_Pnt> points;
                for (int i = 0; i < pset->num_points(); ++i)
                    points.push_back(point(pset->point(i)));
                shape = vertices(points);
            } else if (const vdaMDI* mdi = vda_cast<vdaMDI>(&entity)) {
                std::vector<gp_Pnt> points;
                for (int i = 0; i < mdi->num_point_vector(); ++i)
                    points.push_back(point(mdi->point(i)));
                shape = vertices(points);
            }
        } catch (const Standard_Failure&) {
            shape.Nullify();
        }
        if (shape.IsNull())
            plan_.leave_out(entity, "convert-not-built", "OCCT cannot make its shape");
        else
            shapes_[&entity] = shape;
    }
}
