#include <vdc_py_values.h>

#include <vdc_py_model.h>

namespace py = pybind11;

py::object vdc_py_name(const utString& name)
{
    if (name.empty())
        return py::none();
    return vdc_py_str(name);
}

py::array vdc_py_view(const std::shared_ptr<vdcPyModel>& model, const double* data,
                      std::initializer_list<py::ssize_t> shape, std::initializer_list<py::ssize_t> strides)
{
    // The capsule owns a reference to the model; freeing the last array that leans on it frees the capsule.
    auto* owner = new std::shared_ptr<vdcPyModel>(model);
    (*owner)->add_view();
    const py::capsule base(owner, [](void* p) {
        auto* held = static_cast<std::shared_ptr<vdcPyModel>*>(p);
        (*held)->drop_view();
        delete held;
    });
    py::array array(py::dtype::of<double>(), std::vector<py::ssize_t>(shape), std::vector<py::ssize_t>(strides), data,
                    base);
    array.attr("flags").attr("writeable") = false;  // the model's values change only through the library
    return array;
}

py::array vdc_py_vector(const std::shared_ptr<vdcPyModel>& model, const std::vector<double>& values)
{
    return vdc_py_view(model, values.empty() ? vdc_py_no_data() : values.data(),
                       {static_cast<py::ssize_t>(values.size())}, {sizeof(double)});
}

const double* vdc_py_no_data() noexcept
{
    static const double none = 0.0;
    return &none;
}

py::array_t<double> vdc_py_xyz(double x, double y, double z)
{
    py::array_t<double> a(3);
    auto r = a.mutable_unchecked<1>();
    r(0) = x;
    r(1) = y;
    r(2) = z;
    return a;
}
