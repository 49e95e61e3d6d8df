#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <vdacheck/model/vda_object.h>
#include <vdacheck/model/vda_read_warning.h>
#include <vdacheck/model/vda_source.h>
#include <vdacheck/util/co_ordered_map.h>
#include <vdacheck/util/ut_export.h>
#include <vdacheck/util/ut_string.h>

// A VDA-FS model: the entities of one file, in file order, owned by the file and indexed by name.
// The first entity of a name is the one a reference to that name resolves to; later entities of the
// same name are kept (and iterated) but reached by name only once the earlier ones are deleted.
// Deleting an entity (delete through vdaObject's virtual destructor, or remove()) takes it out of the
// iteration and the name index at once.
//
// Current file: vdaObjectPtr(const utString&) resolves names in the current file of the calling
// thread. Creating a vdaFile makes it current on its thread; make_current() switches; when the
// current file is destroyed, the most recently created file of the thread that is still alive becomes
// current. A file may be destroyed on any thread; it then stops being current on every thread. This
// per-thread pointer is the model library's only global state.
class VDA_API vdaFile {
public:
    vdaFile();
    ~vdaFile();
    vdaFile(const vdaFile&) = delete;
    vdaFile& operator=(const vdaFile&) = delete;

    // What the file was read from (empty for a model built in code); vdaReader fills it, vdaWriter
    // copies unchanged entities from it.
    const vdaSource& source() const noexcept { return source_; }
    vdaSource& source() noexcept { return source_; }
    // The deviations met while reading, in file order.
    const std::vector<vdaReadWarning>& warnings() const noexcept { return source_.warnings; }
    // The name the file was read under (empty for a model built in code).
    const std::string& source_name() const noexcept { return source_.name; }

    static vdaFile* current() noexcept;
    void make_current() noexcept;
    // Makes `file` current again, if it is still alive (a file made current earlier on this thread, and
    // perhaps destroyed since on another).
    static void restore_current(vdaFile* file) noexcept;

    // Appends `entity` at the end of the file order and indexes its name. The entity must not belong
    // to a file yet (std::logic_error otherwise; the entity then stays with its file).
    vdaObject& add(std::unique_ptr<vdaObject> entity);
    template <class T, class... Args>
    T& create(Args&&... args)
    {
        return static_cast<T&>(add(std::make_unique<T>(std::forward<Args>(args)...)));
    }
    // Makes room for `entities` entities in all, so that adding that many moves nothing: for a reader that
    // knows about how many will come.
    void reserve(std::size_t entities);
    // Appends an entity read from the source text: it starts unchanged and remembers its line.
    vdaObject& adopt(std::unique_ptr<vdaObject> entity, int line);
    // Deletes `entity`, which must belong to this file.
    void remove(vdaObject& entity);
    // Gives `entity`, which must belong to this file, a name no live entity has (std::invalid_argument
    // otherwise) and marks it changed. References to its old name now resolve to the next entity of that
    // name, if any; sets that hold it are the caller's to update (vdaElementList::set_element).
    void rename(vdaObject& entity, const utString& name);

    // The first live entity of that name, or null.
    vdaObject* find(const utString& name) const noexcept;
    // Number of live entities.
    int size() const noexcept { return live_; }
    // True when some name is held by more than one live entity.
    bool has_duplicate_names() const noexcept { return duplicates_.size() > 0; }

    // Position-based access in file order, including the holes that deleted entities leave; used by
    // iterators, which therefore survive deletions during a walk.
    std::uint32_t num_slots() const noexcept { return static_cast<std::uint32_t>(slots_.size()); }
    vdaObject* slot(std::uint32_t i) const noexcept { return slots_[i]; }

    class iterator;
    iterator begin() const noexcept;
    iterator end() const noexcept;

private:
    friend class vdaObject;
    void forget(vdaObject& entity) noexcept;
    // Takes the entity's slot out of the name index.
    void unindex(const vdaObject& entity) noexcept;

    std::vector<vdaObject*> slots_;                                  // file order; null where deleted
    coOrderedMap<utString, std::uint32_t> first_;                    // name -> slot of its first live entity
    coOrderedMap<utString, std::vector<std::uint32_t>> duplicates_;  // names held by several entities
    int live_ = 0;
    vdaSource source_;
};

// Forward iteration over the live entities of a file, in file order.
class vdaFile::iterator {
public:
    using value_type = vdaObject;
    using reference = vdaObject&;
    using difference_type = std::ptrdiff_t;

    iterator() noexcept = default;
    iterator(const vdaFile* file, std::uint32_t at) noexcept : file_(file), at_(at) { skip(); }
    vdaObject& operator*() const noexcept { return *file_->slot(at_); }
    vdaObject* operator->() const noexcept { return file_->slot(at_); }
    iterator& operator++() noexcept
    {
        ++at_;
        skip();
        return *this;
    }
    iterator operator++(int) noexcept
    {
        iterator old = *this;
        ++*this;
        return old;
    }
    friend bool operator==(const iterator& a, const iterator& b) noexcept { return a.at_ == b.at_; }

private:
    void skip() noexcept
    {
        while (at_ < file_->num_slots() && !file_->slot(at_))
            ++at_;
    }
    const vdaFile* file_ = nullptr;
    std::uint32_t at_ = 0;
};

inline vdaFile::iterator vdaFile::begin() const noexcept { return iterator(this, 0); }
inline vdaFile::iterator vdaFile::end() const noexcept { return iterator(this, num_slots()); }
