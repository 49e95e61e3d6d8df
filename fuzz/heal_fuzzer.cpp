// The promise of healing on any input that reads: read, repair and heal, write, read again. Nothing crashes;
// no point moves beyond the tolerance; nothing is found after that was not found before; the healed model
// reads back as itself, checks clean, and measures as the healing measured it.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>
#include <string_view>

#include <vdacheck/heal/vdc_heal.h>
#include <vdacheck/quality/vdc_quality_check.h>
#include <vdacheck/vdacheck.h>

#include "fuzz_support.h"

namespace {

bool same(const vdcQualityFinding& a, const vdcQualityFinding& b)
{
    return a.rule == b.rule && a.entity == b.entity && std::memcmp(&a.value, &b.value, sizeof a.value) == 0 &&
           a.where.indices == b.where.indices;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<vdaFile> file;
    try {
        file = vdaReader::read(text, "fuzz.vda");
    } catch (const vdaReadError&) {
        return 0;
    }
    vdcHealOptions options;
    options.threads = 1;
    const vdcHealResult result = vdc_heal(*file, options);
    if (!result.repair.clean)
        return 0;
    for (const vdcHealedItem& item : result.healed)
        if (!(item.displacement <= options.tolerance * (1 + 1e-9)))
            fuzz_fail("a healing moved the geometry beyond the tolerance", std::string(item.finding.id()) + " on " +
                                                                               item.finding.entity.c_str() + ": " +
                                                                               std::to_string(item.displacement));
    for (const vdcQualityFinding& f : result.after.findings) {
        bool before = false;
        for (const vdcQualityFinding& b : result.before.findings)
            before = before || (b.rule == f.rule && b.entity == f.entity);
        if (!before)
            fuzz_fail("healing put a value beyond its tolerance", std::string(f.id()) + " on " + f.entity.c_str());
    }

    std::ostringstream out;
    try {
        vdaWriter::write(*file, out);
    } catch (const vdaWriteError& e) {
        if (!fuzz_has_long_name(*file))
            fuzz_fail("the healed model cannot be written", e.what());
        return 0;
    }
    std::unique_ptr<vdaFile> again;
    try {
        again = vdaReader::read(out.str(), "healed.vda");
    } catch (const vdaReadError& e) {
        fuzz_fail("the healed model does not read", std::string(e.what()) + "\n" + out.str());
    }
    if (const std::string difference = vda_first_difference(*file, *again, vdaEntityOrder::may_differ);
        !difference.empty())
        fuzz_fail("the healed model reads back differently", difference + "\n" + out.str());
    // Where names repeat, which entity a name reaches can change with the order the writer gives.
    if (again->has_duplicate_names())
        return 0;
    if (vdcFileCheck checker; !checker.check(*again))
        fuzz_fail("the healed model, read back, does not check clean", out.str());
    // A model healing did not change measures as it did before: measuring it again would only cost time.
    if (result.healed.empty() && result.undone.empty())
        return 0;
    const vdcQualityReport measured = vdcQualityCheck(options.profile, 1).run(*again);
    bool agree = measured.findings.size() == result.after.findings.size();
    for (std::size_t i = 0; agree && i < measured.findings.size(); ++i)
        agree = same(measured.findings[i], result.after.findings[i]);
    if (!agree)
        fuzz_fail("the healed model, read back, measures otherwise than healing left it", out.str());
    return 0;
}
