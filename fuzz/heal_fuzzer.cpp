// The promise of healing on any input that reads: read, repair and heal, write, read again. Nothing crashes;
// no point moves beyond the tolerance; nothing is found after that was not found before; the healed model
// reads back as itself, checks clean, and measures as the healing measured it.
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>

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
    const std::unique_ptr<vdaFile> file = fuzz_model(data, size);
    if (!file)
        return 0;
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

    std::string written;
    const std::unique_ptr<vdaFile> again = fuzz_read_back(*file, "the healed model", written);
    if (!again)
        return 0;
    // Where names repeat, which entity a name reaches can change with the order the writer gives.
    if (again->has_duplicate_names())
        return 0;
    if (vdcFileCheck checker; !checker.check(*again))
        fuzz_fail("the healed model, read back, does not check clean", written);
    // A model healing did not change measures as it did before: measuring it again would only cost time.
    if (result.healed.empty() && result.undone.empty())
        return 0;
    const vdcQualityReport measured = vdcQualityCheck(options.profile, 1).run(*again);
    bool agree = measured.findings.size() == result.after.findings.size();
    for (std::size_t i = 0; agree && i < measured.findings.size(); ++i)
        agree = same(measured.findings[i], result.after.findings[i]);
    if (!agree)
        fuzz_fail("the healed model, read back, measures otherwise than healing left it", written);
    return 0;
}
