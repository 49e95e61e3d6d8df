#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>

#include <vdacheck/util/ut_export.h>

class utTemporaryFiles;

struct utReplaceOptions {
    // Where a named temporary file is registered for as long as it exists, so that a process that is being
    // stopped can remove it; null: nowhere.
    utTemporaryFiles* temporaries = nullptr;
    // False: a named temporary file even where the file system offers unnamed ones.
    bool unnamed = true;
};

// Writes `path` through `write`, so that nothing is ever half-written:
// - a path that names nothing yet, or a regular file, gets a whole new file: `write` fills a temporary file
//   in the same folder, which then replaces `path` in one rename, keeping the permissions of the file it
//   replaces. The temporary file has no name where the file system allows it (Linux's O_TMPFILE), so that
//   nothing is left behind however the process ends; elsewhere it is `NAME.tmpNNNNNN`, registered with
//   options.temporaries while it exists. A failure leaves what was there and no temporary file;
// - a symbolic link is followed, link by link, and the file it finally names is replaced so: the link stays;
// - anything else that exists (a device, a FIFO, a terminal) is written to in place, as a stream: there
//   is no file to replace. A folder is refused.
// Failures throw std::runtime_error saying what failed and why (callers name the path); exceptions of
// `write` pass through.
VDA_API void ut_replace_file(const std::filesystem::path& path, const std::function<void(std::ostream&)>& write,
                             const utReplaceOptions& options = {});
// The same for a writer that opens the file itself by its name (a library that takes a path): `write(at)`
// writes the whole file at `at`, a path that opens the temporary file (on Linux /proc/self/fd/N for an unnamed
// one), or the device or FIFO itself. The rest is as for ut_replace_file.
VDA_API void ut_replace_file_at(const std::filesystem::path& path,
                                const std::function<void(const std::filesystem::path&)>& write,
                                const utReplaceOptions& options = {});
