#pragma once

#include <vdacheck/model/vda_element_list.h>
#include <vdacheck/util/ut_export.h>

// The GROUP statement: a named list of entities.
class VDA_API vdaGroup : public vdaElementList {
public:
    static const TypeInfo id;
    explicit vdaGroup(const utString& name, std::vector<utString> elements = {})
        : vdaElementList(name, std::move(elements), false)
    {
    }
    const TypeInfo& type() const noexcept override { return id; }
};
