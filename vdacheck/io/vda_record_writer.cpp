#include <vdacheck/io/vda_record_writer.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ostream>

#include <vdacheck/io/vda_write_error.h>

namespace {

constexpr std::size_t padded_name = 8;  // names are padded to 8 columns, as the format's examples do
constexpr std::size_t indent = 11;      // continuation records start in column 12

std::size_t digits_of(int value) noexcept
{
    std::size_t n = 1;
    for (; value >= 10; value /= 10)
        ++n;
    return n;
}

}  // namespace

std::size_t vda_format_real(double value, char* out) noexcept
{
    char sci[vda_real_chars];
    const auto done = std::to_chars(sci, sci + sizeof sci, value, std::chars_format::scientific);
    if (!std::isfinite(value)) {  // not VDA-FS; the writer refuses such values before it formats any
        std::memcpy(out, sci, std::size_t(done.ptr - sci));
        return std::size_t(done.ptr - sci);
    }
    // sci is "[-]d[.ddd]e[+-]xx": take the significant digits and the decimal exponent apart.
    const char* p = sci;
    char* o = out;
    if (*p == '-')
        *o++ = *p++;
    char digits[20];
    std::size_t count = 0;
    for (; *p != 'e'; ++p)
        if (*p != '.')
            digits[count++] = *p;
    ++p;
    const bool negative_exponent = *p == '-';
    int exponent = 0;
    std::from_chars(p + 1, done.ptr, exponent);
    if (negative_exponent)
        exponent = -exponent;

    const std::size_t sci_size = count + 3 + std::max<std::size_t>(2, digits_of(exponent < 0 ? -exponent : exponent));
    const std::size_t fixed_size =
        exponent >= 0 ? std::max(count, std::size_t(exponent) + 1) + 1 : std::size_t(-exponent) + 1 + count;
    if (fixed_size <= sci_size) {
        if (exponent >= 0) {
            const auto whole = std::size_t(exponent) + 1;
            for (std::size_t i = 0; i < whole; ++i)
                *o++ = i < count ? digits[i] : '0';
            *o++ = '.';
            for (std::size_t i = whole; i < count; ++i)
                *o++ = digits[i];
        } else {
            *o++ = '0';
            *o++ = '.';
            for (int i = -1; i > exponent; --i)
                *o++ = '0';
            for (std::size_t i = 0; i < count; ++i)
                *o++ = digits[i];
        }
    } else {
        *o++ = digits[0];
        *o++ = '.';
        for (std::size_t i = 1; i < count; ++i)
            *o++ = digits[i];
        *o++ = 'E';
        *o++ = negative_exponent ? '-' : '+';
        const int magnitude = exponent < 0 ? -exponent : exponent;
        if (magnitude < 10)
            *o++ = '0';
        o = std::to_chars(o, out + vda_real_chars, magnitude).ptr;
    }
    return static_cast<std::size_t>(o - out);
}

vdaRecordWriter::vdaRecordWriter(std::ostream& out, std::string eol) : out_(out), eol_(std::move(eol))
{
    buffer_.reserve(buffer_limit + 4096);
}

void vdaRecordWriter::copy(const char* begin, const char* end)
{
    if (begin == end)
        return;
    if (copy_end_ == begin) {
        copy_end_ = end;
        return;
    }
    flush_copy();
    copy_begin_ = begin;
    copy_end_ = end;
}

void vdaRecordWriter::flush_copy()
{
    if (copy_begin_ == copy_end_)
        return;
    for (const char* p = copy_begin_; (p = static_cast<const char*>(std::memchr(p, '\n', std::size_t(copy_end_ - p))));
         ++p)
        ++lines_;
    last_ = copy_end_[-1];
    const std::size_t size = std::size_t(copy_end_ - copy_begin_);
    if (size > buffer_limit / 4) {
        flush_buffer();
        out_.write(copy_begin_, static_cast<std::streamsize>(size));
        if (!out_)
            throw vdaWriteError("cannot write VDA-FS: the output stream failed");
    } else {
        append({copy_begin_, size});
    }
    copy_begin_ = copy_end_ = nullptr;
}

void vdaRecordWriter::append(std::string_view bytes)
{
    buffer_.append(bytes);
    if (buffer_.size() >= buffer_limit)
        flush_buffer();
}

// A copied range may end without a line end (the last record of a file); what follows needs one. A
// range that ends in a lone CR is completed to CR LF: another CR before the line end would turn the
// record from blank into data.
void vdaRecordWriter::start_line()
{
    flush_copy();
    if (last_ != '\n') {
        append(last_ == '\r' ? std::string_view("\n") : std::string_view(eol_));
        last_ = '\n';
        ++lines_;
    }
}

