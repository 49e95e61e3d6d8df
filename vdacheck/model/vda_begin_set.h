#pragma once

#include <vdacheck/model/vda_element_list.h>
#include <vdacheck/util/ut_export.h>

// A set: the BEGINSET ... ENDSET bracket. Its elements are the entities defined between the two.
class VDA_API vdaBeginSet : public vdaElementList {
public:
    static const TypeInfo id;
    explicit vdaBeginSet(const utString& name, std::vector<utString> elements = {})
        : vdaElementList(name, std::move(elements), true)
    {
    }
    const TypeInfo& type() const noexcept override { return id; }
};
