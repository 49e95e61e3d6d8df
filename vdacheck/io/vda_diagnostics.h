#pragma once

// Internal to the VDA-FS reader; not part of the library's interface.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <vdacheck/io/vda_read_error.h>
#include <vdacheck/model/vda_read_warning.h>

// Collects warnings and raises errors, both with source, line and column. Each kind of warning is listed at
// most `per_kind_limit` times; the rest are counted and summed up in one closing warning of that kind, so
// that a file with a million TABs stays readable.
//
// A reader of one chunk of a text collects into diagnostics of its own, with lines counted from the chunk's
// start; the file's diagnostics then take them over in file order (replay, add_unlisted), so that the file
// lists the same warnings as if one reader had read it all.
class vdaDiagnostics {
public:
    static constexpr int per_kind_limit = 100;

    vdaDiagnostics(std::string source, std::vector<vdaReadWarning>& warnings)
        : source_(std::move(source)), warnings_(warnings)
    {
    }

    // True when a warning of this kind would still be listed: callers build the message only then.
    bool listed(vdaWarningKind kind) noexcept { return counts_[index(kind)]++ < per_kind_limit; }
    void warn(vdaWarningKind kind, int line, int column, std::string message)
    {
        warnings_.push_back({kind, line, column, std::move(message)});
    }
    // Lists a warning a chunk's reader listed, `line_offset` records further down, if this kind is still listed.
    void replay(const vdaReadWarning& warning, int line_offset);
    // Counts warnings met beyond a chunk's own listing: they can never be listed here either, as the chunk
    // listed `per_kind_limit` of their kind before them.
    void add_unlisted(const vdaDiagnostics& chunk) noexcept;
    // Appends one summary for every kind that met more warnings than it listed.
    void finish(int line);

    [[noreturn]] void fail(int line, int column, std::string message) const;
    const std::string& source() const noexcept { return source_; }

    // "CURVE 'CV12': ", the start of every message about that statement.
    static std::string statement_prefix(std::string_view word, std::string_view name);
    // "'CV12'": a name as messages show it.
    static std::string quoted(std::string_view name);

private:
    static std::size_t index(vdaWarningKind kind) noexcept { return static_cast<std::size_t>(kind); }
    std::string source_;
    std::vector<vdaReadWarning>& warnings_;
    std::array<std::uint64_t, static_cast<std::size_t>(vdaWarningKind::count_)> counts_{};
};
