#pragma once

// Internal to the VDA-FS reader; not part of the library's interface.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <vdacheck/io/vda_diagnostics.h>

// Splits VDA-FS text into records and the records of a statement into its name, command word and
// parameters. Columns 1-72 of a record carry data, 73-80 the sequence field. A statement continues on the
// next record exactly when the last non-blank data character is a comma; comment and blank records may
// stand between its records. Every error names the statement being read (set_statement).
//
// A lexer reads the records from offset `begin` to the end of `text`; a chunk's lexer gets the text up to
// the chunk's end. Offsets are into the text, lines count from `begin` (its record is line 1).
class vdaLexer {
public:
    enum class Record { data, comment, blank };

    // Far longer than any VDA-FS record (80 columns): a record this long (its line end not counted) is an
    // error wherever it stands, comments and text after END included, and reading stops at once.
    static constexpr std::size_t longest_record = 1024;
    // The start of the first record from `from` (a record start) on that runs past longest_record bytes
    // (a last record without a line end counts once it does), or npos; `from` then moves to the start of
    // the last record, where a scan of the text grown further goes on. A record one byte too long may be
    // passed over (the lexer finds it); what matters is that none far longer is.
    static std::size_t find_overlong(std::string_view text, std::size_t& from) noexcept;
    struct Head {
        std::string_view name;
        std::string_view word;
        int word_column;
    };

    vdaLexer(std::string_view text, vdaDiagnostics& diagnostics, std::size_t begin = 0) noexcept
        : text_(text), diag_(diagnostics), next_(begin)
    {
    }

    // --- records
    // Moves to the next record; false at the end of the text.
    bool next_record() noexcept;
    int line() const noexcept { return line_; }
    std::size_t record_offset() const noexcept { return static_cast<std::size_t>(record_ - text_.data()); }
    // The first byte after the current record and its line end.
    std::size_t next_offset() const noexcept { return next_; }
    bool record_ends_with_crlf() const noexcept { return crlf_; }
    // Classifies a record outside the header text; a data or blank record must keep its data in columns
    // 1-72. Leaves the cursor on the first non-blank character.
    Record classify();
    // A header text record: columns 1-72 without trailing blanks (checked like a data record).
    std::string_view header_text();

    // --- statements (the current record is a data record)
    // Reads "name = WORD" and leaves the cursor after the command word.
    Head head();
    // Names the statement in every later error message: "CURVE 'CV12': ...".
    void set_statement(std::string_view word, std::string_view name);
    // Expects nothing but blanks after the command word (BEGINSET, ENDSET, END).
    void expect_no_parameters();
    // Expects the '/' that opens the parameter list.
    void expect_parameters();
    // Moves to the next parameter, across continuation records; false when the statement has ended.
    bool next_param()
    {
        // The common case: ", " and the next value on the same record.
        if (p_ + 2 < data_end_ && p_[0] == ',' && p_[1] == ' ' && p_[2] != ' ' && p_[2] != '\t' && p_[2] != ',' &&
            !first_param_) {
            p_ += 2;
            return true;
        }
        return next_param_slow();
    }
    // The parameter at the cursor; `what` names it in error messages ("order", "coefficient").
    double real(const char* what);
    std::int32_t integer(const char* what);
    std::string_view name(const char* what);
    // Appends up to n real parameters to `out`; returns how many there were before the statement ended.
    std::uint64_t reals(std::vector<double>& out, std::uint64_t n, const char* what);
    // Fails when the statement has more parameters.
    void expect_end();

    // Errors at the end of the last parameter read (a missing value) or at the cursor.
    [[noreturn]] void fail_after_last(const std::string& message) const;
    [[noreturn]] void fail_here(const std::string& message) const;
    [[noreturn]] void fail_at(int line, int column, const std::string& message) const;

private:
    struct Number {
        const char* begin;
        const char* end;
        bool point;
        const char* exponent_letter;  // null without an exponent
    };

    int column(const char* p) const noexcept { return static_cast<int>(p - record_) + 1; }
    void skip_blanks()
    {
        while (p_ < data_end_ && *p_ == ' ')
            ++p_;
        if (p_ < data_end_ && *p_ == '\t')
            skip_tabs();
    }
    void skip_tabs();
    void check_data_record() const;
    bool next_param_slow();
    void continue_statement();
    Number scan_number(const char* what, const char* kind);
    double to_double(const Number& number);
    void warn_no_point(const char* begin, const char* end);
    void check_name_style(std::string_view name, const char* at);
    std::string describe(const char* p) const;
    std::string hint(const char* p) const;
    std::string prefixed(const std::string& message) const;

    std::string_view text_;
    vdaDiagnostics& diag_;
    std::size_t next_ = 0;
    int line_ = 0;
    const char* record_ = nullptr;    // first byte of the current record
    const char* data_end_ = nullptr;  // end of columns 1-72
    const char* end_ = nullptr;       // end of the record, without its line end
    bool crlf_ = false;
    const char* p_ = nullptr;  // cursor
    int last_line_ = 0;        // where the last token read ends (line, column after it)
    int last_column_ = 0;
    const char* continued_at_ = nullptr;  // first token of the latest continuation record
    bool first_param_ = false;
    int tab_line_ = 0;
    std::string statement_;  // "CURVE 'CV12': "
};
