#pragma once

#include <iosfwd>
#include <string>

class vdcCliOptions;
class vdcCliRunner;
class vdcQualityProfile;

// `vdacheck report FILE -o OUT.html`: reads FILE, checks it (and measures its geometric quality with a
// profile), draws it within the triangle budget and saves the report page to OUT through a temporary file,
// then says in one line on `out` what the page shows. The exit status is check's: 0 clean, 1 problems,
// 2 when FILE cannot be read or OUT cannot be written (no page is left then).
class vdcReportCommand {
public:
    vdcReportCommand(vdcCliRunner& runner, std::ostream& out, std::ostream& err) : runner_(runner), out_(out), err_(err)
    {
    }

    int run(const std::string& name, const vdcCliOptions& options, const vdcQualityProfile* quality);

private:
    vdcCliRunner& runner_;
    std::ostream& out_;
    std::ostream& err_;
};
