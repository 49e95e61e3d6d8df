#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string_view>

#include <vdacheck/util/ut_cancel.h>
#include <vdacheck/util/ut_export.h>

class vdaFile;

struct vdaReadOptions {
    // Called now and then while reading, with the bytes read so far and the total; always on the calling
    // thread.
    std::function<void(std::uint64_t done, std::uint64_t total)> progress;
    // Threads that read one text: 0 for every hardware thread, 1 to read on the calling thread only. Texts
    // below a megabyte are read on the calling thread. The model, its warnings and errors do not depend on it.
    unsigned threads = 0;
    // For tests: the size at which the text after the HEADER is cut into chunks for the threads; 0 lets the
    // reader choose. Setting it reads even a small text in chunks (unless threads is 1).
    std::size_t chunk_bytes = 0;
    // For tests: the bytes read from a stream at a time (a megabyte when 0).
    std::size_t block_bytes = 0;
    // Looked at between statements, chunks and blocks: once it asks to stop, reading throws utCancelled.
    utCancel cancel;
};

// Reads VDA-FS text into a vdaFile: strict on syntax, lenient on content. What makes the text unreadable
// as statements and values throws vdaReadError naming the source, line and column, the statement and what
// was expected there; nothing half-built is returned. A record far longer than any VDA-FS record
// (more than 1024 characters) is an error wherever it stands, and reading stops at it. Deviations that real writers
// produce are read, and remembered as the file's warnings. The new file becomes the thread's current file, and keeps
// the text: entities nothing changes are written back from it byte for byte.
class VDA_API vdaReader {
public:
    static std::unique_ptr<vdaFile> read(std::string_view text, std::string_view source_name,
                                         const vdaReadOptions& options = {});
    // Reads the text of a stream whose size is not known (standard input, a pipe) as it arrives: each stretch
    // of whole statements is read as soon as it is there, so that an error is reported once its record has
    // arrived, and memory holds what the model keeps (its text and entities), not more. Progress reports
    // a total of 0.
    static std::unique_ptr<vdaFile> read(std::istream& in, std::string_view source_name,
                                         const vdaReadOptions& options = {});
    // Reads the file at `path` (vdaReadError also when it cannot be opened or read); a path that is not a
    // regular file (a FIFO, a device) is read as a stream.
    static std::unique_ptr<vdaFile> load(const std::filesystem::path& path, const vdaReadOptions& options = {});
};
