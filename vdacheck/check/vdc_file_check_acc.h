#pragma once

#include <vdacheck/check/vdc_export.h>

class vdcFileCheck;
class vdcLog;

// The host's access to a checker's two logs and its reset_logs flag. An accessor cannot be copied.
class VDC_API vdcFileCheckAcc {
public:
    explicit vdcFileCheckAcc(vdcFileCheck* file_check) noexcept : file_check(file_check) {}
    ~vdcFileCheckAcc() = default;

    vdcLog& error_log() const noexcept;
    vdcLog& fixed_log() const noexcept;
    // 0: outermost check() calls keep the logs and checked names of earlier calls; non-zero: each
    // starts afresh. check(const vdaFile&) sets the flag back to 1 when it ends.
    void reset_logs(int value) const noexcept;

protected:
    vdcFileCheckAcc(const vdcFileCheckAcc&) noexcept : file_check(nullptr) {}
    void operator=(const vdcFileCheckAcc&) noexcept {}

private:
    vdcFileCheck* file_check;
};
