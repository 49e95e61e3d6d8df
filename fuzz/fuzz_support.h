#pragma once

// What the fuzz targets share: failing loudly with what went wrong, and telling which models cannot be
// written afresh whatever the code does.

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>

#include <vdacheck/io/vda_read_error.h>
#include <vdacheck/io/vda_reader.h>
#include <vdacheck/io/vda_write_error.h>
#include <vdacheck/io/vda_writer.h>
#include <vdacheck/model/vda_compare.h>
#include <vdacheck/model/vda_file.h>

[[noreturn]] inline void fuzz_fail(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "%s: %s\n", what, detail.c_str());
    std::abort();
}

// Entities written afresh share their first record with the command word and the first value; a name too
// long for that cannot be written.
inline bool fuzz_has_long_name(const vdaFile& file)
{
    for (const vdaObject& e : file)
        if (e.name().size() > 30)
            return true;
    return false;
}

// The model the fuzzer's input reads as, or null when it does not read.
inline std::unique_ptr<vdaFile> fuzz_model(const std::uint8_t* data, std::size_t size)
{
    try {
        return vdaReader::read(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.vda");
    } catch (const vdaReadError&) {
        return nullptr;
    }
}

// `file` (a model a command changed: "the repaired model") written and read back, which must give the model
// written, entities in another order allowed (a repaired set may leave an entity behind its ENDSET); null
// when the model cannot be written for a name too long. `text` is what was written.
inline std::unique_ptr<vdaFile> fuzz_read_back(const vdaFile& file, const std::string& what, std::string& text)
{
    std::ostringstream out;
    try {
        vdaWriter::write(file, out);
    } catch (const vdaWriteError& e) {
        if (!fuzz_has_long_name(file))
            fuzz_fail((what + " cannot be written").c_str(), e.what());
        return nullptr;
    }
    text = out.str();
    std::unique_ptr<vdaFile> again;
    try {
        again = vdaReader::read(text, "again.vda");
    } catch (const vdaReadError& e) {
        fuzz_fail((what + " does not read").c_str(), std::string(e.what()) + "\n" + text);
    }
    if (const std::string difference = vda_first_difference(file, *again, vdaEntityOrder::may_differ);
        !difference.empty())
        fuzz_fail((what + " reads back differently").c_str(), difference + "\n" + text);
    return again;
}
