#include <vdacheck/model/vda_element_list.h>

#include <utility>

#include <vdacheck/model/vda_file.h>

const TypeInfo vdaElementList::id{"", &vdaObject::id};

vdaElementList::vdaElementList(const utString& name, std::vector<utString> elements, bool members)
    : vdaObject(name), members_(members)
{
    elements_.reserve(elements.size());
    for (utString& element : elements)
        elements_.push_back({std::move(element), unbound});
}

vdaObjectPtr vdaElementList::element(int i) const noexcept
{
    const Element& e = elements_[static_cast<std::size_t>(i)];
    if (e.slot == unbound)
        return resolve(e.name);
    // A member is the entity at its slot while that entity lives; slots are never reused.
    vdaObject* member = file() && e.slot < file()->num_slots() ? file()->slot(e.slot) : nullptr;
    return member && member->name() == e.name ? vdaObjectPtr(member) : vdaObjectPtr();
}

vdaElementList::Element vdaElementList::element_for(const vdaObject* entity) const noexcept
{
    if (!entity)
        return {};
    const bool member = members_ && entity->file() && entity->file() == file();
    return {entity->name(), member ? entity->slot() : unbound};
}

void vdaElementList::add_element(const utString& name)
{
    elements_.push_back({name, unbound});
    mark_changed();
}

void vdaElementList::add_element(const vdaObject& entity)
{
    elements_.push_back(element_for(&entity));
    mark_changed();
}

void vdaElementList::set_element(int i, const vdaObjectPtr& entity)
{
    elements_[static_cast<std::size_t>(i)] = element_for(entity());
    mark_changed();
}

int vdaElementList::remove_null_elements()
{
    std::size_t kept = 0;
    for (std::size_t i = 0; i < elements_.size(); ++i)
        if (element(static_cast<int>(i))) {
            if (kept != i)
                elements_[kept] = std::move(elements_[i]);
            ++kept;
        }
    const auto dropped = static_cast<int>(elements_.size() - kept);
    if (dropped > 0) {
        elements_.resize(kept);
        mark_changed();
    }
    return dropped;
}
