#pragma once

#include <filesystem>
#include <iosfwd>

#include <tool/vdc_file_outcome.h>

class vdaFile;
struct utReplaceOptions;
class vdcCliOptions;
class vdcQualityProfile;

// `vdacheck report FILE -o OUT.html` on the model read: checks it (and measures its geometric quality with
// a profile, on `threads` threads, which also draw it), draws it within the options' triangle budget and
// saves the report page to `page` through a temporary file (`save`), or writes it to `standard_output`
// when `page` is "-". `outcome` gets one line for the report saying what the page shows, and the exit
// status of check: 0 clean, 1 problems, 2 when the page cannot be written (no page is left then).
void vdc_run_report(const vdaFile& file, const std::filesystem::path& page, const vdcCliOptions& options,
                    const vdcQualityProfile* quality, int threads, vdcFileOutcome& outcome,
                    std::ostream& standard_output, const utReplaceOptions& save);
