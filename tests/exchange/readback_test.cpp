// What the exchange library exports is valid to OCCT and reads back as it was written: every face and shell
// passes OCCT's checker, the STEP and IGES files read back through OCCT's readers to the same named faces, and
// each face has the area of the model's own tessellation of it.
#include <map>

#include <gtest/gtest.h>

#include <BRepCheck_Analyzer.hxx>
#include <BRepGProp.hxx>
#include <GProp_GProps.hxx>
#include <IGESCAFControl_Reader.hxx>
#include <Interface_Static.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp_Explorer.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Face.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <vdacheck/exchange/vdc_convert.h>
#include <vdacheck/exchange/vdc_export_plan.h>
#include <vdacheck/exchange/vdc_shape_builder.h>
#include <vdacheck/geometry/gi_vector_ops.h>

#include "exchange_support.h"

namespace {

using Role = vdcExportPlan::Role;

// Every named face of a document read back: sub-shapes named after their face, and shapes of one face named
// after it (a face written as a product of its own).
std::map<std::string, TopoDS_Face> named_faces(const Handle(TDocStd_Document) & document)
{
    const Handle(XCAFDoc_ShapeTool) tool = XCAFDoc_DocumentTool::ShapeTool(document->Main());
    std::map<std::string, TopoDS_Face> faces;
    const std::function<void(const TDF_Label&)> visit = [&](const TDF_Label& label) {
        Handle(TDataStd_Name) name;
        const TopoDS_Shape shape = tool->GetShape(label);
        std::vector<TopoDS_Face> in;
        for (TopExp_Explorer it(shape, TopAbs_FACE); it.More(); it.Next())
            in.push_back(TopoDS::Face(it.Current()));
        if (label.FindAttribute(TDataStd_Name::GetID(), name) && in.size() == 1)
            faces[TCollection_AsciiString(name->Get()).ToCString()] = in.front();
        TDF_LabelSequence subs;
        tool->GetSubShapes(label, subs);
        for (int i = 1; i <= subs.Length(); ++i)
            visit(subs.Value(i));
    };
    TDF_LabelSequence labels;
    tool->GetShapes(labels);
    for (int i = 1; i <= labels.Length(); ++i)
        visit(labels.Value(i));
    return faces;
}

Handle(TDocStd_Document) read_back(const std::filesystem::path& path, vdcExchangeFormat format)
{
    Handle(TDocStd_Document) document;
    XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", document);
    bool read = false;
    if (format == vdcExchangeFormat::step) {
        STEPCAFControl_Reader reader;
        Interface_Static::SetIVal("read.stepcaf.subshapes.name", 1);
        reader.SetNameMode(Standard_True);
        read = reader.ReadFile(path.c_str()) == IFSelect_RetDone && reader.Transfer(document);
    } else {
        IGESCAFControl_Reader reader;
        reader.SetNameMode(Standard_True);
        read = reader.ReadFile(path.c_str()) == IFSelect_RetDone && reader.Transfer(document);
    }
    EXPECT_TRUE(read) << path;
    return document;
}

// Adaptive integration: an edge may hold corners (a cons of several segments), where fixed Gauss points fail.
double area(const TopoDS_Shape& face)
{
    GProp_GProps properties;
    BRepGProp::SurfaceProperties(face, properties, 1e-9);
    return properties.Mass();
}

// The area of an entity's own drawing (not an instance of it).
double drawn_area(const vdaScene& scene, const std::string& entity)
{
    for (const vdaDrawing& d : scene.drawings)
        if (d.entity == entity && d.transform.empty() && d.shape == vdaDrawing::Shape::triangles) {
            double sum = 0.0;
            const auto p = [&](std::uint32_t i) {
                return giPoint3(d.positions[3 * i], d.positions[3 * i + 1], d.positions[3 * i + 2]);
            };
            for (std::size_t t = 0; t + 2 < d.indices.size(); t += 3)
                sum +=
                    0.5 * gi_norm((p(d.indices[t + 1]) - p(d.indices[t])).cross(p(d.indices[t + 2]) - p(d.indices[t])));
            return sum;
        }
    return 0.0;
}

}  // namespace

TEST(ExchangeReadBack, FacesAndShellsPassOcctsChecker)
{
    for (vdatest::Model& model : vdatest::exchange_models()) {
        SCOPED_TRACE(model.name);
        if (model.repair)
            vdc_repair(*model.file);
        const vdcConvertOptions options;
        vdcExportPlan plan(*model.file, options);
        vdcShapeBuilder shapes(plan);
        shapes.build();
        for (const vdcExportPlan::Entry& e : plan.entries())
            if (e.entity && (e.role == Role::face || e.role == Role::untrimmed_face)) {
                const TopoDS_Shape face = shapes.shape(*e.entity);
                ASSERT_FALSE(face.IsNull()) << e.entity->name().c_str();
                EXPECT_TRUE(BRepCheck_Analyzer(face).IsValid()) << e.entity->name().c_str();
            }
        for (const vdcShapeBuilder::Shell& shell : shapes.shells())
            EXPECT_TRUE(BRepCheck_Analyzer(shell.shape).IsValid()) << shell.top->name().c_str();
    }
}

TEST(ExchangeReadBack, StepAndIgesReadBackToTheSameNamedFacesOfTheDrawnArea)
{
    const std::filesystem::path dir = vdatest::scratch("readback");
    for (const vdcExchangeFormat format : {vdcExchangeFormat::step, vdcExchangeFormat::iges})
        for (vdatest::Model& model : vdatest::exchange_models()) {
            SCOPED_TRACE(model.name + "." + vdc_exchange_format_name(format));
            vdcConvertOptions options;
            options.repair = model.repair;
            options.format = format;
            const std::filesystem::path path = dir / (model.name + "." + vdc_exchange_format_name(format));
            const vdcConvertResult result = vdc_convert(*model.file, path, options);
            std::vector<std::string> exported;
            for (const vdcConvertedEntity& e : result.exported)
                if (e.as.starts_with("face") || e.as.starts_with("untrimmed face"))
                    exported.push_back(e.entity);
            EXPECT_EQ(exported.size(), result.counts.faces);
            if (!result.written)
                continue;
            const Handle(TDocStd_Document) document = read_back(path, format);
            const std::map<std::string, TopoDS_Face> faces = named_faces(document);
            XCAFApp_Application::GetApplication()->Close(document);
            vdaTessellationOptions fine;
            fine.relative_tolerance = 1e-4;
            const vdaScene scene = vdaTessellator::tessellate(*model.file, fine);
            for (const std::string& name : exported) {
                const auto it = faces.find(name);
                ASSERT_NE(it, faces.end()) << name << " is not read back";
                EXPECT_TRUE(BRepCheck_Analyzer(it->second).IsValid()) << name;
                const double drawn = drawn_area(scene, name);
                EXPECT_NEAR(area(it->second), drawn, 0.005 * drawn) << name;
            }
        }
}
