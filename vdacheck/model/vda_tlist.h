#pragma once

#include <vdacheck/model/vda_element_list.h>
#include <vdacheck/model/vda_object_ptr.h>
#include <vdacheck/util/ut_export.h>

// The TLIST statement: one transformation matrix applied to a list of entities.
class VDA_API vdaTlist : public vdaElementList {
public:
    static const TypeInfo id;
    vdaTlist(const utString& name, const utString& transform, std::vector<utString> elements = {})
        : vdaElementList(name, std::move(elements), false), transform_(transform)
    {
    }
    const TypeInfo& type() const noexcept override { return id; }

    vdaObjectPtr transform() const noexcept { return resolve(transform_); }
    const utString& transform_name() const noexcept { return transform_; }
    void set_transform(const utString& transform) noexcept
    {
        transform_ = transform;
        mark_changed();
    }

private:
    utString transform_;
};
