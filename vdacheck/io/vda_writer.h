#pragma once

#include <filesystem>
#include <iosfwd>

#include <vdacheck/util/ut_export.h>
#include <vdacheck/util/ut_replace_file.h>

class vdaFile;

// Writes a vdaFile as VDA-FS 2.0 that reads back to the same model: the same entities in the same order,
// values bit for bit, the same references. Entities read from a source text and not changed since are
// copied from it byte for byte, with the comments and blank records before them; changed and new ones are
// written afresh as 80-column records; deleted ones are left out. Nothing is written when the model holds
// something VDA-FS cannot express: vdaWriteError says what, before the first byte.
class VDA_API vdaWriter {
public:
    static void write(const vdaFile& file, std::ostream& out);
    // Writes to a temporary file beside `path`, then renames it over `path`: never a half-written file
    // (see ut_replace_file: a device or FIFO is written to in place, a symbolic link followed).
    static void save(const vdaFile& file, const std::filesystem::path& path, const utReplaceOptions& options = {});
};
