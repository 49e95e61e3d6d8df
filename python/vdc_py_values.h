#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string_view>
#include <vector>

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <vdacheck/geometry/gi_point3.h>
#include <vdacheck/util/ut_string.h>
#include <vdc_py_text.h>

class vdcPyModel;

inline pybind11::str vdc_py_str(const utString& text) { return vdc_py_str(text.view()); }
inline pybind11::str vdc_py_str(const char* text) { return vdc_py_str(std::string_view(text)); }
// The same for a reference: None for an empty name (a reference set to null).
pybind11::object vdc_py_name(const utString& name);

// A read-only NumPy array of doubles over memory that an entity of `model` owns, without a copy: `shape` and
// `strides` (in bytes) as NumPy takes them. The array keeps the model alive and counts as a view of it.
pybind11::array vdc_py_view(const std::shared_ptr<vdcPyModel>& model, const double* data,
                            std::initializer_list<pybind11::ssize_t> shape,
                            std::initializer_list<pybind11::ssize_t> strides);
// A view of a list of doubles.
pybind11::array vdc_py_vector(const std::shared_ptr<vdcPyModel>& model, const std::vector<double>& values);
// An address for an array of no elements (NumPy wants a valid one).
const double* vdc_py_no_data() noexcept;
// A view of `n` elements of type T laid out one after the other, `width` doubles at the start of each
// (points: 3 of 3; vectors: 3 of 4, past them the cached length).
template <class T>
pybind11::array vdc_py_rows(const std::shared_ptr<vdcPyModel>& model, const T* first, std::size_t n, int width)
{
    static_assert(sizeof(T) % sizeof(double) == 0);
    const double* data = n ? reinterpret_cast<const double*>(first) : vdc_py_no_data();
    return vdc_py_view(model, data, {static_cast<pybind11::ssize_t>(n), width},
                       {static_cast<pybind11::ssize_t>(sizeof(T)), static_cast<pybind11::ssize_t>(sizeof(double))});
}
// A new array (of its own) holding the three coordinates.
pybind11::array_t<double> vdc_py_xyz(double x, double y, double z);
inline pybind11::array_t<double> vdc_py_xyz(const giPoint3& p) { return vdc_py_xyz(p.x(), p.y(), p.z()); }
