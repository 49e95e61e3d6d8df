#include <vdacheck/io/vda_chunker.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t data_columns = 72;

bool blank(char ch) noexcept { return ch == ' ' || ch == '\t'; }

// Whether the record [begin, end) (without its line end) is a data record that ends a statement.
bool ends_statement(const char* begin, const char* end) noexcept
{
    const char* data_end = begin + std::min<std::size_t>(data_columns, static_cast<std::size_t>(end - begin));
    const char* p = begin;
    while (p < data_end && blank(*p))
        ++p;
    if (p == data_end || (p + 1 < data_end && p[0] == '$' && p[1] == '$'))
        return false;  // blank or comment
    const char* last = data_end;
    while (blank(last[-1]))
        --last;
    return last[-1] != ',';
}

}  // namespace

std::size_t vdaChunker::last_cut(std::string_view text, std::size_t from)
{
    // From the last record back: most often the last one ends a statement.
    const char* const base = text.data();
    std::size_t next = text.size();  // one past the line end of the record judged
    while (next > from) {
        std::size_t start = next - 1;
        while (start > from && base[start - 1] != '\n')
            --start;
        const char* end = base + next - 1;
        if (end > base + start && end[-1] == '\r')
            --end;
        if (ends_statement(base + start, end))
            return next;
        next = start;
    }
    return std::string_view::npos;
}

std::vector<std::size_t> vdaChunker::cuts(std::string_view text, std::size_t begin, std::size_t chunk_bytes)
{
    std::vector<std::size_t> cuts{begin};
    const char* const base = text.data();
    const std::size_t size = text.size();
    std::size_t from = begin;
    while (size - from > chunk_bytes) {
        // From the record that holds the chunk's last byte on, to the end of the statement there.
        const std::size_t last = from + chunk_bytes - 1;
        const std::size_t newline = text.substr(from, last - from).rfind('\n');
        std::size_t record = newline == std::string_view::npos ? from : from + newline + 1;
        std::size_t cut = size;
        while (record < size) {
            const auto* eol = static_cast<const char*>(std::memchr(base + record, '\n', size - record));
            const char* end = eol ? eol : base + size;
            const std::size_t next = eol ? static_cast<std::size_t>(eol - base) + 1 : size;
            if (end > base + record && end[-1] == '\r')
                --end;
            if (ends_statement(base + record, end)) {
                cut = next;
                break;
            }
            record = next;
        }
        if (cut >= size)
            break;
        cuts.push_back(cut);
        from = cut;
    }
    return cuts;
}
