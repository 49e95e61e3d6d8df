#include <vdacheck/report/vdc_json_writer.h>

#include <charconv>
#include <cmath>
#include <ostream>

namespace {

// Length of the valid UTF-8 sequence at text[i], or 0 when the bytes there are not one (overlong forms,
// surrogates and code points beyond U+10FFFF are not).
std::size_t utf8_length(std::string_view text, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = byte(i);
    std::size_t n = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (b >= 0xC2 && b <= 0xDF)
        n = 2, min = 0x80, code = b & 0x1Fu;
    else if (b >= 0xE0 && b <= 0xEF)
        n = 3, min = 0x800, code = b & 0x0Fu;
    else if (b >= 0xF0 && b <= 0xF4)
        n = 4, min = 0x10000, code = b & 0x07u;
    else
        return 0;
    if (i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return n;
}

}  // namespace

vdcJsonWriter& vdcJsonWriter::begin_object()
{
    separate();
    out_ << '{';
    first_.push_back(true);
    return *this;
}

vdcJsonWriter& vdcJsonWriter::end_object()
{
    first_.pop_back();
    out_ << '}';
    return *this;
}

vdcJsonWriter& vdcJsonWriter::begin_array()
{
    separate();
    out_ << '[';
    first_.push_back(true);
    return *this;
}

vdcJsonWriter& vdcJsonWriter::end_array()
{
    first_.pop_back();
    out_ << ']';
    return *this;
}

vdcJsonWriter& vdcJsonWriter::key(std::string_view name)
{
    separate();
    out_ << quote(name) << ':';
    after_key_ = true;
    return *this;
}

vdcJsonWriter& vdcJsonWriter::string(std::string_view text)
{
    separate();
    out_ << quote(text);
    return *this;
}

vdcJsonWriter& vdcJsonWriter::number(double value)
{
    separate();
    out_ << number_text(value);
    return *this;
}

vdcJsonWriter& vdcJsonWriter::integer(std::int64_t value)
{
    separate();
    char buffer[24];
    out_.write(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr - buffer);
    return *this;
}

vdcJsonWriter& vdcJsonWriter::boolean(bool value)
{
    separate();
    out_ << (value ? "true" : "false");
    return *this;
}

vdcJsonWriter& vdcJsonWriter::null()
{
    separate();
    out_ << "null";
    return *this;
}

void vdcJsonWriter::separate()
{
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (first_.empty())
        return;
    if (!first_.back())
        out_ << ',';
    first_.back() = false;
}

std::string vdcJsonWriter::quote(std::string_view text, Target target)
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
        } else if (c < 0x20 || c == 0x7F || (c == '<' && target == Target::page)) {
            s += "\\u00";
            s += hex[c >> 4];
            s += hex[c & 0x0Fu];
        } else if (c >= 0x80) {
            const std::size_t n = utf8_length(text, i);
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

std::string vdcJsonWriter::number_text(double value)
{
    if (std::isnan(value))
        return "\"NaN\"";
    if (std::isinf(value))
        return value > 0 ? "\"Infinity\"" : "\"-Infinity\"";
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}
