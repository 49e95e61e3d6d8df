#pragma once

#include <cstdint>

#include <vdacheck/model/vda_file.h>
#include <vdacheck/util/ut_export.h>

// Walks the live entities of a file in file order:
//     vdaFileIT it(file, 0);
//     while (++it) use(it());
// The integer argument is the slot to start from (0: the first entity). Entities deleted during the
// walk are skipped; entities added during the walk are met when the walk reaches them.
class VDA_API vdaFileIT {
public:
    vdaFileIT(const vdaFile& file, int start) noexcept
        : file_(&file), next_(start > 0 ? static_cast<std::uint32_t>(start) : 0)
    {
    }

    // Steps to the next live entity; non-zero while there is one.
    int operator++() noexcept
    {
        current_ = nullptr;
        while (next_ < file_->num_slots()) {
            current_ = file_->slot(next_++);
            if (current_)
                return 1;
        }
        return 0;
    }
    vdaObject* operator()() const noexcept { return current_; }

private:
    const vdaFile* file_;
    std::uint32_t next_;
    vdaObject* current_ = nullptr;
};
