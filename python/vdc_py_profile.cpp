#include <vdc_py_profile.h>

namespace py = pybind11;

namespace {

bool is_path(const py::handle& value)
{
    return py::isinstance<py::str>(value) || py::isinstance<py::bytes>(value) || py::hasattr(value, "__fspath__");
}

bool is_profile(const py::handle& value) { return py::isinstance<py::dict>(value) || is_path(value); }

// A dict or a path as a profile; `what` names it in the messages ("quality profile", "profile").
vdcProfile read_profile(const py::handle& value, const char* what)
{
    if (py::isinstance<py::dict>(value)) {
        // Written as JSON and read like a file, so that a dict takes exactly the keys and values a file does.
        std::string text;
        try {
            text = py::module_::import("json").attr("dumps")(value, py::arg("allow_nan") = false).cast<std::string>();
        } catch (const py::error_already_set& e) {
            if (!e.matches(PyExc_TypeError) && !e.matches(PyExc_ValueError))
                throw;
            throw vdcProfileError(std::string(what) +
                                  ": cannot be written as JSON: " + py::str(e.value()).cast<std::string>());
        }
        return vdcProfile::parse(text, what, what);
    }
    return vdcProfile::load(py::module_::import("os").attr("fsdecode")(value).cast<std::string>(), what);
}

std::string type_name(const py::handle& value) { return py::str(py::type::of(value).attr("__name__")); }

std::string spelled(const py::handle& value)
{
    if (py::isinstance<py::dict>(value))
        return "{...}";
    if (is_path(value))
        return py::repr(py::module_::import("os").attr("fsdecode")(value));
    return py::repr(value);
}

}  // namespace

void vdc_py_profile(const py::handle& quality, const py::handle& profile, vdcRunOptions& options)
{
    const bool quality_profile = is_profile(quality);
    if (!quality.is_none() && quality.ptr() != Py_False && quality.ptr() != Py_True && !quality_profile)
        throw py::type_error("quality= takes True or False, a profile as a dict, or the path of a profile file; got " +
                             type_name(quality));
    if (!profile.is_none() && !is_profile(profile))
        throw py::type_error("profile= takes a profile as a dict, or the path of a profile file; got " +
                             type_name(profile));
    if (quality_profile && !profile.is_none())
        throw py::value_error("quality= and profile= both give a profile; give it once (profile=..., quality=True)");
    options.quality = quality.ptr() == Py_True || quality_profile;
    if (quality_profile)
        options.profile = read_profile(quality, "quality profile");
    else if (!profile.is_none())
        options.profile = read_profile(profile, "profile");
}

std::string vdc_py_profile_spelled(const py::handle& quality, const py::handle& profile)
{
    std::string s;
    if (!quality.is_none() && quality.ptr() != Py_False)
        s += ", quality=" + spelled(quality);
    if (!profile.is_none())
        s += ", profile=" + spelled(profile);
    return s;
}
