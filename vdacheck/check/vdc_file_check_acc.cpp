#include <vdacheck/check/vdc_file_check_acc.h>

#include <vdacheck/check/vdc_file_check.h>

vdcLog& vdcFileCheckAcc::error_log() const noexcept { return file_check->error_log; }

vdcLog& vdcFileCheckAcc::fixed_log() const noexcept { return file_check->fixed_log; }

void vdcFileCheckAcc::reset_logs(int value) const noexcept { file_check->reset_logs = value; }
