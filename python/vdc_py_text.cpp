#include <vdc_py_text.h>

namespace py = pybind11;

py::str vdc_py_str(std::string_view text)
{
    PyObject* s = PyUnicode_DecodeUTF8(text.data(), static_cast<py::ssize_t>(text.size()), "surrogateescape");
    if (!s)
        throw py::error_already_set();
    return py::reinterpret_steal<py::str>(s);
}
