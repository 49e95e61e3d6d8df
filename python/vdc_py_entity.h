#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include <pybind11/pybind11.h>

#include <vdacheck/model/vda_object.h>
#include <vdc_py_model.h>

// An entity of a model as Python sees it: the model, which it keeps alive, and the entity's slot in the file.
// The entity itself is looked up on every use, so a handle to an entity that was since deleted raises
// vdcPyError(deleted) instead of reaching freed memory. Its name and command word are kept, for messages and
// repr(), and stay readable after the deletion.
class vdcPyEntity {
public:
    vdcPyEntity(std::shared_ptr<vdcPyModel> model, const vdaObject& entity);

    // The Python object of the entity's class (Curve, Surf, ...), from vdcPyEntityOf<T> for its type T.
    static pybind11::object wrap(const std::shared_ptr<vdcPyModel>& model, const vdaObject& entity);

    const std::string& name() const noexcept { return name_; }
    const char* type() const noexcept { return type_; }
    const std::shared_ptr<vdcPyModel>& model() const noexcept { return model_; }
    // The entity, which must still be in the model; `use` holds the model meanwhile.
    const vdaObject& get(const vdcPyModel::Use& use) const;
    // True once the entity was deleted from its model.
    bool deleted() const;
    // Handles are equal when they stand for the same entity of the same model.
    friend bool operator==(const vdcPyEntity& a, const vdcPyEntity& b) noexcept
    {
        return a.model_ == b.model_ && a.slot_ == b.slot_;
    }
    std::size_t hash() const noexcept;

private:
    std::shared_ptr<vdcPyModel> model_;
    std::uint32_t slot_;
    std::string name_;
    const char* type_;
};

// The handle of an entity of class T: one Python class per entity type, with that type's values.
template <class T>
class vdcPyEntityOf : public vdcPyEntity {
public:
    using vdcPyEntity::vdcPyEntity;

    // Calls f(entity as T) under a use of the model, and returns what f returns.
    template <class F>
    decltype(auto) with(F&& f) const
    {
        const vdcPyModel::Use use(*model());
        return f(static_cast<const T&>(get(use)));
    }
};
