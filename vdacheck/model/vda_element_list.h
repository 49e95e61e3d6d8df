#pragma once

#include <cstdint>
#include <vector>

#include <vdacheck/model/vda_object.h>
#include <vdacheck/model/vda_object_ptr.h>
#include <vdacheck/util/ut_export.h>

// Common base of the entities that list other entities: groups, sets and transformation lists. A group or
// transformation list names its elements, and an element reads as the entity its name resolves to. A set
// holds entities: the statements between its BEGINSET and ENDSET. Its members are kept as the entities
// themselves, so that a member whose name another entity also has stays the member (and is written inside
// the set). An element that names no entity, that was set to null, or whose member was deleted reads as a
// null reference.
class VDA_API vdaElementList : public vdaObject {
public:
    static const TypeInfo id;

    int num_elements() const noexcept { return static_cast<int>(elements_.size()); }
    vdaObjectPtr element(int i) const noexcept;
    // The stored name of element i; empty once the element was set to null.
    const utString& element_name(int i) const noexcept { return elements_[static_cast<std::size_t>(i)].name; }
    // Appends an element by name.
    void add_element(const utString& name);
    // Appends `entity`, which must belong to the same file: a set holds it as a member, a group or
    // transformation list by its name.
    void add_element(const vdaObject& entity);
    // Replaces element i by `entity`, or by a null reference when `entity` is null.
    void set_element(int i, const vdaObjectPtr& entity);
    // Drops every element that reads as null (set to null, naming no entity, a deleted member): VDA-FS
    // cannot write a null element. Returns how many were dropped; marks the entity changed when any was.
    int remove_null_elements();

protected:
    // `members`: the list holds entities (a set), not names.
    vdaElementList(const utString& name, std::vector<utString> elements, bool members);

private:
    static constexpr std::uint32_t unbound = UINT32_MAX;
    struct Element {
        utString name;
        std::uint32_t slot = unbound;  // a set's member: its slot in the file
    };
    Element element_for(const vdaObject* entity) const noexcept;

    std::vector<Element> elements_;
    bool members_;
};
