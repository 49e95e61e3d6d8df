#pragma once

#include <cstdint>

#include <vdacheck/model/type_info.h>
#include <vdacheck/util/ut_export.h>
#include <vdacheck/util/ut_string.h>

class vdaFile;
class vdaObjectPtr;

// The base of every entity of a VDA-FS model. An entity has a name, a type and, once added to a
// vdaFile, belongs to that file: deleting it (through the virtual destructor) removes it from the
// file's iteration and name index. References to other entities are kept as names and resolved
// each time they are read, so a deleted entity can never be reached through a stale pointer.
class VDA_API vdaObject {
public:
    static const TypeInfo id;

    vdaObject(const vdaObject&) = delete;
    vdaObject& operator=(const vdaObject&) = delete;
    virtual ~vdaObject();

    const utString& name() const noexcept { return name_; }
    virtual const TypeInfo& type() const noexcept { return id; }
    // 1 when the entity's class is `t` or derives from it: guards every downcast.
    virtual int can_cast(const TypeInfo& t) const noexcept { return type().derives_from(t) ? 1 : 0; }
    // 1 when the entity's class is exactly `t`.
    virtual int is_type(const TypeInfo& t) const noexcept { return &type() == &t ? 1 : 0; }

    // The file the entity belongs to, or null for an entity not added to any file.
    vdaFile* file() const noexcept { return file_; }
    // The line where the entity's statement starts in the file it was read from; 0 when built in code.
    int line() const noexcept { return line_; }
    void set_line(int line) noexcept { line_ = line; }
    // True once any setter has changed the entity (always true for an entity built in code): the writer
    // then writes it afresh instead of copying its original records.
    bool changed() const noexcept { return changed_; }
    void mark_changed() noexcept { changed_ = true; }
    // Declares the entity equal to its source records again: for a reader that fills in an entity (a set's
    // elements) after adding it.
    void mark_unchanged() noexcept { changed_ = false; }
    // The entity's position in its file's order (slots of deleted entities are not reused).
    std::uint32_t slot() const noexcept { return slot_; }

protected:
    explicit vdaObject(const utString& name) : name_(name) {}
    // Resolves a reference name: in the entity's file, or in the thread's current file for an entity
    // that belongs to none. An empty name, or one that no entity has, gives a null reference.
    vdaObjectPtr resolve(const utString& reference) const noexcept;

private:
    friend class vdaFile;
    utString name_;
    vdaFile* file_ = nullptr;
    std::uint32_t slot_ = 0;  // position in the file's entity order
    int line_ = 0;
    bool changed_ = true;
};

// Downcast guarded by can_cast: null when `object` is null or not a T.
template <class T>
T* vda_cast(vdaObject* object) noexcept
{
    return object && object->can_cast(T::id) ? static_cast<T*>(object) : nullptr;
}
template <class T>
const T* vda_cast(const vdaObject* object) noexcept
{
    return object && object->can_cast(T::id) ? static_cast<const T*>(object) : nullptr;
}
