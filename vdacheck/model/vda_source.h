#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <vdacheck/model/vda_read_warning.h>
#include <vdacheck/util/ut_export.h>

// What a file was read from: the whole source text (kept, so that entities nothing changed are written
// back byte for byte), where each entity's records lie in it, and the deviations the reader met. A file
// built in code has an empty source. The reader fills it; the writer reads it.
class VDA_API vdaSource {
public:
    // Byte offsets into the text: [lead, body) holds the comments and blank records before a statement,
    // [body, end) the statement's own records.
    struct Span {
        std::size_t lead = 0;
        std::size_t body = 0;
        std::size_t end = 0;
    };
    // An ENDSET record: it stands before the entity at slot `before_slot` (or after all read entities) and
    // closes the set at `set_slot`. A set that the source never closed gets an empty span.
    struct Endset {
        std::uint32_t before_slot;
        std::uint32_t set_slot;
        Span span;
    };

    vdaSource() = default;
    vdaSource(const vdaSource&) = delete;
    vdaSource& operator=(const vdaSource&) = delete;
    ~vdaSource();

    // Room for a text of `size` bytes, to be filled by the caller; the previous text is gone. A large text
    // gets memory that may use huge pages: touching it for the first time then costs far fewer page faults.
    char* allocate(std::size_t size);
    // Grows or shrinks the text to `size` bytes, keeping what it holds up to there; the text may move.
    // For a reader that learns the size only as it reads.
    char* resize(std::size_t size);
    std::string_view text() const noexcept { return {data_, size_}; }

    std::string name;             // the name the text was read under (a path, "<stdin>", ...)
    std::string eol = "\n";       // line end of the source's records, used for records written afresh
    std::vector<Span> spans;      // one per slot read from the source (slots 0 .. spans.size() - 1)
    std::vector<Endset> endsets;  // in file order
    Span end_span;                // the END record and everything after it; empty body: no END
    bool has_end = false;
    std::vector<vdaReadWarning> warnings;  // in file order

private:
    void release() noexcept;
    char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t mapped_ = 0;  // size of the mapping, 0 when allocated with new
};
