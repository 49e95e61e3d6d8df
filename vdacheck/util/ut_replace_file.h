#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>

#include <vdacheck/util/ut_export.h>

// Writes `path` through `write` into a temporary file beside it, then renames that over `path`, keeping the
// permissions of a file it replaces: no reader ever sees a half-written file, and a failure leaves what was
// there. On any failure the temporary file is removed and the exception thrown again; failures to create
// or write the temporary file are std::runtime_error naming it.
VDA_API void ut_replace_file(const std::filesystem::path& path, const std::function<void(std::ostream&)>& write);
