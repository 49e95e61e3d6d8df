// The module's convert(): a model written as STEP, IGES or glTF through the exchange library, as the tool's
// `convert` writes it. A module built without the exchange library (VDACHECK_BUILD_EXCHANGE=OFF) has the
// function all the same, and it says so.
#include <filesystem>
#include <optional>
#include <string>

#include <pybind11/pybind11.h>
#include <pybind11/stl/filesystem.h>

#include <vdacheck/run/vdc_run_result.h>
#include <vdc_py_bindings.h>
#include <vdc_py_interrupt.h>
#include <vdc_py_model.h>
#include <vdc_py_profile.h>
#include <vdc_py_report.h>
#include <vdc_py_values.h>

#ifdef VDACHECK_PY_EXCHANGE
#  include <vdacheck/exchange/vdc_convert.h>
#  include <vdacheck/exchange/vdc_run_convert.h>
#  include <vdacheck/util/ut_thread_team.h>
#endif

namespace py = pybind11;

namespace {

#ifdef VDACHECK_PY_EXCHANGE

// The result as the module's Conversion, field for field as the tool's JSON report of convert.
py::object conversion(const vdcRunResult& result)
{
    const py::module_ values = vdc_py_values_module();
    py::list warnings;
    for (const vdcProblem& w : result.warnings)
        warnings.append(values.attr("ReadWarning")(vdc_py_str(w.id()), w.line, w.column, vdc_py_str(w.message),
                                                   w.summary, vdc_severity_name(w.severity)));
    py::list exported;
    for (const vdcConvertedEntity& e : result.exported)
        exported.append(values.attr("Exported")(vdc_py_str(e.entity), vdc_py_str(e.type), e.line, vdc_py_str(e.as)));
    py::dict counts;
    const vdcConvertCounts& c = result.counts;
    for (const auto& [key, n] : {std::pair("faces", c.faces),
                                 {"shells", c.shells},
                                 {"edges", c.edges},
                                 {"vertices", c.vertices},
                                 {"assemblies", c.assemblies},
                                 {"instances", c.instances},
                                 {"meshes", c.meshes},
                                 {"triangles", c.triangles},
                                 {"line_strips", c.line_strips}})
        counts[key] = n;
    py::list rounds;
    for (const vdcRunRound& r : result.rounds)
        rounds.append(values.attr("Round")(r.found, r.repaired, r.deleted, r.clean));
    const py::object output = result.saved_to.empty() ? py::object(py::none()) : vdc_py_str(result.saved_to);
    return values.attr("Conversion")(result.clean, vdc_py_str(result.file), result.entities, result.format, output,
                                     exported, vdc_py_problems(result.left_out), counts, warnings, rounds,
                                     vdc_py_problems(result.repaired), vdc_py_problems(result.errors),
                                     vdc_py_deleted(result), vdc_py_renamed(result));
}

py::object convert(vdcPyModel& model, const std::filesystem::path& path, bool repair, const py::object& format,
                   const py::object& profile, int threads, long long triangles)
{
    vdcConvertOptions convert;
    if (!format.is_none()) {
        const std::string name = format.cast<std::string>();
        for (const vdcExchangeFormat f :
             {vdcExchangeFormat::step, vdcExchangeFormat::iges, vdcExchangeFormat::glb, vdcExchangeFormat::gltf})
            if (name == vdc_exchange_format_name(f))
                convert.format = f;
        if (!convert.format)
            throw py::value_error("format= is \"step\", \"iges\", \"glb\" or \"gltf\"; got " +
                                  py::repr(format).cast<std::string>());
    } else if (!vdc_exchange_format_of(path)) {
        throw py::value_error("cannot tell the format of " + path.string() +
                              ": name it .stp, .step, .igs, .iges, .glb or .gltf, or give format=");
    }
    if (!utThreadTeam::valid(threads))
        throw py::value_error("threads= is 0 (every hardware thread) to " + std::to_string(utThreadTeam::most) +
                              "; got " + std::to_string(threads));
    if (triangles < 1 || triangles > 1'000'000'000)
        throw py::value_error("max_triangles= is 1 to 1000000000; got " + std::to_string(triangles));
    vdcRunOptions options;
    vdc_py_profile(py::none(), profile, options);
    options.threads = threads;
    options.output = path;
    convert.repair = repair;
    convert.tessellation.triangle_budget = static_cast<std::size_t>(triangles);
    const vdcPyModel::Use use(model);
    if (repair)
        model.refuse_views("convert(repair=True)");
    // Ctrl-C stops it (see vdcPyInterrupt).
    vdcPyInterrupt interrupt;
    options.cancel = interrupt.token();
    const vdcRunResult result = interrupt.run(
        [&] { return model.without_gil(use, [&](vdaFile& file) { return vdc_run_convert(file, options, convert); }); });
    if (result.output_error.empty())
        return conversion(result);
    // Nothing written (an output that cannot be written, a model with nothing to convert): WriteError, which
    // carries the Conversion, so that what was left out and why is not lost.
    const py::object error =
        py::module_::import("vdacheck._errors").attr("WriteError")(vdc_py_str(result.output_error));
    error.attr("conversion") = conversion(result);
    PyErr_SetObject(reinterpret_cast<PyObject*>(Py_TYPE(error.ptr())), error.ptr());
    throw py::error_already_set();
}

#endif

}  // namespace

void vdc_py_bind_convert(py::module_& m)
{
#ifdef VDACHECK_PY_EXCHANGE
    m.def("convert", &convert, py::arg("model"), py::arg("path"), py::kw_only(), py::arg("repair") = false,
          py::arg("format") = py::none(), py::arg("profile") = py::none(), py::arg("threads") = 0,
          py::arg("max_triangles") = 2'000'000,
          R"(Writes the Model `model` to `path` (str or path-like) as STEP or IGES, with its exact geometry, or as
glTF (.glb, .gltf), its drawing of at most `max_triangles` triangles, as `vdacheck convert` does. The format
comes from the suffix (.stp, .step, .igs, .iges, .glb, .gltf, in any case) or from `format` ("step", "iges",
"glb", "gltf"); ValueError when it cannot be told.

What checks clean and joins within the gap rules' tolerances (the profile's, `profile` as for check()) is
converted; the rest is left out with each reason. With `repair`, the model is repaired first as repair()
repairs it (which changes it; BufferError while NumPy arrays view it). Returns a Conversion: .exported
(list of Exported: entity, type, line, as_), .left_out (list of Problem: the rule and its message, and the
measured value for a gap), .counts, .output and .clean (nothing left out that fails); with repair also .rounds, .repaired, .errors, .deleted and .renamed as for repair().
to_dict() is the tool's JSON report of the file.

The file is written to a temporary file beside `path` and renamed over it. WriteError when nothing is written:
an output that cannot be written, or a model with nothing to convert; its .conversion is the Conversion (with
.output None), which says what was left out and why. Runs without the GIL; ModelBusyError when another thread
uses the model.)");
#else
    m.def(
        "convert",
        [](const py::args&, const py::kwargs&) -> py::object {
            PyErr_SetString(PyExc_NotImplementedError,
                            "convert() needs the exchange library, which this build of vdacheck leaves out "
                            "(configured with -DVDACHECK_BUILD_EXCHANGE=OFF)");
            throw py::error_already_set();
        },
        "Not available: this build of vdacheck leaves the exchange library out (NotImplementedError).");
#endif
}
