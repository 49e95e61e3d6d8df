#pragma once

#include <vector>

#include <vdacheck/model/vda_export.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/model/vda_object_ptr.h>

// Common base of the entities that list other entities by name: groups, sets and transformation lists.
// An element whose name no entity has (or that was set to null) reads as a null reference.
class VDA_API vdaElementList : public vdaObject {
public:
    static const TypeInfo id;

    int num_elements() const noexcept { return static_cast<int>(elements_.size()); }
    vdaObjectPtr element(int i) const noexcept { return resolve(elements_[static_cast<std::size_t>(i)]); }
    // The stored name of element i; empty once the element was set to null.
    const utString& element_name(int i) const noexcept { return elements_[static_cast<std::size_t>(i)]; }
    void add_element(const utString& name)
    {
        elements_.push_back(name);
        mark_changed();
    }
    // Replaces element i by `entity` (by its name), or by a null reference when `entity` is null.
    void set_element(int i, const vdaObjectPtr& entity);
    // Drops every element that reads as null (set to null, or naming no entity): VDA-FS cannot write
    // a null element. Returns how many were dropped; marks the entity changed when any was.
    int remove_null_elements();

protected:
    vdaElementList(const utString& name, std::vector<utString> elements)
        : vdaObject(name), elements_(std::move(elements))
    {
    }

private:
    std::vector<utString> elements_;
};
