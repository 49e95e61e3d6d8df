// The quality run on any input that reads: never a crash or a hang, and the same report on one thread as
// on several, field by field and to the last bit. The fuzz build cuts the entities into short runs (see
// fuzz/CMakeLists.txt), so that even a small input is measured in several runs that the threads share out.
#include <cstdint>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include <vdacheck/vdacheck.h>

#include "fuzz_support.h"

namespace {

void write(std::ostream& out, const vdcQualityFinding& f)
{
    out << f.id() << ' ' << f.entity.view() << ' ' << f.type << ' ' << f.line << ' ' << f.value << ' ' << f.tolerance;
    for (const int i : f.where.indices)
        out << ' ' << i;
    for (const double p : f.where.parameters)
        out << ' ' << p;
    if (f.where.has_point)
        out << " at " << f.where.point.x() << ' ' << f.where.point.y() << ' ' << f.where.point.z();
    out << '\n';
}

// Every field of a report, doubles in hexadecimal: two reports are the same when these texts are.
std::string every_field(const vdcQualityReport& report)
{
    std::ostringstream out;
    out << std::hexfloat;
    for (const vdcQualityFinding& f : report.findings)
        write(out, f);
    for (const vdcQualityRuleSummary& s : report.rules) {
        out << "rule: " << s.items << ' ' << s.findings << '\n';
        if (s.worst)
            write(out, *s.worst);
    }
    for (const vdcQualitySkip& k : report.skipped)
        out << "skipped " << k.entity.view() << ' ' << k.type << ' ' << k.line << ": " << k.reason << '\n';
    return out.str();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    vdaReadOptions options;
    options.threads = 1;
    std::unique_ptr<vdaFile> file;
    try {
        file = vdaReader::read(text, "fuzz.vda", options);
    } catch (const vdaReadError&) {
        return 0;
    }
    const std::string one = every_field(vdcQualityCheck({}, 1).run(*file));
    const std::string several = every_field(vdcQualityCheck({}, 3).run(*file));
    if (several != one)
        fuzz_fail("the quality report depends on the number of threads", "one thread:\n" + one + "three:\n" + several);
    return 0;
}
