#include <vdacheck/exchange/vdc_cad_writer.h>

#include <mutex>
#include <stdexcept>
#include <string>

#include <IFSelect_ReturnStatus.hxx>
#include <IGESCAFControl_Writer.hxx>
#include <IGESControl_Controller.hxx>
#include <Interface_Static.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_Printer.hxx>
#include <STEPCAFControl_Controller.hxx>
#include <STEPCAFControl_Writer.hxx>
#include <Standard_Failure.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>

#include <vdacheck/exchange/vdc_convert_error.h>
#include <vdacheck/util/ut_replace_file.h>

namespace {

std::mutex occt_statics;

// OCCT's default messenger prints the writers' statistics on standard output, where the tool writes its
// reports: its printers are held to failures.
void quiet_messages()
{
    for (NCollection_Sequence<Handle(Message_Printer)>::Iterator it(Message::DefaultMessenger()->Printers()); it.More();
         it.Next())
        it.Value()->SetTraceLevel(Message_Fail);
}

// Writes the document to `temporary`, the path of the file ut_replace_file_at replaces the output with;
// failures throw std::runtime_error with the reason.
void write_file(const Handle(TDocStd_Document) & document, vdcExchangeFormat format, vdcStepSchema schema,
                const std::filesystem::path& temporary)
{
    const std::lock_guard lock(occt_statics);
    const std::string path = temporary.string();
    quiet_messages();
    try {
        if (format == vdcExchangeFormat::step) {
            STEPCAFControl_Controller::Init();
            Interface_Static::SetCVal("write.step.schema", schema == vdcStepSchema::ap242 ? "AP242DIS" : "AP214IS");
            Interface_Static::SetCVal("write.step.unit", "MM");
            Interface_Static::SetIVal("write.stepcaf.subshapes.name", 1);
            STEPCAFControl_Writer writer;
            writer.SetNameMode(Standard_True);
            writer.SetColorMode(Standard_False);
            writer.SetLayerMode(Standard_False);
            if (!writer.Transfer(document, STEPControl_AsIs))
                throw std::runtime_error("OCCT's STEP writer refuses the model");
            if (writer.Write(path.c_str()) != IFSelect_RetDone)
                throw std::runtime_error("OCCT's writer failed");
        } else {
            IGESControl_Controller::Init();
            Interface_Static::SetCVal("write.iges.unit", "MM");
            IGESCAFControl_Writer writer;
            writer.SetNameMode(Standard_True);
            writer.SetColorMode(Standard_False);
            writer.SetLayerMode(Standard_False);
            // OCCT's IGES writer keeps names only on shapes transferred on their own, and writes faces as
            // trimmed surfaces, flat: each entity's shape is transferred, each face of a shell as a shape of
            // its own, and the assemblies, which IGES would flatten anyway, are not.
            const Handle(XCAFDoc_ShapeTool) tool = XCAFDoc_DocumentTool::ShapeTool(document->Main());
            TDF_LabelSequence all, shapes;
            tool->GetShapes(all);
            for (int i = 1; i <= all.Length(); ++i) {
                const TDF_Label& label = all.Value(i);
                TDF_LabelSequence faces;
                if (tool->IsAssembly(label))
                    continue;
                if (!tool->GetSubShapes(label, faces)) {
                    shapes.Append(label);
                    continue;
                }
                for (int f = 1; f <= faces.Length(); ++f) {
                    const TDF_Label face = tool->AddShape(tool->GetShape(faces.Value(f)), Standard_False);
                    Handle(TDataStd_Name) name;
                    if (faces.Value(f).FindAttribute(TDataStd_Name::GetID(), name))
                        TDataStd_Name::Set(face, name->Get());
                    shapes.Append(face);
                }
            }
            if (!writer.Transfer(shapes))
                throw std::runtime_error("OCCT's IGES writer refuses the model");
            if (!writer.Write(path.c_str()))
                throw std::runtime_error("OCCT's writer failed");
        }
    } catch (const Standard_Failure& e) {
        throw std::runtime_error(std::string("OCCT failed: ") + e.GetMessageString());
    }
}

}  // namespace

void vdcCadWriter::write(const Handle(TDocStd_Document) & document, vdcExchangeFormat format, vdcStepSchema schema,
                         const std::filesystem::path& output, const utReplaceOptions& save)
{
    try {
        ut_replace_file_at(
            output, [&](const std::filesystem::path& temporary) { write_file(document, format, schema, temporary); },
            save);
    } catch (const std::exception& e) {
        throw vdcConvertError("cannot write " + output.string() + ": " + e.what());
    }
}
