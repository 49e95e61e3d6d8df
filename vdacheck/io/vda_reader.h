#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string_view>

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
};

// Reads VDA-FS text into a vdaFile: strict on syntax, lenient on content. What makes the text unreadable
// as statements and values throws vdaReadError naming the source, line and column, the statement and what
// was expected there; nothing half-built is returned. Deviations that real writers produce are read, and
// remembered as the file's warnings. The new file becomes the thread's current file, and keeps the text:
// entities nothing changes are written back from it byte for byte.
class VDA_API vdaReader {
public:
    static std::unique_ptr<vdaFile> read(std::string_view text, std::string_view source_name,
                                         const vdaReadOptions& options = {});
    // Reads the file at `path` (vdaReadError also when it cannot be opened or read).
    static std::unique_ptr<vdaFile> load(const std::filesystem::path& path, const vdaReadOptions& options = {});
};
