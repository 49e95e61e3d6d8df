#pragma once

// Internal to the VDA-FS reader; not part of the library's interface.

#include <cstddef>
#include <string_view>
#include <vector>

// Cuts the statements of a VDA-FS text into chunks that can be read each on its own: a cut lies just after
// the record that ends a statement, so the next chunk begins with the comments and blank records before a
// statement, or with the statement itself. A statement ends on a data record whose last non-blank character
// in columns 1-72 is not a comma; comment records ($$ after any blanks) and blank records end none.
// The records are judged as the lexer judges them; a record the lexer rejects fails the chunk that holds it.
class vdaChunker {
public:
    // The offsets where the chunks of `text` from `begin` (a record start after the HEADER's text) on begin:
    // `begin`, then the first cut that leaves every chunk at least `chunk_bytes` long (the last one may be
    // shorter). With chunk_bytes 1, every statement starts a chunk.
    static std::vector<std::size_t> cuts(std::string_view text, std::size_t begin, std::size_t chunk_bytes);
    // The end of the last record in [from, text.size()) that ends a statement, or npos when none does. `from`
    // is a record start, and `text` ends with a line end: for a text read so far, whose last record may
    // still be cut off, the caller passes the text up to its last line end.
    static std::size_t last_cut(std::string_view text, std::size_t from);
};
