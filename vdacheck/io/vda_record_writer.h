#pragma once

// Internal to the VDA-FS writer; not part of the library's interface.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

// The longest text format_real produces ("-1.7976931348623157E+308" has 24 characters).
constexpr std::size_t vda_real_chars = 32;

// Writes a finite double in the shortest form that reads back to the same bits, always with a decimal
// point and with an E exponent when that is shorter than the plain form: "0.", "-0.", "1.5", "1.E+20",
// "-1.7976931348623157E+308". Returns the number of characters written to `out`.
std::size_t vda_format_real(double value, char* out) noexcept;

// Buffered output of VDA-FS records: byte ranges copied as they are, and statements written afresh as
// 80-column records (data in columns 1-72, the output line number in 73-80). A statement is laid out
// token by token; a token never spans two records, and a record that continues ends with a comma.
class vdaRecordWriter {
public:
    vdaRecordWriter(std::ostream& out, std::string eol);

    // Copies bytes verbatim. Adjacent ranges of one source are joined into one copy.
    void copy(const char* begin, const char* end);

    // A statement: begin, its parameters, end. The command word and the first parameter share the first
    // record; throws vdaWriteError when they cannot.
    void begin_statement(std::string_view name, std::string_view word);
    void token(std::string_view text);
    void integer(std::int64_t value);
    void real(double value);
    void end_statement();

    // One free-text record (a HEADER text line), padded to 72 columns.
    void text_record(std::string_view text);

    // Whether "name = word / first" (with a comma after `first`) fits in one record.
    static bool head_fits(std::string_view name, std::string_view word, std::size_t first_size) noexcept;

    // Writes out everything buffered; throws vdaWriteError when the stream fails.
    void finish();

private:
    static constexpr std::size_t data_columns = 72;
    static constexpr std::size_t buffer_limit = 1u << 20;

    void place(std::string_view text, bool last);
    void write_head(std::size_t first_size);
    void emit_record();
    void append(std::string_view bytes);
    void flush_copy();
    void flush_buffer();
    void start_line();

    std::ostream& out_;
    std::string eol_;
    std::string buffer_;
    std::uint64_t lines_ = 0;  // records written so far
    char last_ = '\n';         // the last byte written ('\n' before the first)
    const char* copy_begin_ = nullptr;
    const char* copy_end_ = nullptr;

    char record_[data_columns];
    std::size_t record_size_ = 0;
    bool head_done_ = false;
    std::string_view name_;
    std::string_view word_;
    char pending_[data_columns + 1];
    std::size_t pending_size_ = 0;
    bool has_pending_ = false;
};
