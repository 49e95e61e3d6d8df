#pragma once

#include <vdacheck/util/ut_export.h>

class vdaFile;

// Makes a file the calling thread's current file, where repairs and clean() resolve names, for as long as
// it lives, and makes the file that was current before current again when it goes (if that one still
// lives). Every call that runs a command on a model holds one.
class VDA_API vdaCurrentFile {
public:
    explicit vdaCurrentFile(vdaFile& file) noexcept;
    ~vdaCurrentFile();
    vdaCurrentFile(const vdaCurrentFile&) = delete;
    vdaCurrentFile& operator=(const vdaCurrentFile&) = delete;

private:
    vdaFile* previous_;
};
