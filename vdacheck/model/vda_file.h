#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <vdacheck/io/vda_read_error.h>

#include <vdacheck/model/vda_export.h>
#include <vdacheck/model/vda_object.h>
#include <vdacheck/util/co_ordered_map.h>
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
// current. A file should be destroyed on the thread that created it (or last made it current). This
// per-thread pointer is the model library's only global state.
class VDA_API vdaFile {
public:
    vdaFile();
    ~vdaFile();
    vdaFile(const vdaFile&) = delete;
    vdaFile& operator=(const vdaFile&) = delete;

    // Reading and writing VDA-FS (the io/ part of the library).
    struct ReadOptions {
        // Called now and then while reading, with the bytes read so far and the total.
        std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    };
    // Reads a whole VDA-FS text; the new file becomes the thread's current file. Throws vdaReadError
    // naming `source_name`, line and column when the text is not readable as VDA-FS.
    static std::unique_ptr<vdaFile> read(std::string_view text, std::string_view source_name,
                                         const ReadOptions& options = {});
    // Reads the file at `path` (vdaReadError also when it cannot be opened).
    static std::unique_ptr<vdaFile> load(const std::filesystem::path& path, const ReadOptions& options = {});
    // Writes the model as VDA-FS: unchanged entities as they were read, changed ones afresh, deleted ones
    // not at all. Throws vdaWriteError.
    void write(std::ostream& out) const;
    // Writes to a temporary file beside `path`, then renames it over `path`: never a half-written file.
    void save(const std::filesystem::path& path) const;
    // The deviations met while reading, in file order.
    const std::vector<vdaReadWarning>& warnings() const noexcept;
    // The name the file was read under (empty for a model built in code).
    const std::string& source_name() const noexcept;

    static vdaFile* current() noexcept;
    void make_current() noexcept;

    // Appends `entity` at the end of the file order and indexes its name. The entity must not belong
    // to a file yet (std::logic_error otherwise; the entity then stays with its file).
    vdaObject& add(std::unique_ptr<vdaObject> entity);
    template <class T, class... Args>
    T& create(Args&&... args)
    {
        return static_cast<T&>(add(std::make_unique<T>(std::forward<Args>(args)...)));
    }
    // Deletes `entity`, which must belong to this file.
    void remove(vdaObject& entity);

    // The first live entity of that name, or null.
    vdaObject* find(const utString& name) const noexcept;
    // Number of live entities.
    int size() const noexcept { return live_; }

    // Position-based access in file order, including the holes that deleted entities leave; used by
    // iterators, which therefore survive deletions during a walk.
    std::uint32_t num_slots() const noexcept { return static_cast<std::uint32_t>(slots_.size()); }
    vdaObject* slot(std::uint32_t i) const noexcept { return slots_[i]; }

    class iterator;
    iterator begin() const noexcept;
    iterator end() const noexcept;

private:
    friend class vdaObject;
    friend class vdaFileReader;
    friend class vdaFileWriter;
    void forget(vdaObject& entity) noexcept;
    // Adds an entity read from the source text: it starts unchanged and remembers its line.
    vdaObject& adopt(std::unique_ptr<vdaObject> entity, int line);
    static void mark_unchanged(vdaObject& entity) noexcept;
    static std::uint32_t slot_of(const vdaObject& entity) noexcept;

    // Where the records of what was read lie in the source text, as byte offsets: [lead, body) holds the
    // comments and blank records before the statement, [body, end) the statement's own records.
    struct SourceSpan {
        std::size_t lead = 0;
        std::size_t body = 0;
        std::size_t end = 0;
    };
    // An ENDSET record: it stands before the entity at slot `before_slot` (or after all read entities) and
    // closes the set at `set_slot`. A set that the source never closed gets an empty span.
    struct SourceEndset {
        std::uint32_t before_slot;
        std::uint32_t set_slot;
        SourceSpan span;
    };

    std::vector<vdaObject*> slots_;                        // file order; null where deleted
    coOrderedMap<utString, std::uint32_t> first_;          // name -> slot of its first live entity
    coOrderedMap<utString, std::vector<std::uint32_t>> duplicates_;  // names held by several entities
    int live_ = 0;

    // The bytes of a source text. A large text gets memory that may use huge pages: touching it for the
    // first time then costs far fewer page faults.
    class SourceText {
    public:
        SourceText() = default;
        SourceText(const SourceText&) = delete;
        SourceText& operator=(const SourceText&) = delete;
        ~SourceText();
        // Room for `size` bytes (uninitialised); the text's previous bytes are gone.
        char* allocate(std::size_t size);
        const char* get() const noexcept { return data_; }

    private:
        void release() noexcept;
        char* data_ = nullptr;
        std::size_t mapped_ = 0;  // size of the mapping, 0 when allocated with new
    };

    // The text the file was read from (kept whole: unchanged entities are written back from it).
    SourceText source_text_;
    std::size_t source_size_ = 0;
    std::string source_name_;
    std::string source_eol_ = "\n";      // line end of the source's records, used for regenerated ones
    std::vector<SourceSpan> spans_;      // one per slot read from the source (slots 0 .. spans_.size()-1)
    std::vector<SourceEndset> endsets_;  // in file order
    SourceSpan end_span_;                // the END record and everything after it; empty body: no END
    bool has_end_ = false;
    std::vector<vdaReadWarning> warnings_;
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
