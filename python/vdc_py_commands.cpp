// The module's functions. Each runs the library the way the tool does (the tool's own check, fix and repair of a
// model read), with the GIL released for the long part, and converts the outcome to Python values.
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include <pybind11/pybind11.h>
#include <pybind11/stl/filesystem.h>

#include <tool/vdc_cli_runner.h>
#include <vdc_py_bindings.h>
#include <vdc_py_model.h>
#include <vdc_py_report.h>
#include <vdacheck/io/vda_reader.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/rules/vdc_rules.h>

namespace py = pybind11;

namespace {

[[noreturn]] void not_yet(const char* what)
{
    PyErr_SetString(PyExc_NotImplementedError, what);
    throw py::error_already_set();
}

std::shared_ptr<vdcPyModel> load_file(const std::filesystem::path& path)
{
    std::unique_ptr<vdaFile> file;
    {
        const py::gil_scoped_release release;
        file = vdaReader::load(path);
    }
    return std::make_shared<vdcPyModel>(std::move(file));
}

std::shared_ptr<vdcPyModel> read_text(const py::object& text, const std::string& name)
{
    // str is taken as UTF-8, with the surrogate escapes that Model.write() gives bytes that are not.
    py::bytes bytes;
    if (py::isinstance<py::str>(text)) {
        PyObject* encoded = PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogateescape");
        if (!encoded)
            throw py::error_already_set();
        bytes = py::reinterpret_steal<py::bytes>(encoded);
    } else if (py::isinstance<py::bytes>(text)) {
        bytes = py::reinterpret_borrow<py::bytes>(text);
    } else {
        throw py::type_error("read() takes the text as str or bytes");
    }
    char* data = nullptr;
    py::ssize_t size = 0;
    PyBytes_AsStringAndSize(bytes.ptr(), &data, &size);
    std::unique_ptr<vdaFile> file;
    {
        const py::gil_scoped_release release;  // `bytes` is immutable and held here meanwhile
        file = vdaReader::read(std::string_view(data, static_cast<std::size_t>(size)), name);
    }
    return std::make_shared<vdcPyModel>(std::move(file));
}

py::list check(vdcPyModel& model, bool quality)
{
    if (quality)
        not_yet("this build of vdacheck has no geometric quality profile yet");
    const vdcPyModel::Use use(model);
    const vdcCliReport report = model.without_gil(use, [](vdaFile& file) { return vdcCliRunner::check_model(file); });
    return vdc_py_problems(report.errors);
}

py::object fix(vdcPyModel& model, bool clean)
{
    const vdcPyModel::Use use(model);
    if (clean)
        model.refuse_views("clean");
    const vdcCliReport report =
        model.without_gil(use, [&](vdaFile& file) { return vdcCliRunner::fix_model(file, clean); });
    return vdc_py_result(report);
}

py::object repair(vdcPyModel& model)
{
    const vdcPyModel::Use use(model);
    model.refuse_views("repair");
    const vdcCliReport report = model.without_gil(use, [](vdaFile& file) { return vdcCliRunner::repair_model(file); });
    return vdc_py_result(report);
}

py::list rules()
{
    py::list list;
    for (const vdcRule& rule : vdc_rules())
        list.append(vdc_py_rule(rule));
    return list;
}

}  // namespace

void vdc_py_bind_commands(py::module_& m)
{
    m.def("load", &load_file, py::arg("path"),
          R"(Reads the VDA-FS file at `path` into a Model.

Raises ReadError (with .path, .line, .column, .message) when the file cannot be read as VDA-FS statements or
cannot be opened; nothing half-read is returned. Deviations the reader tolerates become Model.warnings.
Runs without the GIL.)");
    m.def("read", &read_text, py::arg("text"), py::arg("name") = "<string>",
          R"(Reads VDA-FS text (str or bytes) into a Model; `name` stands for the file in messages.

Raises ReadError like load(). Runs without the GIL.)");
    m.def("check", &check, py::arg("model"), py::kw_only(), py::arg("quality") = false,
          R"(Checks every entity of `model` and returns its problems (list of Problem), entity by entity in file
order, as `vdacheck check` reports them. The model is not changed.

quality=True also measures the geometric quality rules; this build does not have them yet
(NotImplementedError).
Runs without the GIL; ModelBusyError when another thread uses the model.)");
    m.def("fix", [](vdcPyModel& model) { return fix(model, false); }, py::arg("model"),
          R"(Checks `model` and repairs what the repair functions can, referenced entities first, as
`vdacheck fix` does. Returns a Result: `repaired` holds the problems repaired, `errors` those left, `clean` whether
none is left. Changes the model in place; deletes nothing.)");
    m.def("clean", [](vdcPyModel& model) { return fix(model, true); }, py::arg("model"),
          R"(fix(), then deletes every entity that still has problems, as `vdacheck fix --clean` does. Returns a
Result: `deleted` names the entities deleted, `errors` the problems they had; `clean` is as fix left the error log.

BufferError while NumPy arrays view the model's entities: a deleted entity would take their memory with it.)");
    m.def("repair", &repair, py::arg("model"),
          R"(Repairs `model` until it checks clean, as `vdacheck repair` does: rounds of check, fix, check again
and delete what still has problems. Returns a Result with one Round per round; `repaired` and `errors` carry
the round of each problem, `errors` holding those that made entities go.

BufferError while NumPy arrays view the model's entities (see clean()).)");
    m.def("rules", &rules,
          R"(Every rule vdacheck has (list of Rule): the structural checks, then the reader's deviations, then the
geometric quality rules, each with its id, what it finds and what its repair does.)");
    m.def("report", [](const vdcPyModel&, const py::object&) -> void {
        not_yet("this build of vdacheck has no HTML report writer yet");
    }, py::arg("model"), py::arg("path"),
          R"(Writes the HTML report page of `model` to `path`, as the tool does; this build does not have the
report writer yet (NotImplementedError).)");
}
