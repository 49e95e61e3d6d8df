// The extension module vdacheck.archive._archive: what vdacheck.archive runs of the tool. Its command line,
// its walk of the folders and its output paths, one file worked on as the tool works on it (the report
// rendered by the same code, byte for byte), the summary and the progress bar. The package spreads the files
// over processes; everything a file gets comes from here.
#include <cstdint>
#include <cstdio>
#include <deque>
#include <exception>
#include <filesystem>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <tool/vdc_batch_input.h>
#include <tool/vdc_batch_summary.h>
#include <tool/vdc_cli_options.h>
#include <tool/vdc_cli_runner.h>
#include <tool/vdc_progress_bar.h>
#include <vdacheck/run/vdc_profile.h>
#include <vdc_py_text.h>

namespace py = pybind11;
namespace fs = std::filesystem;

namespace {

// The bytes of a str that vdc_py_str made (surrogate escapes back to the bytes they stand for).
std::string bytes_of(const py::handle& text)
{
    PyObject* encoded = PyUnicode_AsEncodedString(text.ptr(), "utf-8", "surrogateescape");
    if (!encoded)
        throw py::error_already_set();
    return py::reinterpret_steal<py::bytes>(encoded).cast<std::string>();
}

// The tool's options of a command line; a line the tool refuses, or that cannot be spread over processes,
// raises ValueError with the reason.
vdcCliOptions parsed(const py::list& args)
{
    std::vector<std::string> words;
    for (const py::handle arg : args)
        words.push_back(bytes_of(arg));
    const std::vector<std::string_view> views(words.begin(), words.end());
    try {
        vdcCliOptions options = vdcCliOptions::parse(views);
        using Command = vdcCliOptions::Command;
        if (options.command == Command::help || options.command == Command::version ||
            options.command == Command::rules || options.command == Command::report ||
            options.command == Command::convert)
            throw vdcUsageError(
                "an archive run takes the commands that check or save models: check, fix, repair, heal");
        if (options.format == vdcCliOptions::Format::sarif)
            throw vdcUsageError("an archive run writes text or json; the tool writes one SARIF log of a run");
        for (const std::string& file : options.files)
            if (file == "-")
                throw vdcUsageError("standard input (-) cannot be read by other processes; name files or folders");
        if (!options.output.empty())
            throw vdcUsageError("an archive run saves through --output-dir DIR, not -o OUT");
        if (options.jobs > 0)
            throw vdcUsageError("--jobs: the cluster's workers work on the files; --workers N sizes a local cluster");
        return options;
    } catch (const vdcUsageError& e) {
        throw py::value_error(e.what());
    }
}

// (path, shown, relative, bytes, error): an input as the tool lists it.
py::tuple input_tuple(const vdcBatchInput& input)
{
    return py::make_tuple(vdc_py_str(input.path), vdc_py_str(input.shown), vdc_py_str(input.relative.string()),
                          input.bytes, vdc_py_str(input.error));
}

vdcBatchInput input_of(const py::tuple& t)
{
    vdcBatchInput input;
    input.path = bytes_of(t[0]);
    input.shown = bytes_of(t[1]);
    input.relative = bytes_of(t[2]);
    input.bytes = t[3].cast<std::uint64_t>();
    input.error = bytes_of(t[4]);
    return input;
}

const char* state_name(vdcFileOutcome::State state)
{
    switch (state) {
    case vdcFileOutcome::State::clean:
        return "clean";
    case vdcFileOutcome::State::problems:
        return "problems";
    case vdcFileOutcome::State::unwritten:
        return "unwritten";
    case vdcFileOutcome::State::unreadable:
        break;
    }
    return "unreadable";
}

vdcFileOutcome::State state_named(std::string_view name)
{
    if (name == "clean")
        return vdcFileOutcome::State::clean;
    if (name == "problems")
        return vdcFileOutcome::State::problems;
    if (name == "unwritten")
        return vdcFileOutcome::State::unwritten;
    return vdcFileOutcome::State::unreadable;
}

// (status, state, file, out, err, bytes, seconds, [(rule, count), ...])
py::tuple outcome_tuple(const vdcFileOutcome& outcome)
{
    py::list rules;
    for (const auto& [rule, count] : outcome.problems_per_rule)
        rules.append(py::make_tuple(vdc_py_str(rule), count));
    return py::make_tuple(outcome.status, state_name(outcome.state), vdc_py_str(outcome.file), vdc_py_str(outcome.out),
                          vdc_py_str(outcome.err), outcome.bytes, outcome.seconds, rules);
}

// (inputs, outputs, summarised): the files of the command line in the tool's order, where fix and repair save
// each (empty for check and for a path that gave no file), and whether the tool would end with a summary.
py::tuple plan(const py::list& args)
{
    const vdcCliOptions options = parsed(args);
    vdcCliRunner::run_options(options);  // a profile the library refuses stops the run before any file
    const std::vector<vdcBatchInput> inputs = vdcBatchInput::expand(options.files, options.output_dir);
    std::vector<fs::path> outputs(inputs.size());
    if (!options.output_dir.empty()) {
        try {
            outputs = vdcBatchInput::outputs(inputs, options.output_dir);
        } catch (const vdcUsageError& e) {
            throw py::value_error(e.what());
        }
    }
    bool summarised = inputs.size() > 1;
    py::list listed;
    py::list saved;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        listed.append(input_tuple(inputs[i]));
        saved.append(vdc_py_str(outputs[i].string()));
    }
    for (const std::string& path : options.files) {
        std::error_code error;
        summarised = summarised || fs::is_directory(path, error);
    }
    return py::make_tuple(listed, saved, summarised);
}

