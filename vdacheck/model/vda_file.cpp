#include <vdacheck/model/vda_file.h>

#include <algorithm>
#include <mutex>
#include <stdexcept>
#include <unordered_map>
#include <vector>

namespace {

// The files a thread made or made current, in that order, and the one names resolve in on that thread.
// A file may be destroyed on any thread (a host's garbage collector, a worker of a batch): it then leaves
// the registry of every thread, so that no thread keeps a dangling current file.
struct FileRegistry {
    std::mutex lock;
    std::vector<vdaFile*> alive;
    vdaFile* current = nullptr;

    void forget(vdaFile* file)
    {
        const std::lock_guard<std::mutex> guard(lock);
        alive.erase(std::remove(alive.begin(), alive.end(), file), alive.end());
        if (current == file)
            current = alive.empty() ? nullptr : alive.back();
    }
};

// For each file, the registries of the threads that list it, so that destroying a file visits those
// only, however many threads there are. Never destroyed: files with static storage may outlive it
// otherwise. Its lock is taken before a registry's.
struct Registries {
    std::mutex lock;
    std::unordered_map<const vdaFile*, std::vector<FileRegistry*>> listing;
};
Registries& registries()
{
    static Registries* const all = new Registries;
    return *all;
}

// This thread's registry; when the thread ends, the files it lists no longer name it.
class ThreadRegistry {
public:
    ThreadRegistry() = default;
    ThreadRegistry(const ThreadRegistry&) = delete;
    ThreadRegistry& operator=(const ThreadRegistry&) = delete;
    ~ThreadRegistry()
    {
        Registries& r = registries();
        const std::lock_guard<std::mutex> guard(r.lock);
        const std::lock_guard<std::mutex> own(registry_.lock);
        for (const vdaFile* file : registry_.alive) {
            const auto it = r.listing.find(file);
            if (it == r.listing.end())
                continue;
            std::erase(it->second, &registry_);
            if (it->second.empty())
                r.listing.erase(it);
        }
    }
    FileRegistry& get() noexcept { return registry_; }

private:
    FileRegistry registry_;
};

FileRegistry& this_thread()
{
    thread_local ThreadRegistry registry;
    return registry.get();
}

}  // namespace

vdaFile::vdaFile() { make_current(); }

vdaFile::~vdaFile()
{
    for (vdaObject* entity : slots_)
        if (entity) {
            entity->file_ = nullptr;  // the file is going: no need to update its index
            delete entity;
        }
    Registries& r = registries();
    const std::lock_guard<std::mutex> guard(r.lock);
    if (const auto it = r.listing.find(this); it != r.listing.end()) {
        for (FileRegistry* registry : it->second)
            registry->forget(this);
        r.listing.erase(it);
    }
}

vdaFile* vdaFile::current() noexcept
{
    FileRegistry& registry = this_thread();
    const std::lock_guard<std::mutex> guard(registry.lock);
    return registry.current;
}

void vdaFile::make_current() noexcept
{
    FileRegistry& registry = this_thread();
    {
        const std::lock_guard<std::mutex> guard(registry.lock);
        if (std::find(registry.alive.begin(), registry.alive.end(), this) != registry.alive.end()) {
            registry.current = this;
            return;
        }
    }
    Registries& r = registries();
    const std::lock_guard<std::mutex> guard(r.lock);
    const std::lock_guard<std::mutex> own(registry.lock);
    registry.alive.push_back(this);
    r.listing[this].push_back(&registry);
    registry.current = this;
}

void vdaFile::restore_current(vdaFile* file) noexcept
{
    FileRegistry& registry = this_thread();
    const std::lock_guard<std::mutex> guard(registry.lock);
    if (std::find(registry.alive.begin(), registry.alive.end(), file) != registry.alive.end())
        registry.current = file;
}

vdaObject& vdaFile::add(std::unique_ptr<vdaObject> entity)
{
    if (!entity)
        throw std::invalid_argument("vdaFile::add: null entity");
    if (entity->file_) {
        // The entity stays with the file that owns it: only the caller's handle is given up, so that the
        // failed call does not delete it.
        const vdaObject* owned = entity.release();
        throw std::logic_error("vdaFile::add: entity '" + std::string(owned->name().view()) +
                               "' already belongs to a file");
    }
    const auto slot = static_cast<std::uint32_t>(slots_.size());
    slots_.push_back(nullptr);  // reserve the slot first: nothing leaks if indexing throws
    auto [first, inserted] = first_.try_emplace(entity->name(), slot);
    if (!inserted) {
        auto [dups, fresh] = duplicates_.try_emplace(entity->name());
        if (fresh)
            dups->push_back(*first);
        dups->push_back(slot);
    }
    vdaObject* raw = entity.release();
    raw->file_ = this;
    raw->slot_ = slot;
    slots_[slot] = raw;
    ++live_;
    return *raw;
}

void vdaFile::remove(vdaObject& entity)
{
    if (entity.file_ != this)
        throw std::logic_error("vdaFile::remove: entity '" + std::string(entity.name().view()) +
                               "' does not belong to this file");
    delete &entity;
}

void vdaFile::rename(vdaObject& entity, const utString& name)
{
    if (entity.file_ != this)
        throw std::logic_error("vdaFile::rename: entity '" + std::string(entity.name().view()) +
                               "' does not belong to this file");
    if (find(name))
        throw std::invalid_argument("vdaFile::rename: an entity is named '" + std::string(name.view()) + "' already");
    unindex(entity);
    first_.try_emplace(name, entity.slot_);
    entity.name_ = name;
    entity.mark_changed();
}

void vdaFile::forget(vdaObject& entity) noexcept
{
    slots_[entity.slot_] = nullptr;
    --live_;
    unindex(entity);
}

void vdaFile::unindex(const vdaObject& entity) noexcept
{
    std::vector<std::uint32_t>* dups = duplicates_.find(entity.name());
    if (!dups) {
        first_.erase(entity.name());
        return;
    }
    dups->erase(std::find(dups->begin(), dups->end(), entity.slot_));
    *first_.find(entity.name()) = dups->front();
    if (dups->size() == 1)
        duplicates_.erase(entity.name());
}

vdaObject* vdaFile::find(const utString& name) const noexcept
{
    const std::uint32_t* slot = first_.find(name);
    return slot ? slots_[*slot] : nullptr;
}

void vdaFile::reserve(std::size_t entities)
{
    slots_.reserve(entities);
    first_.reserve(entities);
}

vdaObject& vdaFile::adopt(std::unique_ptr<vdaObject> entity, int line)
{
    vdaObject& added = add(std::move(entity));
    added.line_ = line;
    added.changed_ = false;
    return added;
}
