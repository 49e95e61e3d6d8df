// The extension module vdacheck._vdacheck, which the package vdacheck re-exports, and the mapping of the
// library's exceptions to the package's.
#include <exception>

#include <pybind11/pybind11.h>

#include <vdacheck/io/vda_read_error.h>
#include <vdacheck/io/vda_write_error.h>
#include <vdacheck/run/vdc_profile.h>
#include <vdc_py_bindings.h>
#include <vdc_py_error.h>
#include <vdc_py_values.h>

namespace py = pybind11;

py::module_ vdc_py_values_module() { return py::module_::import("vdacheck._values"); }

namespace {

void raise(const char* name, const py::object& error)
{
    const py::object type = py::module_::import("vdacheck._errors").attr(name);
    PyErr_SetObject(type.ptr(), error.ptr());
}

void translate(std::exception_ptr thrown)
{
    try {
        std::rethrow_exception(thrown);
    } catch (const vdaReadError& e) {
        const py::object type = py::module_::import("vdacheck._errors").attr("ReadError");
        PyErr_SetObject(type.ptr(), type(vdc_py_str(e.source()), e.line(), e.column(), vdc_py_str(e.message())).ptr());
    } catch (const vdaWriteError& e) {
        raise("WriteError", vdc_py_str(e.what()));
    } catch (const vdcProfileError& e) {
        raise("ProfileError", vdc_py_str(e.what()));
    } catch (const vdcPyError& e) {
        switch (e.kind()) {
        case vdcPyError::Kind::busy:
            raise("ModelBusyError", py::str(e.what()));
            break;
        case vdcPyError::Kind::deleted:
            raise("DeletedEntityError", py::str(e.what()));
            break;
        case vdcPyError::Kind::viewed:
            PyErr_SetString(PyExc_BufferError, e.what());
            break;
        }
    }
}

}  // namespace

PYBIND11_MODULE(_vdacheck, m)
{
    m.doc() = "The vdacheck library: read, check, repair and write VDA-FS models.";
    m.attr("__version__") = VDACHECK_VERSION;
    py::register_exception_translator(&translate);
    vdc_py_bind_entities(m);
    vdc_py_bind_model(m);
    vdc_py_bind_commands(m);
    vdc_py_bind_convert(m);
}