py::tuple process(const py::list& args, const py::tuple& input, const py::str& output)
{
    const vdcCliOptions options = parsed(args);
    const vdcRunOptions run = vdcCliRunner::run_options(options);
    const vdcBatchInput file = input_of(input);
    const fs::path saved = bytes_of(output);
    std::istringstream in;
    std::ostringstream out;
    std::ostringstream err;
    const vdcCliRunner runner(in, out, err, nullptr);
    // One task is one thread of a worker: the file is read on that thread unless --threads says otherwise.
    const int threads = options.threads > 0 ? options.threads : 1;
    vdcFileOutcome outcome;
    {
        const py::gil_scoped_release release;
        outcome = runner.process_one(file, saved, options, run, threads);
    }
    return outcome_tuple(outcome);
}

// The summary the tool ends the run with, in its format, for the outcomes of all files in input order.
py::str summary(const py::list& args, const py::list& outcomes, double seconds)
{
    const vdcCliOptions options = parsed(args);
    std::deque<std::string> rule_ids;  // the summary keeps views of them
    vdcBatchSummary summary;
    for (const py::handle item : outcomes) {
        const auto t = item.cast<py::tuple>();
        vdcFileOutcome outcome;
        outcome.status = t[0].cast<int>();
        outcome.state = state_named(t[1].cast<std::string>());
        outcome.file = bytes_of(t[2]);
        outcome.bytes = t[5].cast<std::uint64_t>();
        outcome.seconds = t[6].cast<double>();
        for (const py::handle rule : t[7].cast<py::list>()) {
            const auto pair = rule.cast<py::tuple>();
            outcome.problems_per_rule.emplace_back(rule_ids.emplace_back(pair[0].cast<std::string>()),
                                                   pair[1].cast<int>());
        }
        summary.add(outcome);
    }
    summary.set_seconds(seconds);
    std::ostringstream text;
    if (options.format == vdcCliOptions::Format::json)
        summary.write_json(text);
    else
        summary.write_text(text);
    return vdc_py_str(text.str());
}

// A profile the library refuses raises the package's ProfileError, as it does from the rest of the package.
void translate(std::exception_ptr thrown)
{
    try {
        std::rethrow_exception(thrown);
    } catch (const vdcProfileError& e) {
        const py::object type = py::module_::import("vdacheck._errors").attr("ProfileError");
        PyErr_SetObject(type.ptr(), vdc_py_str(e.what()).ptr());
    }
}

}  // namespace

// Apart from the module _vdacheck, which links the libraries only: this one links the tool's own front end.
PYBIND11_MODULE(_archive, m)
{
    m.doc() = "The tool's command line, folder walk, per-file run, summary and progress bar, for vdacheck.archive.";
    py::register_local_exception_translator(&translate);
    m.def("_archive_plan", &plan, py::arg("args"),
          "The inputs of a tool command line, their outputs, and whether the run ends with a summary (ValueError for "
          "a command line the tool refuses or that cannot be spread; ProfileError)");
    m.def("_archive_process", &process, py::arg("args"), py::arg("input"), py::arg("output"),
          "One input of _archive_plan worked on as the tool works on it: its outcome (runs without the GIL)");
    m.def("_archive_summary", &summary, py::arg("args"), py::arg("outcomes"), py::arg("seconds"),
          "The tool's summary of a run for the outcomes of its files");
    py::class_<vdcProgressBar>(m, "_ArchiveProgress", "The tool's progress bar on standard error, when a terminal")
        .def(py::init([](std::size_t files, std::uint64_t bytes) {
                 return std::make_unique<vdcProgressBar>(stderr, files, bytes);
             }),
             py::arg("files"), py::arg("bytes"))
        .def("file_done", &vdcProgressBar::file_done, py::arg("bytes"))
        .def("draw", &vdcProgressBar::draw)
        .def("clear", &vdcProgressBar::clear);
}
