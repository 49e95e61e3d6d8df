// The Python class Model: a VDA-FS model read by load() or read(), its entities in file order and by name, its
// reader warnings, and writing it back.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <sstream>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <vdacheck/io/vda_writer.h>
#include <vdacheck/model/vda_file.h>
#include <vdc_py_bindings.h>
#include <vdc_py_entity.h>
#include <vdc_py_model.h>
#include <vdc_py_report.h>
#include <vdc_py_values.h>

namespace py = pybind11;

namespace {

// Walks the live entities in file order by slot, looking each up under a use of the model, so that entities
// deleted meanwhile are skipped and a walk never holds the model between two steps.
struct EntityWalk {
    std::shared_ptr<vdcPyModel> model;
    std::uint32_t next = 0;

    py::object step()
    {
        const vdcPyModel::Use use(*model);
        const vdaFile& file = use.file();
        while (next < file.num_slots())
            if (const vdaObject* entity = file.slot(next++))
                return vdcPyEntity::wrap(model, *entity);
        throw py::stop_iteration();
    }
};

const vdaObject* find(const vdcPyModel::Use& use, const std::string& name)
{
    return use.file().find(utString(std::string_view(name)));
}

}  // namespace

void vdc_py_bind_model(py::module_& m)
{
    py::class_<EntityWalk>(m, "_EntityWalk")
        .def("__iter__", [](EntityWalk& w) -> EntityWalk& { return w; })
        .def("__next__", &EntityWalk::step);

    py::class_<vdcPyModel, std::shared_ptr<vdcPyModel>> model_class(
        m, "Model",
        R"(A VDA-FS model, from load() or read(): its entities in file order (iteration, len()) and by name
(model["NAME"]), and the warnings the reader met. Entities and arrays taken from it keep it alive.

A model serves one thread at a time: a call while another thread's call on the same model runs raises
ModelBusyError.)");
    model_class.attr("__module__") = "vdacheck";  // as the package exports it, in help() and signatures
    model_class
        .def(
            "__len__", [](vdcPyModel& model) { return vdcPyModel::Use(model).file().size(); },
            "Number of entities (the HEADER and each set count; END and ENDSET do not).")
        .def(
            "__iter__", [](const std::shared_ptr<vdcPyModel>& model) { return EntityWalk{model}; },
            "The entities in file order; those deleted during the walk are skipped.")
        .def(
            "__getitem__",
            [](const std::shared_ptr<vdcPyModel>& model, const std::string& name) {
                const vdcPyModel::Use use(*model);
                const vdaObject* entity = find(use, name);
                if (!entity)
                    throw py::key_error(name);
                return vdcPyEntity::wrap(model, *entity);
            },
            py::arg("name"), "The entity of that name (the first, when several share it); KeyError when none has it.")
        .def(
            "get",
            [](const std::shared_ptr<vdcPyModel>& model, const std::string& name, const py::object& default_) {
                const vdcPyModel::Use use(*model);
                const vdaObject* entity = find(use, name);
                return entity ? vdcPyEntity::wrap(model, *entity) : default_;
            },
            py::arg("name"), py::arg("default") = py::none(), "The entity of that name, or `default`.")
        .def(
            "__contains__",
            [](vdcPyModel& model, const std::string& name) {
                const vdcPyModel::Use use(model);
                return find(use, name) != nullptr;
            },
            py::arg("name"))
        .def_property_readonly(
            "name", [](vdcPyModel& model) { return vdc_py_str(vdcPyModel::Use(model).file().source_name()); },
            "The path or name the model was read under.")
        .def_property_readonly(
            "warnings",
            [](vdcPyModel& model) {
                const vdcPyModel::Use use(model);
                return vdc_py_warnings(use.file().warnings());
            },
            "The deviations the reader tolerated, in file order (list of ReadWarning).")
        .def(
            "save",
            [](vdcPyModel& model, const std::filesystem::path& path) {
                const vdcPyModel::Use use(model);
                model.without_gil(use, [&](vdaFile& file) { vdaWriter::save(file, path); });
            },
            py::arg("path"),
            R"(Writes the model to `path` as VDA-FS: unchanged entities byte for byte as read, changed ones
afresh, deleted ones left out. Writes a temporary file and renames it, so `path` is never half-written.
WriteError when the model holds something VDA-FS cannot express, or writing fails. Runs without the GIL.)")
        .def(
            "write",
            [](vdcPyModel& model) {
                const vdcPyModel::Use use(model);
                const std::string text = model.without_gil(use, [](vdaFile& file) {
                    std::ostringstream out;
                    vdaWriter::write(file, out);
                    return std::move(out).str();
                });
                return vdc_py_str(text);
            },
            R"(The model as VDA-FS text, as save() would write it. Bytes that are not UTF-8 come as surrogate
escapes: text.encode("utf-8", "surrogateescape") gives the bytes save() writes.)")
        .def_property_readonly(
            "_released_ns", &vdcPyModel::released_interval,
            "time.monotonic_ns() at the start and end of the last call on the model that ran without the GIL.")
        .def("__repr__", [](vdcPyModel& model) {
            const vdcPyModel::Use use(model);
            return py::str("<vdacheck.Model {!r}: {} entities>")
                .format(vdc_py_str(use.file().source_name()), use.file().size());
        });
}
