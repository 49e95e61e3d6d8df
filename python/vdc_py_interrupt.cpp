#include <vdc_py_interrupt.h>

#include <stdexcept>

namespace py = pybind11;

vdcPyInterrupt::vdcPyInterrupt()
{
    const py::module_ threading = py::module_::import("threading");
    if (!threading.attr("current_thread")().is(threading.attr("main_thread")()))
        return;
    token_ = utCancel([raised = raised_] {
        const py::gil_scoped_acquire gil;
        if (PyErr_CheckSignals() == 0)
            return false;
        raised->error.emplace();  // takes the exception the handler raised
        return true;
    });
}

void vdcPyInterrupt::raise()
{
    if (raised_->error)
        throw *raised_->error;
    // The poll itself failed (it could not take the GIL, say), which stops the call too.
    throw std::runtime_error("the call was stopped: Python's signal handlers could not be run");
}
