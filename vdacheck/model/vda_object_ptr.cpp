#include <vdacheck/model/vda_object_ptr.h>

#include <vdacheck/model/vda_file.h>

vdaObjectPtr vda_resolve(const vdaObject* context, const utString& name) noexcept
{
    if (name.empty())
        return {};
    const vdaFile* file = context && context->file() ? context->file() : vdaFile::current();
    return file ? vdaObjectPtr(file->find(name)) : vdaObjectPtr();
}

vdaObjectPtr::vdaObjectPtr(const utString& name) noexcept : object_(vda_resolve(nullptr, name)()) {}
