// The report page of any model that reads: checked, measured and drawn, the page is valid UTF-8, no text of
// the model ends one of its script elements, its data is strict JSON, and its table has a row for every
// problem of the result.
#include <cctype>
#include <cstdint>
#include <sstream>
#include <string>
#include <string_view>

#include <vdacheck/report/vdc_report_writer.h>
#include <vdacheck/run/vdc_run.h>
#include <vdacheck/util/ut_json_reader.h>
#include <vdacheck/util/ut_utf8.h>
#include <vdacheck/vdacheck.h>

#include "fuzz_support.h"

namespace {

bool valid_utf8(std::string_view text)
{
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = ut_utf8_length(text, i);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

// The text of the element with that id.
std::string_view element(std::string_view page, std::string_view id)
{
    const std::size_t open = page.find("id=\"" + std::string(id) + "\"");
    if (open == std::string_view::npos)
        fuzz_fail("no element", std::string(id));
    const std::size_t start = page.find('>', open) + 1;
    return page.substr(start, page.find("</script>", start) - start);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<vdaFile> file;
    try {
        file = vdaReader::read(text, "fuzz \xFF</script>.vda");
    } catch (const vdaReadError&) {
        return 0;
    }
    vdcRunOptions options;
    options.quality = true;
    options.threads = 1;
    const vdcRun run(options);
    const vdcRunResult result = run.check(*file);
    const vdcReport report = run.page(*file, result);
    vdaTessellationOptions tessellation;
    tessellation.threads = 1;
    tessellation.triangle_budget = 20'000;
    const vdaScene scene = vdaTessellator::tessellate(*file, tessellation);
    std::ostringstream out;
    vdcReportWriter(scene, report).write(out);
    const std::string page = out.str();

    if (!valid_utf8(page))
        fuzz_fail("the page is not UTF-8", "");
    std::string lower = page;
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    std::size_t closes = 0;
    for (std::size_t at = lower.find("</script"); at != std::string::npos; at = lower.find("</script", at + 1))
        ++closes;
    if (closes != 4)
        fuzz_fail("text ends a script element", std::to_string(closes) + " script ends");
    utJsonValue json;
    try {
        json = utJsonReader::parse(element(page, "vdc-data"));
    } catch (const utJsonError& e) {
        fuzz_fail("the page's data is not strict JSON", e.what());
    }
    const utJsonValue* problems = json.find("problems");
    if (!problems || problems->items().size() != result.errors.size() + result.findings.size())
        fuzz_fail("the table lost rows", std::to_string(result.errors.size() + result.findings.size()));
    return 0;
}
