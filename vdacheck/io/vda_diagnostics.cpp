#include <vdacheck/io/vda_diagnostics.h>

void vdaDiagnostics::replay(const vdaReadWarning& warning, int line_offset)
{
    if (!listed(warning.kind))
        return;
    warnings_.push_back(warning);
    warnings_.back().line += line_offset;
}

void vdaDiagnostics::add_unlisted(const vdaDiagnostics& chunk) noexcept
{
    for (std::size_t k = 0; k < counts_.size(); ++k)
        if (chunk.counts_[k] > per_kind_limit)
            counts_[k] += chunk.counts_[k] - per_kind_limit;
}

void vdaDiagnostics::finish(int line)
{
    static constexpr const char* names[] = {"comment before the HEADER",
                                            "comment after leading blanks",
                                            "blank record",
                                            "TAB used as a blank",
                                            "non-standard name",
                                            "integer where a real is expected",
                                            "real where an integer is expected",
                                            "lower-case exponent letter",
                                            "value too small for a double, read as 0",
                                            "duplicate name",
                                            "nested set",
                                            "set not closed",
                                            "END name differs from the HEADER name",
                                            "missing END",
                                            "records after END"};
    static_assert(std::size(names) == static_cast<std::size_t>(vdaWarningKind::count_));
    for (std::size_t k = 0; k < counts_.size(); ++k)
        if (counts_[k] > per_kind_limit)
            warnings_.push_back({static_cast<vdaWarningKind>(k), line, 1,
                                 std::to_string(counts_[k] - per_kind_limit) +
                                     " more warnings of this kind are not listed: " + names[k],
                                 true});
}

void vdaDiagnostics::fail(int line, int column, std::string message) const
{
    throw vdaReadError(source_, line, column, std::move(message));
}

std::string vdaDiagnostics::statement_prefix(std::string_view word, std::string_view name)
{
    std::string prefix(word);
    prefix += ' ';
    prefix += quoted(name);
    prefix += ": ";
    return prefix;
}

std::string vdaDiagnostics::quoted(std::string_view name)
{
    std::string s(1, '\'');
    s.append(name).push_back('\'');
    return s;
}
