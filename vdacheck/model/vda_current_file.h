#pragma once

#include <vdacheck/model/vda_file.h>

// Makes a file its thread's current file for a scope, and the one that was current before current again
// when the scope ends: for work that finds entities by name in the current file (repairs, clean).
class vdaCurrentFile {
public:
    explicit vdaCurrentFile(vdaFile& file) noexcept : previous_(vdaFile::current()) { file.make_current(); }
    vdaCurrentFile(const vdaCurrentFile&) = delete;
    vdaCurrentFile& operator=(const vdaCurrentFile&) = delete;
    ~vdaCurrentFile()
    {
        if (previous_)
            previous_->make_current();
    }

private:
    vdaFile* previous_;
};
