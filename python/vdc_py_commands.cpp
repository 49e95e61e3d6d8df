// The module's functions. Each runs the run library's command, as the tool does, with the GIL released for the
// long part, and converts the result to Python values.
#include <cmath>
#include <cstddef>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>

#include <pybind11/pybind11.h>
#include <pybind11/stl/filesystem.h>

#include <vdacheck/io/vda_reader.h>
#include <vdacheck/io/vda_write_error.h>
#include <vdacheck/model/vda_file.h>
#include <vdacheck/rules/vdc_rules.h>
#include <vdacheck/run/vdc_run.h>
#include <vdacheck/util/ut_thread_team.h>
#include <vdc_py_bindings.h>
#include <vdc_py_interrupt.h>
#include <vdc_py_model.h>
#include <vdc_py_profile.h>
#include <vdc_py_report.h>
#include <vdc_py_values.h>

namespace py = pybind11;

namespace {

constexpr long long max_triangles = 1'000'000'000;
constexpr long long default_triangles = 2'000'000;

// The tool's limits for --threads and --max-triangles.
int checked_threads(int threads)
{
    if (!utThreadTeam::valid(threads))
        throw py::value_error("threads= is 0 (every hardware thread) to " + std::to_string(utThreadTeam::most) +
                              "; got " + std::to_string(threads));
    return threads;
}

std::size_t checked_triangles(long long triangles)
{
    if (triangles < 1 || triangles > max_triangles)
        throw py::value_error("max_triangles= is 1 to " + std::to_string(max_triangles) + "; got " +
                              std::to_string(triangles));
    return static_cast<std::size_t>(triangles);
}

vdaReadOptions read_options(int threads)
{
    vdaReadOptions options;
    options.threads = static_cast<unsigned>(checked_threads(threads));
    return options;
}

std::shared_ptr<vdcPyModel> load_file(const std::filesystem::path& path, int threads)
{
    vdcPyInterrupt interrupt;
    vdaReadOptions options = read_options(threads);
    options.cancel = interrupt.token();
    std::unique_ptr<vdaFile> file = interrupt.run([&] {
        const py::gil_scoped_release release;
        return vdaReader::load(path, options);
    });
    return std::make_shared<vdcPyModel>(std::move(file));
}

std::shared_ptr<vdcPyModel> read_text(const py::object& text, const std::string& name, int threads)
{
    vdcPyInterrupt interrupt;
    vdaReadOptions options = read_options(threads);
    options.cancel = interrupt.token();
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
    std::unique_ptr<vdaFile> file = interrupt.run([&] {
        const py::gil_scoped_release release;  // `bytes` is immutable and held here meanwhile
        return vdaReader::read(std::string_view(data, static_cast<std::size_t>(size)), name, options);
    });
    return std::make_shared<vdcPyModel>(std::move(file));
}

// Runs `command` on the model with the GIL released; Ctrl-C stops it (see vdcPyInterrupt).
vdcRunResult run(vdcPyModel& model, vdcCommand command, vdcRunOptions options)
{
    const vdcPyModel::Use use(model);
    // Repair deletes entities, and healing replaces their geometry: views would outlive what they view.
    if (command == vdcCommand::repair || command == vdcCommand::heal || (command == vdcCommand::fix && options.clean))
        model.refuse_views(command == vdcCommand::repair ? "repair" : command == vdcCommand::heal ? "heal" : "clean");
    vdcPyInterrupt interrupt;
    options.cancel = interrupt.token();
    const vdcRun runner(std::move(options));
    return interrupt.run(
        [&] { return model.without_gil(use, [&](vdaFile& file) { return runner.run(command, file); }); });
}

py::object check(vdcPyModel& model, const py::object& quality, const py::object& profile, int threads)
{
    vdcRunOptions options;
    vdc_py_profile(quality, profile, options);
    options.threads = checked_threads(threads);
    const vdcRunResult result = run(model, vdcCommand::check, options);
    if (!options.quality)
        return vdc_py_problems(result.errors);
    return vdc_py_quality_result(result);
}

py::object report(vdcPyModel& model, const std::filesystem::path& path, const py::object& quality,
                  const py::object& profile, int threads, long long triangles)
{
    vdcRunOptions options;
    vdc_py_profile(quality, profile, options);
    options.threads = checked_threads(threads);
    options.tessellation.triangle_budget = checked_triangles(triangles);
    options.output = path;
    // The call that made the page, as its header shows it: the arguments that differ from their defaults.
    options.command =
        "vdacheck.report(model, " + py::repr(vdc_py_str(path.string())).cast<std::string>() +
        vdc_py_profile_spelled(quality, profile) +
        (threads != 0 ? ", threads=" + std::to_string(threads) : std::string()) +
        (triangles != default_triangles ? ", max_triangles=" + std::to_string(triangles) : std::string()) + ')';
    options.version = VDACHECK_VERSION;
    const vdcRunResult result = run(model, vdcCommand::report, options);
    if (!result.output_error.empty())
        throw vdaWriteError(result.output_error);
    return vdc_py_values_module().attr("ReportPage")(result.clean, result.errors.size(), result.findings.size(),
                                                     result.triangles);
}

py::object fix(vdcPyModel& model, bool clean, const py::object& profile)
{
    vdcRunOptions options;
    vdc_py_profile(py::none(), profile, options);
    options.clean = clean;
    return vdc_py_result(run(model, vdcCommand::fix, options));
}

py::object repair(vdcPyModel& model, const py::object& profile)
{
    vdcRunOptions options;
    vdc_py_profile(py::none(), profile, options);
    return vdc_py_result(run(model, vdcCommand::repair, options));
}

// The tool's limits for --tolerance and --angle.
double checked_limit(const char* name, double value, double most, const char* unit)
{
    if (!std::isfinite(value) || value <= 0.0 || value > most)
        throw py::value_error(std::string(name) + "= is a number above 0 and at most " +
                              std::to_string(static_cast<int>(most)) + " (" + unit + "); got " +
                              py::repr(py::float_(value)).cast<std::string>());
    return value;
}

py::object heal(vdcPyModel& model, double tolerance, double angle, const py::object& quality, const py::object& profile,
                int threads)
{
    vdcRunOptions options;
    vdc_py_profile(quality, profile, options);
    options.heal_tolerance = checked_limit("tolerance", tolerance, 1000, "mm");
    options.heal_angle = checked_limit("angle", angle, 180, "degrees");
    options.threads = checked_threads(threads);
    return vdc_py_heal_result(run(model, vdcCommand::heal, options));
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
    m.def("load", &load_file, py::arg("path"), py::kw_only(), py::arg("threads") = 0,
          R"(Reads the VDA-FS file at `path` into a Model.

Raises ReadError (with .path, .line, .column, .message) when the file cannot be read as VDA-FS statements or
cannot be opened; nothing half-read is returned. Deviations the reader tolerates become Model.warnings.
A large file is read on `threads` threads (0: every hardware thread; 1: the calling thread only, as a
script that loads several files on threads of its own wants); the model is the same for any number.
Runs without the GIL.)");
    m.def("read", &read_text, py::arg("text"), py::arg("name") = "<string>", py::kw_only(), py::arg("threads") = 0,
          R"(Reads VDA-FS text (str or bytes) into a Model; `name` stands for the file in messages.

Raises ReadError like load(); `threads` as for load(). Runs without the GIL.)");
    {
        // quality= takes several kinds of value, which pybind11 would show as `object`: these two functions
        // give their signature in the first line of their docstring.
        py::options options;
        options.disable_function_signatures();
        m.def("check", &check, py::arg("model"), py::kw_only(), py::arg("quality") = false,
              py::arg("profile") = py::none(), py::arg("threads") = 0,
              R"(check(model, *, quality=False, profile=None, threads=0) -> list[Problem] | QualityResult

Checks every entity of the Model `model` and returns its problems (list of Problem), entity by entity in file
order, as `vdacheck check` reports them. The model is not changed.

With `quality`, also measures the model's geometric quality as `vdacheck check --quality` does, and returns a
QualityResult instead: .problems (the list above), .findings (list of Finding: rule, entity, type, line,
value, tolerance, unit, and the place: indices, parameters, point), .rules (per rule the values measured and
the worst), .skipped (what could not be measured, and why) and .clean.
  quality=True                      every rule with its default tolerance
  quality={"rules": {"surf-patch-gap": {"tolerance": 0.01}}, "run_unlisted": True}
                                    a profile, with the keys of the tool's profile file
  quality="profile.json"            a profile file (str or path-like)
  quality=False                     no quality run: a plain list of Problem
`profile` (a dict or a profile file, as for quality) switches any rule off, sets its severity ("error",
"warning" or "note": Problem.severity; a note leaves the result clean) and the quality rules' tolerances,
as `vdacheck --profile FILE` does; with it, quality=True measures with its tolerances. A profile the
library refuses raises ProfileError. `threads` is for the quality run: 0 uses every hardware thread; the
result is the same for any number.

Runs without the GIL; ModelBusyError when another thread uses the model. Ctrl-C stops it within a fraction
of a second (KeyboardInterrupt), the model as it was.)");
        m.def("report", &report, py::arg("model"), py::arg("path"), py::kw_only(), py::arg("quality") = false,
              py::arg("profile") = py::none(), py::arg("threads") = 0, py::arg("max_triangles") = default_triangles,
              R"(report(model, path, *, quality=False, profile=None, threads=0, max_triangles=2000000) -> ReportPage

Writes the report page of the Model `model` to `path` (str or path-like), as `vdacheck report` does: one
self-contained HTML file with the model in 3-D beside its problems (and, with `quality`, its quality
findings; `quality` and `profile` as for check()).
The model is drawn with at most `max_triangles` triangles, on `threads` threads (0: every hardware thread).
Returns a ReportPage: .clean, and the numbers of .errors, .findings and .triangles on the page.

The page is written to a temporary file beside `path` and renamed over it, so that no half-written page
is ever left; WriteError when that fails (a missing folder, say). The model is not changed.
Runs without the GIL; ModelBusyError when another thread uses the model.)");
    }
    m.def(
        "fix", [](vdcPyModel& model, const py::object& profile) { return fix(model, false, profile); },
        py::arg("model"), py::kw_only(), py::arg("profile") = py::none(),
        R"(Checks `model` and repairs what the repair functions can, referenced entities first, as
`vdacheck fix` does. Returns a Result: `repaired` holds the problems repaired, `errors` those left, `clean` whether
none that fails is left (`profile` as for check(): it shapes what is reported, never what is repaired). Changes
the model in place; deletes nothing.)");
    m.def(
        "clean", [](vdcPyModel& model, const py::object& profile) { return fix(model, true, profile); },
        py::arg("model"), py::kw_only(), py::arg("profile") = py::none(),
        R"(fix(), then deletes every entity that still has problems, as `vdacheck fix --clean` does. Returns a
Result: `deleted` names the entities deleted, `errors` the problems they had; `clean` is as fix left the error log.

BufferError while NumPy arrays view the model's entities: a deleted entity would take their memory with it.)");
    m.def("repair", &repair, py::arg("model"), py::kw_only(), py::arg("profile") = py::none(),
          R"(Repairs `model` until it checks clean, as `vdacheck repair` does: rounds of check, fix, check again
and delete what still has problems, after giving each entity whose name an earlier one has a name of its
own (`renamed`, a list of Rename), so that the model saved checks clean. Returns a Result with one Round per
round; `repaired` and `errors` carry the round of each problem, `errors` holding those that made entities go;
`profile` as for fix().

BufferError while NumPy arrays view the model's entities (see clean()). Ctrl-C stops it within a fraction of a
second (KeyboardInterrupt); the model keeps the rounds finished before, a valid model to save or repair again.)");
    m.def("heal", &heal, py::arg("model"), py::kw_only(), py::arg("tolerance") = 0.1, py::arg("angle") = 1.0,
          py::arg("quality") = py::none(), py::arg("profile") = py::none(), py::arg("threads") = 0,
          R"(Heals `model` in place, as `vdacheck heal` does: repairs its structure (as repair() does), measures its
geometric quality, closes every finding whose value is within `tolerance` (mm; gaps) or `angle` (degrees;
kinks) without moving any point of a curve or surface further than `tolerance`, and measures again.
`quality` (a profile as a dict or a file, as for check()) or `profile` gives the quality tolerances that decide
what is a finding; `threads` measure (0: every hardware thread).

Returns a HealResult: .healed (Healed: the finding as measured before, .value_after, .displacement in mm,
.changed entities, .how), .left (Left: the finding and .reason), .counts per rule, .before and .findings (the
quality before and after), the repair's .rounds, .repaired, .errors, .deleted and .renamed, .undone and .clean;
to_dict() is the tool's JSON report. ValueError for a tolerance or angle that is not a number above 0 (at most
1000 mm, 180 degrees).

BufferError while NumPy arrays view the model's entities (see clean()). Runs without the GIL.)");
    m.def(
        "_json", &vdc_py_json, py::arg("value"),
        "The JSON text of a plain value (Problem, Finding, ReadWarning, RuleSummary, Skip), as the library writes it");
    m.def("rules", &rules,
          R"(Every rule vdacheck has (list of Rule): the structural checks, then the reader's deviations, then the
geometric quality rules, each with its id, what it finds and what its repair does.)");
}
