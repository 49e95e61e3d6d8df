#pragma once

// What the fuzz targets share: failing loudly with what went wrong, and telling which models cannot be
// written afresh whatever the code does.

#include <cstdio>
#include <cstdlib>
#include <string>

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