bool vdaRecordWriter::head_fits(std::string_view name, std::string_view word, std::size_t first_size) noexcept
{
    const std::size_t separators = first_size > 0 ? 3 : 1;  // "=", "/" and the comma after the first value
    return name.size() + word.size() + first_size + separators <= data_columns;
}

void vdaRecordWriter::begin_statement(std::string_view name, std::string_view word)
{
    start_line();
    name_ = name;
    word_ = word;
    head_done_ = false;
    has_pending_ = false;
    record_size_ = 0;
}

void vdaRecordWriter::token(std::string_view text)
{
    if (has_pending_)
        place({pending_, pending_size_}, false);
    if (text.size() > data_columns)
        throw vdaWriteError("cannot write '" + std::string(text) + "': longer than a VDA-FS record");
    std::memcpy(pending_, text.data(), text.size());
    pending_size_ = text.size();
    has_pending_ = true;
}

void vdaRecordWriter::integer(std::int64_t value)
{
    char text[24];
    const auto done = std::to_chars(text, text + sizeof text, value);
    token({text, std::size_t(done.ptr - text)});
}

void vdaRecordWriter::real(double value)
{
    char text[vda_real_chars];
    token({text, vda_format_real(value, text)});
}

void vdaRecordWriter::end_statement()
{
    if (has_pending_)
        place({pending_, pending_size_}, true);
    else
        write_head(0);
    has_pending_ = false;
    emit_record();
}

void vdaRecordWriter::write_head(std::size_t first_size)
{
    const auto put = [this](std::string_view s) {
        std::memcpy(record_ + record_size_, s.data(), s.size());
        record_size_ += s.size();
    };
    const std::size_t padding = name_.size() < padded_name ? padded_name - name_.size() : 0;
    const std::size_t padded = name_.size() + padding + 3 + word_.size() + (first_size > 0 ? 3 : 0) + first_size;
    record_size_ = 0;
    put(name_);
    if (padded <= data_columns) {
        std::memset(record_ + record_size_, ' ', padding);
        record_size_ += padding;
        put(" = ");
        put(word_);
        if (first_size > 0)
            put(" / ");
    } else {
        if (name_.size() + 1 + word_.size() + (first_size > 0 ? 1 : 0) + first_size > data_columns)
            throw vdaWriteError(std::string(word_) + " '" + std::string(name_) +
                                "' cannot be written: its name, command word and first value do not fit in one record");
        put("=");
        put(word_);
        if (first_size > 0)
            put("/");
    }
    head_done_ = true;
}

void vdaRecordWriter::place(std::string_view text, bool last)
{
    const std::size_t size = text.size() + (last ? 0 : 1);
    if (!head_done_) {
        write_head(size);
    } else if (record_size_ + 1 + size <= data_columns) {
        record_[record_size_++] = ' ';
    } else {
        emit_record();
        const std::size_t margin = indent + size <= data_columns ? indent : 0;
        if (margin + size > data_columns)
            throw vdaWriteError(std::string(word_) + " '" + std::string(name_) + "' cannot be written: the value '" +
                                std::string(text) + "' does not fit in a record");
        std::memset(record_, ' ', margin);
        record_size_ = margin;
    }
    std::memcpy(record_ + record_size_, text.data(), text.size());
    record_size_ += text.size();
    if (!last)
        record_[record_size_++] = ',';
}

void vdaRecordWriter::emit_record()
{
    char line[data_columns + 8];
    std::memcpy(line, record_, record_size_);
    std::memset(line + record_size_, ' ', data_columns - record_size_);
    // Columns 73-80: the output line number, 8 digits (it wraps after 99,999,999 lines).
    std::uint64_t number = (lines_ + 1) % 100000000;
    for (int i = 7; i >= 0; --i, number /= 10)
        line[data_columns + std::size_t(i)] = static_cast<char>('0' + number % 10);
    append({line, sizeof line});
    append(eol_);
    ++lines_;
    last_ = '\n';
    record_size_ = 0;
}

void vdaRecordWriter::text_record(std::string_view text)
{
    if (text.size() > data_columns)
        throw vdaWriteError("cannot write a text record of more than 72 characters");
    start_line();
    std::memcpy(record_, text.data(), text.size());
    record_size_ = text.size();
    emit_record();
}

void vdaRecordWriter::finish()
{
    flush_copy();
    flush_buffer();
}

void vdaRecordWriter::flush_buffer()
{
    if (buffer_.empty())
        return;
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
    if (!out_)
        throw vdaWriteError("cannot write VDA-FS: the output stream failed");
}
