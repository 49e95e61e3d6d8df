// Reads any input, on one thread and in chunks on several: the two reads must agree (the same error, or
// the same model and warnings). What reads must write back byte for byte, and written afresh must read back
// to the same model, whose fresh writing is then a fixed point.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
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

std::unique_ptr<vdaFile> read(std::string_view text, unsigned threads, std::size_t chunk_bytes, std::string& error)
{
    vdaReadOptions options;
    options.threads = threads;
    options.chunk_bytes = chunk_bytes;
    try {
        return vdaReader::read(text, "fuzz.vda", options);
    } catch (const vdaReadError& e) {
        error = e.what();
        return nullptr;
    }
}

bool same_warnings(const vdaFile& a, const vdaFile& b)
{
    const auto& x = a.warnings();
    const auto& y = b.warnings();
    if (x.size() != y.size())
        return false;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (x[i].kind != y[i].kind || x[i].line != y[i].line || x[i].column != y[i].column ||
            x[i].message != y[i].message || x[i].summary != y[i].summary)
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::string error, chunked_error;
    std::unique_ptr<vdaFile> file = read(text, 1, 0, error);
    // Chunks of 1 to 16 bytes cut after nearly every statement; the input picks the size.
    const std::unique_ptr<vdaFile> chunked = read(text, 2, 1 + size % 16, chunked_error);
    if (error != chunked_error)
        fuzz_fail("chunked read fails otherwise", error + "\n" + chunked_error);
    if (!file)
        return 0;
    if (const std::string difference = vda_first_difference(*file, *chunked); !difference.empty())
        fuzz_fail("chunked read differs", difference);
    if (!same_warnings(*file, *chunked))
        fuzz_fail("chunked read warns otherwise", "");
    if (written(*chunked) != text)
        fuzz_fail("unchanged write of the chunked read differs from the input", "");
    file->make_current();
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
