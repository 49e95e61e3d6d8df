#pragma once

// Internal to the VDA-FS reader; not part of the library's interface.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>
#include <vector>

#include <vdacheck/io/vda_reader.h>

class vdaDiagnostics;
class vdaFileAssembler;

// Reads the statements after the HEADER on several threads. The text is cut into chunks at statement
// boundaries (vdaChunker); each thread reads whole chunks into statements and warnings of its own, and the
// calling thread, which reads chunks too while it waits, places them into the file in file order. Warnings
// are replayed into the file's diagnostics in the order one reader would have met them, and an unreadable
// text fails with the error that comes first in the file, so the outcome is the serial reader's.
class vdaParallelReader {
public:
    // `text`: the whole source text.
    vdaParallelReader(std::string_view text, vdaDiagnostics& diagnostics, vdaFileAssembler& assembler) noexcept
        : text_(text), diag_(diagnostics), assembler_(assembler)
    {
    }

    // Reads the chunks that begin at `cuts` (the first right after the HEADER's records, of which there are
    // `line_offset`) on the options' threads, and places their statements. Returns the number of records
    // read. The options' progress is called, and their cancel looked at, on the calling thread as each
    // chunk is placed.
    int read(const std::vector<std::size_t>& cuts, int line_offset, const vdaReadOptions& options);

private:
    struct Chunk;
    void read_chunk(Chunk& chunk) const;
    std::size_t estimate(const std::vector<std::unique_ptr<Chunk>>& chunks) const;
    bool place(Chunk& chunk, int line_offset);

    std::string_view text_;
    vdaDiagnostics& diag_;
    vdaFileAssembler& assembler_;
};
