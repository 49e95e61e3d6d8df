#pragma once

#include <vdacheck/model/vda_object.h>
#include <vdacheck/util/ut_export.h>
#include <vdacheck/util/ut_string.h>

// A resolved reference to an entity, or null. It is a snapshot: it holds the entity it resolved to
// when it was made and is valid until that entity is deleted, so it is meant for the duration of one
// check or repair, never to be kept across changes of the model.
//
// Built from a name, it resolves in the thread's current file (vdaFile::current(): the most recently
// created vdaFile of this thread that is still alive, or the one last made current with
// vdaFile::make_current()); with no current file, or no entity of that name, it is null.
class VDA_API vdaObjectPtr {
public:
    constexpr vdaObjectPtr() noexcept = default;
    constexpr vdaObjectPtr(vdaObject* object) noexcept : object_(object) {}
    vdaObjectPtr(const utString& name) noexcept;

    explicit operator bool() const noexcept { return object_ != nullptr; }
    vdaObject* operator->() const noexcept { return object_; }
    vdaObject* operator()() const noexcept { return object_; }

    friend bool operator==(const vdaObjectPtr&, const vdaObjectPtr&) noexcept = default;

private:
    vdaObject* object_ = nullptr;
};

// Resolves `name` in the file of `context` (or, when `context` is null or belongs to no file, in the
// thread's current file). An empty name, or one that no entity has, gives a null reference.
VDA_API vdaObjectPtr vda_resolve(const vdaObject* context, const utString& name) noexcept;
