// The whole promise of repair on any input that reads: read, repair, write, read again, and the model read
// back checks clean.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <vdacheck/vdacheck.h>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::unique_ptr<vdaFile> file = fuzz_model(data, size);
    if (!file)
        return 0;
    const vdcRepairResult result = vdc_repair(*file);
    if (!result.clean)
        fuzz_fail("repair did not end clean", std::to_string(result.rounds.size()) + " rounds");

    std::string written;
    const std::unique_ptr<vdaFile> again = fuzz_read_back(*file, "the repaired model", written);
    if (!again)
        return 0;
    // Repair gave every repeated name a fresh one: the model read back holds each name once, so references
    // resolve as they did, and it checks clean.
    if (again->has_duplicate_names())
        fuzz_fail("the repaired model, read back, repeats a name", written);
    if (vdcFileCheck checker; !checker.check(*again))
        fuzz_fail("the repaired model, read back, does not check clean", written);
    return 0;
}
