// The whole promise of repair on any input that reads: read, repair, write, read again, and the model read
// back checks clean.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include <vdacheck/vdacheck.h>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::unique_ptr<vdaFile> file;
    try {
        file = vdaReader::read(text, "fuzz.vda");
    } catch (const vdaReadError&) {
        return 0;
    }
    const vdcRepairResult result = vdc_repair(*file);
    if (!result.clean)
        fuzz_fail("repair did not end clean", std::to_string(result.rounds.size()) + " rounds");

    std::ostringstream out;
    try {
        vdaWriter::write(*file, out);
    } catch (const vdaWriteError& e) {
        if (!fuzz_has_long_name(*file))
            fuzz_fail("the repaired model cannot be written", e.what());
        return 0;
    }
    std::unique_ptr<vdaFile> again;
    try {
        again = vdaReader::read(out.str(), "repaired.vda");
    } catch (const vdaReadError& e) {
        fuzz_fail("the repaired model does not read", std::string(e.what()) + "\n" + out.str());
    }
    if (const std::string difference = vda_first_difference(*file, *again, vdaEntityOrder::may_differ);
        !difference.empty())
        fuzz_fail("the repaired model reads back differently", difference + "\n" + out.str());
    // Repair gave every repeated name a fresh one: the model read back holds each name once, so references
    // resolve as they did, and it checks clean.
    if (again->has_duplicate_names())
        fuzz_fail("the repaired model, read back, repeats a name", out.str());
    if (vdcFileCheck checker; !checker.check(*again))
        fuzz_fail("the repaired model, read back, does not check clean", out.str());
    return 0;
}
