#include <vdacheck/model/vda_object.h>

#include <vdacheck/model/vda_file.h>
#include <vdacheck/model/vda_object_ptr.h>

const TypeInfo vdaObject::id{"", nullptr};

vdaObject::~vdaObject()
{
    if (file_)
        file_->forget(*this);
}

vdaObjectPtr vdaObject::resolve(const utString& reference) const noexcept { return vda_resolve(this, reference); }
