// Reads any input; what reads must write back byte for byte, and written afresh must read back to the
// same model, whose fresh writing is then a fixed point.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

#include <vdacheck/vdacheck.h>

#include "fuzz_support.h"

namespace {

std::string written(const vdaFile& file)
{
    std::ostringstream out;
    vdaWriter::write(file, out);
    return out.str();
}


void regenerate(vdaFile& file)
{
    for (vdaObject& e : file) {
        if (auto* list = vda_cast<vdaElementList>(&e))
            list->remove_null_elements();
        e.mark_changed();
    }
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
    if (written(*file) != text)
        fuzz_fail("unchanged write differs from the input", "");

    regenerate(*file);
    std::string fresh;
    try {
        fresh = written(*file);
    } catch (const vdaWriteError& e) {
        if (!fuzz_has_long_name(*file))
            fuzz_fail("regenerated write failed", e.what());
        return 0;
    }
    std::unique_ptr<vdaFile> again;
    try {
        again = vdaReader::read(fresh, "fresh.vda");
    } catch (const vdaReadError& e) {
        fuzz_fail("regenerated text does not read", std::string(e.what()) + "\n" + fresh);
    }
    if (const std::string difference = vda_first_difference(*file, *again); !difference.empty())
        fuzz_fail("regenerated model differs", difference + "\n" + fresh);
    regenerate(*again);
    if (written(*again) != fresh)
        fuzz_fail("regenerating twice differs", fresh);
    return 0;
}
