#include <vdc_py_entity.h>

#include <functional>

#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_types.h>
#include <vdc_py_error.h>

namespace py = pybind11;

vdcPyEntity::vdcPyEntity(std::shared_ptr<vdcPyModel> model, const vdaObject& entity)
    : model_(std::move(model)), slot_(entity.slot()), name_(entity.name().view()), type_(entity.type().command_word())
{
}

py::object vdcPyEntity::wrap(const std::shared_ptr<vdcPyModel>& model, const vdaObject& entity)
{
    return vda_visit(
        entity, [&]<class T>(const T&) -> py::object { return py::cast(vdcPyEntityOf<T>(model, entity)); },
        [&]() -> py::object { return py::cast(vdcPyEntity(model, entity)); });
}

const vdaObject& vdcPyEntity::get(const vdcPyModel::Use& use) const
{
    const vdaFile& file = use.file();
    const vdaObject* entity = slot_ < file.num_slots() ? file.slot(slot_) : nullptr;
    if (!entity)
        throw vdcPyError(vdcPyError::Kind::deleted, type_ + std::string(" ") + name_ + " was deleted from its model");
    return *entity;
}

bool vdcPyEntity::deleted() const
{
    const vdcPyModel::Use use(*model_);
    const vdaFile& file = use.file();
    return slot_ >= file.num_slots() || !file.slot(slot_);
}

std::size_t vdcPyEntity::hash() const noexcept
{
    return std::hash<const void*>()(model_.get()) ^ (std::size_t{slot_} * 0x9e3779b97f4a7c15u);
}
