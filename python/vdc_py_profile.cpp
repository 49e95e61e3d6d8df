#include <vdc_py_profile.h>

#include <tool/vdc_profile_file.h>

namespace py = pybind11;

namespace {

bool is_path(const py::handle& quality)
{
    return py::isinstance<py::str>(quality) || py::isinstance<py::bytes>(quality) || py::hasattr(quality, "__fspath__");
}

}  // namespace

std::optional<vdcQualityProfile> vdc_py_profile(const py::handle& quality)
{
    if (quality.is_none() || quality.ptr() == Py_False)
        return std::nullopt;
    if (quality.ptr() == Py_True)
        return vdcQualityProfile();
    if (py::isinstance<py::dict>(quality)) {
        // Written as JSON and read like a file, so that a dict takes exactly the keys and values a file does.
        std::string text;
        try {
            text = py::module_::import("json").attr("dumps")(quality, py::arg("allow_nan") = false).cast<std::string>();
        } catch (const py::error_already_set& e) {
            if (!e.matches(PyExc_TypeError) && !e.matches(PyExc_ValueError))
                throw;
            throw vdcProfileError("quality profile: cannot be written as JSON: " +
                                  py::str(e.value()).cast<std::string>());
        }
        return vdc_parse_profile(text, "quality profile");
    }
    if (is_path(quality))
        return vdc_read_profile_file(py::module_::import("os").attr("fsdecode")(quality).cast<std::string>());
    throw py::type_error("quality= takes True or False, a profile as a dict, or the path of a profile file; got " +
                         py::str(py::type::of(quality).attr("__name__")).cast<std::string>());
}

std::string vdc_py_profile_spelled(const py::handle& quality)
{
    if (py::isinstance<py::dict>(quality))
        return "{...}";
    if (is_path(quality))
        return py::repr(py::module_::import("os").attr("fsdecode")(quality)).cast<std::string>();
    return py::repr(quality).cast<std::string>();
}
