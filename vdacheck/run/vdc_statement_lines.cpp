#include <vdacheck/run/vdc_statement_lines.h>

#include <algorithm>
#include <charconv>
#include <cstring>

namespace {

// A name has at most 8 characters; the rest of a record tells nothing more.
constexpr std::size_t columns_kept = 24;

}  // namespace

vdcStatementLines::vdcStatementLines(std::streambuf& out, const std::vector<std::string>& names) : out_(out)
{
    for (const std::string& name : names)
        lines_.try_emplace(name, 0);
}

int vdcStatementLines::line(std::string_view name) const
{
    const auto it = lines_.find(name);
    return it == lines_.end() ? 0 : it->second;
}

vdcStatementLines::int_type vdcStatementLines::overflow(int_type c)
{
    if (traits_type::eq_int_type(c, traits_type::eof()))
        return traits_type::not_eof(c);
    const char byte = traits_type::to_char_type(c);
    scan(&byte, 1);
    return out_.sputc(byte);
}

std::streamsize vdcStatementLines::xsputn(const char* s, std::streamsize n)
{
    scan(s, static_cast<std::size_t>(n));
    return out_.sputn(s, n);
}

int vdcStatementLines::sync() { return out_.pubsync(); }

void vdcStatementLines::scan(const char* s, std::size_t n)
{
    while (n > 0) {
        const auto* end = static_cast<const char*>(std::memchr(s, '\n', n));
        const std::size_t length = end ? static_cast<std::size_t>(end - s) : n;
        if (record_.size() < columns_kept)
            record_.append(s, std::min(length, columns_kept - record_.size()));
        if (!end)
            return;
        record_ended();
        s = end + 1;
        n -= length + 1;
    }
}

void vdcStatementLines::record_ended()
{
    take(record_, number_++);
    record_.clear();
}

void vdcStatementLines::take(std::string_view record, int number)
{
    if (number == 1) {
        // "NAME = HEADER / n": n records of text follow.
        const std::size_t slash = record.find('/');
        if (slash != std::string_view::npos) {
            std::size_t first = slash + 1;
            while (first < record.size() && record[first] == ' ')
                ++first;
            std::from_chars(record.data() + first, record.data() + record.size(), text_left_);
        }
        return;
    }
    if (text_left_ > 0) {
        --text_left_;
        return;
    }
    if (record.empty() || record[0] == ' ' || record[0] == '$')
        return;
    const std::size_t name_end = std::min(record.find_first_of(" ="), record.size());
    std::size_t equals = name_end;
    while (equals < record.size() && record[equals] == ' ')
        ++equals;
    if (equals >= record.size() || record[equals] != '=')
        return;
    const auto it = lines_.find(record.substr(0, name_end));
    if (it != lines_.end() && it->second == 0)
        it->second = number;
}
