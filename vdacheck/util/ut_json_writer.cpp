#include <vdacheck/util/ut_json_writer.h>

#include <charconv>
#include <cmath>
#include <ostream>

#include <vdacheck/util/ut_number_text.h>
#include <vdacheck/util/ut_utf8.h>

utJsonWriter& utJsonWriter::begin_object()
{
    separate();
    out_ << '{';
    first_.push_back(true);
    return *this;
}

utJsonWriter& utJsonWriter::end_object()
{
    first_.pop_back();
    out_ << '}';
    return *this;
}

utJsonWriter& utJsonWriter::begin_array()
{
    separate();
    out_ << '[';
    first_.push_back(true);
    return *this;
}

utJsonWriter& utJsonWriter::end_array()
{
    first_.pop_back();
    out_ << ']';
    return *this;
}

utJsonWriter& utJsonWriter::key(std::string_view name)
{
    separate();
    out_ << quote(name, style_) << (style_ == Style::line ? ": " : ":");
    after_key_ = true;
    return *this;
}

utJsonWriter& utJsonWriter::string(std::string_view text)
{
    separate();
    out_ << quote(text, style_);
    return *this;
}

utJsonWriter& utJsonWriter::number(double value)
{
    separate();
    out_ << number_text(value);
    return *this;
}

utJsonWriter& utJsonWriter::integer(std::int64_t value)
{
    separate();
    char buffer[24];
    out_.write(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr - buffer);
    return *this;
}

utJsonWriter& utJsonWriter::boolean(bool value)
{
    separate();
    out_ << (value ? "true" : "false");
    return *this;
}

utJsonWriter& utJsonWriter::null()
{
    separate();
    out_ << "null";
    return *this;
}

utJsonWriter& utJsonWriter::string_or_null(std::string_view text) { return text.empty() ? null() : string(text); }

utJsonWriter& utJsonWriter::raw(std::string_view json)
{
    if (json.empty())
        return *this;
    separate();
    out_ << json;
    return *this;
}

void utJsonWriter::separate()
{
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (!first_.back())
        out_ << (style_ == Style::line ? ", " : ",");
    first_.back() = false;
}

std::string utJsonWriter::quote(std::string_view text, Style style)
{
    static constexpr char hex[] = "0123456789abcdef";
    std::string s;
    s.reserve(text.size() + 2);
    s += '"';
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            s += '\\';
            s += static_cast<char>(c);
        } else if (c == '\n') {
            s += "\\n";
        } else if (c == '\r') {
            s += "\\r";
        } else if (c == '\t') {
            s += "\\t";
        } else if (c < 0x20 || c == 0x7F || (c == '<' && style == Style::page)) {
            s += "\\u00";
            s += hex[c >> 4];
            s += hex[c & 0x0Fu];
        } else if (c >= 0x80) {
            const std::size_t n = ut_utf8_length(text, i);
            if (n == 0) {
                s += "\xEF\xBF\xBD";  // U+FFFD for a byte that is not UTF-8
                ++i;
                continue;
            }
            s.append(text.substr(i, n));
            i += n;
            continue;
        } else {
            s += static_cast<char>(c);
        }
        ++i;
    }
    s += '"';
    return s;
}

std::string utJsonWriter::number_text(double value)
{
    if (std::isnan(value))
        return "\"NaN\"";
    if (std::isinf(value))
        return value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    return ut_number_text(value);
}
