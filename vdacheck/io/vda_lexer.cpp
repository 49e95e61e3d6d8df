#include <vdacheck/io/vda_lexer.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

constexpr std::size_t data_columns = 72;
constexpr std::size_t record_columns = 80;
constexpr std::int64_t integer_limit = 2147483648;  // |INTEGER| < 2^31

enum CharClass : unsigned char {
    digit = 1,
    name_start = 2,  // A-Z a-z _
    name_char = 4,   // A-Z a-z 0-9 _
    delimiter = 8,   // ends a token: blank, TAB and the separators
};

constexpr std::array<unsigned char, 256> make_classes()
{
    std::array<unsigned char, 256> c{};
    for (int ch = '0'; ch <= '9'; ++ch)
        c[static_cast<std::size_t>(ch)] = digit | name_char;
    for (int ch = 'A'; ch <= 'Z'; ++ch) {
        c[static_cast<std::size_t>(ch)] = name_start | name_char;
        c[static_cast<std::size_t>(ch - 'A' + 'a')] = name_start | name_char;
    }
    c['_'] = name_start | name_char;
    for (char ch : {' ', '\t', ',', '/', '='})
        c[static_cast<unsigned char>(ch)] = delimiter;
    return c;
}
constexpr std::array<unsigned char, 256> classes = make_classes();

bool is(char ch, unsigned char cls) noexcept { return (classes[static_cast<unsigned char>(ch)] & cls) != 0; }
bool is_digit(char ch) noexcept { return ch >= '0' && ch <= '9'; }
bool is_exponent_letter(char ch) noexcept { return ch == 'E' || ch == 'D' || ch == 'e' || ch == 'd'; }

bool standard_name(std::string_view name) noexcept
{
    if (name.empty() || name.size() > 8 || name[0] < 'A' || name[0] > 'Z')
        return false;
    return std::all_of(name.begin(), name.end(),
                       [](char ch) { return (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9'); });
}

// Whether an out-of-range number is too large (rather than too small) for a double: the decimal
// position of its first significant digit plus its exponent.
bool overflows(const char* begin, const char* end) noexcept
{
    const char* p = begin;
    if (*p == '+' || *p == '-')
        ++p;
    long position = 0;
    bool found = false;
    bool after_point = false;
    for (; p < end && !is_exponent_letter(*p); ++p) {
        if (*p == '.') {
            after_point = true;
            continue;
        }
        if (!found && *p != '0') {
            found = true;
            position = after_point ? position : 1;
        } else if (!found && after_point) {
            --position;  // a zero between the point and the first significant digit
        } else if (found && !after_point) {
            ++position;
        }
    }
    long exponent = 0;
    if (p < end) {
        ++p;
        const bool negative = *p == '-';
        if (*p == '+' || *p == '-')
            ++p;
        for (; p < end && exponent < 100000; ++p)
            exponent = exponent * 10 + (*p - '0');
        if (negative)
            exponent = -exponent;
    }
    return found && position + exponent > 0;
}

// The last '\n' in [p, p + n), or null.
const char* last_line_end(const char* p, std::size_t n) noexcept
{
#if defined(__GLIBC__)
    return static_cast<const char*>(memrchr(p, '\n', n));
#else
    for (const char* q = p + n; q > p;)
        if (*--q == '\n')
            return q;
    return nullptr;
#endif
}

}  // namespace

std::size_t vdaLexer::find_overlong(std::string_view text, std::size_t& from) noexcept
{
    // The last line end within the longest record, a CR and its LF: a jump of about a record's length
    // per look, whatever the records' length.
    constexpr std::size_t window = longest_record + 2;
    std::size_t p = from;
    while (text.size() - p >= window) {
        const char* eol = last_line_end(text.data() + p, window);
        if (!eol) {
            from = p;
            return p;
        }
        p = static_cast<std::size_t>(eol - text.data()) + 1;
    }
    from = p;
    return std::string_view::npos;
}

bool vdaLexer::next_record() noexcept
{
    if (next_ >= text_.size())
        return false;
    const char* begin = text_.data() + next_;
    const std::size_t rest = text_.size() - next_;
    const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', rest));
    const char* end = newline ? newline : begin + rest;
    next_ = newline ? static_cast<std::size_t>(newline - text_.data()) + 1 : text_.size();
    crlf_ = end > begin && end[-1] == '\r';
    if (crlf_)
        --end;
    record_ = begin;
    end_ = end;
    data_end_ = begin + std::min<std::size_t>(data_columns, static_cast<std::size_t>(end - begin));
    p_ = begin;
    ++line_;
    return true;
}

vdaLexer::Record vdaLexer::classify()
{
    p_ = record_;
    skip_blanks();
    if (p_ + 1 < data_end_ && p_[0] == '$' && p_[1] == '$') {
        if (static_cast<std::size_t>(end_ - record_) > longest_record)
            diag_.fail(line_, static_cast<int>(longest_record) + 1,
                       "the comment is longer than " + std::to_string(longest_record) +
                           " characters: this is not VDA-FS text");
        if (p_ != record_ && diag_.listed(vdaWarningKind::indented_comment))
            diag_.warn(vdaWarningKind::indented_comment, line_, column(p_),
                       "comment '$$' after leading blanks; comments start in column 1");
        return Record::comment;
    }
    check_data_record();
    if (p_ == data_end_) {
        if (diag_.listed(vdaWarningKind::blank_record))
            diag_.warn(vdaWarningKind::blank_record, line_, 1, "blank record ignored");
        return Record::blank;
    }
    return Record::data;
}

std::string_view vdaLexer::header_text()
{
    check_data_record();
    const char* end = data_end_;
    while (end > record_ && (end[-1] == ' ' || end[-1] == '\t'))
        --end;
    return {record_, static_cast<std::size_t>(end - record_)};
}

void vdaLexer::check_data_record() const
{
    if (static_cast<std::size_t>(end_ - record_) > record_columns)
        diag_.fail(line_, static_cast<int>(record_columns) + 1,
                   "data beyond column 72: the record is longer than 80 characters");
    for (const char* q = data_end_; q < end_; ++q)
        if (*q == ',' || *q == '/' || *q == '=')
            diag_.fail(line_, column(q),
                       std::string("data beyond column 72: '") + *q + "' in the sequence field (columns 73-80)");
}

// TAB counts as a blank, with one warning per record.
void vdaLexer::skip_tabs()
{
    if (tab_line_ != line_) {
        tab_line_ = line_;
        if (diag_.listed(vdaWarningKind::tab))
            diag_.warn(vdaWarningKind::tab, line_, column(p_), "TAB read as a blank");
    }
    while (p_ < data_end_ && (*p_ == ' ' || *p_ == '\t'))
        ++p_;
}

vdaLexer::Head vdaLexer::head()
{
    statement_.clear();
    const char* name = p_;
    while (p_ < data_end_ && is(*p_, name_char))
        ++p_;
    if (p_ == name || !is(*name, name_start))
        fail_at(line_, column(name), "expected the name of a statement, found " + describe(name));
    const std::string_view name_view(name, static_cast<std::size_t>(p_ - name));
    skip_blanks();
    if (p_ == data_end_ || *p_ != '=')
        fail_at(line_, column(p_),
                "expected '=' after the name '" + std::string(name_view) + "', found " + describe(p_));
    ++p_;
    skip_blanks();
    const char* word = p_;
    while (p_ < data_end_ && is(*p_, name_char))
        ++p_;
    if (p_ == word)
        fail_at(line_, column(word),
                "expected a command word after '" + std::string(name_view) + " =', found " + describe(word));
    check_name_style(name_view, name);
    return {name_view, std::string_view(word, static_cast<std::size_t>(p_ - word)), column(word)};
}

void vdaLexer::set_statement(std::string_view word, std::string_view name)
{
    statement_ = vdaDiagnostics::statement_prefix(word, name);
}

void vdaLexer::expect_no_parameters()
{
    skip_blanks();
    if (p_ != data_end_)
        fail_here("expected nothing after the command word, found " + describe(p_));
}

void vdaLexer::expect_parameters()
{
    skip_blanks();
    if (p_ == data_end_ || *p_ != '/')
        fail_here("expected '/' after the command word, found " + describe(p_));
    ++p_;
    last_line_ = line_;
    last_column_ = column(p_);
    first_param_ = true;
    continued_at_ = nullptr;
}

bool vdaLexer::next_param_slow()
{
    skip_blanks();
    if (first_param_) {
        first_param_ = false;
        return p_ != data_end_;
    }
    if (p_ == data_end_)
        return false;
    if (*p_ != ',')
        fail_here("expected ',' or the end of the record after a value, found " + describe(p_));
    ++p_;
    skip_blanks();
    if (p_ == data_end_)
        continue_statement();
    return true;
}

void vdaLexer::continue_statement()
{
    const int comma_line = line_;
    const int comma_column = column(p_);
    while (next_record()) {
        switch (classify()) {
        case Record::comment:
        case Record::blank:
            continue;
        case Record::data:
            continued_at_ = p_;
            return;
        }
    }
    fail_at(comma_line, comma_column, "the file ends inside the statement: expected a value after the last ','");
}

void vdaLexer::expect_end()
{
    if (next_param())
        fail_here("expected the end of the statement, found another value " + describe(p_) + hint(p_));
}

vdaLexer::Number vdaLexer::scan_number(const char* what, const char* kind)
{
    const char* begin = p_;
    const char* q = p_;
    const char* end = data_end_;
    if (q < end && (*q == '+' || *q == '-'))
        ++q;
    const char* digits = q;
    while (q < end && is_digit(*q))
        ++q;
    std::size_t count = static_cast<std::size_t>(q - digits);
    bool point = false;
    if (q < end && *q == '.') {
        point = true;
        const char* fraction = ++q;
        while (q < end && is_digit(*q))
            ++q;
        count += static_cast<std::size_t>(q - fraction);
    }
    const char* letter = nullptr;
    bool valid = count > 0;
    if (valid && q < end && is_exponent_letter(*q)) {
        letter = q;
        ++q;
        if (q < end && (*q == '+' || *q == '-'))
            ++q;
        const char* exponent_digits = q;
        while (q < end && is_digit(*q))
            ++q;
        valid = q != exponent_digits;
    }
    if (!valid || (q < end && !is(*q, delimiter)))
        fail_here(std::string("expected ") + kind + " for the " + what + ", found " + describe(begin) + hint(begin));
    p_ = q;
    last_line_ = line_;
    last_column_ = column(q);
    return {begin, q, point, letter};
}

double vdaLexer::to_double(const Number& number)
{
    const char* begin = number.begin[0] == '+' ? number.begin + 1 : number.begin;
    const char* end = number.end;
    char copy[data_columns + 1];
    if (number.exponent_letter) {
        const char* letter = number.exponent_letter;
        if (*letter == 'e' || *letter == 'd') {
            if (diag_.listed(vdaWarningKind::lower_case_exponent))
                diag_.warn(
                    vdaWarningKind::lower_case_exponent, line_, column(letter),
                    prefixed("lower-case exponent letter '" + std::string(1, *letter) + "'; VDA-FS writes E or D"));
        }
        if (*letter == 'D' || *letter == 'd') {  // from_chars knows only E
            const auto size = static_cast<std::size_t>(end - begin);
            std::memcpy(copy, begin, size);
            copy[letter - begin] = 'E';
            begin = copy;
            end = copy + size;
        }
    }
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(begin, end, value);
    if (ec == std::errc::result_out_of_range) {
        if (overflows(begin, end))
            fail_at(line_, column(number.begin),
                    "the number " + std::string(number.begin, number.end) + " is too large for a double");
        if (diag_.listed(vdaWarningKind::underflow))
            diag_.warn(vdaWarningKind::underflow, line_, column(number.begin),
                       prefixed("the number " + std::string(number.begin, number.end) +
                                " is too small for a double and is read as 0"));
        value = *begin == '-' ? -0.0 : 0.0;
    } else if (ec != std::errc() || ptr != end) {
        fail_at(line_, column(number.begin), "cannot read the number " + std::string(number.begin, number.end));
    }
    return value;
}

double vdaLexer::real(const char* what)
{
    // Common case first: from_chars reads the token and only the details are looked at afterwards. Anything
    // unusual (a D exponent, a malformed token, a value out of range) takes the careful path below.
    const char* begin = *p_ == '+' ? p_ + 1 : p_;
    const char* digits = *p_ == '-' ? p_ + 1 : begin;
    if (digits < data_end_ && (is_digit(*digits) || *digits == '.')) {
        double value;
        const auto [end, ec] = std::from_chars(begin, data_end_, value);
        if (ec == std::errc() && (end == data_end_ || is(*end, delimiter))) {
            const char* token = p_;
            p_ = end;
            last_line_ = line_;
            last_column_ = column(end);
            const char* point_at = digits;
            while (point_at < end && is_digit(*point_at))
                ++point_at;
            const bool point = point_at < end && *point_at == '.';
            const char* letter = end - 1;
            while (letter > digits && (is_digit(*letter) || *letter == '+' || *letter == '-'))
                --letter;
            if (*letter == 'e' && diag_.listed(vdaWarningKind::lower_case_exponent))
                diag_.warn(vdaWarningKind::lower_case_exponent, line_, column(letter),
                           prefixed("lower-case exponent letter 'e'; VDA-FS writes E or D"));
            if (!point)
                warn_no_point(token, end);
            return value;
        }
    }
    const Number number = scan_number(what, "a real number");
    if (!number.point)
        warn_no_point(number.begin, number.end);
    return to_double(number);
}

std::uint64_t vdaLexer::reals(std::vector<double>& out, std::uint64_t n, const char* what)
{
    for (std::uint64_t i = 0; i < n; ++i) {
        if (!next_param())
            return i;
        out.push_back(real(what));
    }
    return n;
}

void vdaLexer::warn_no_point(const char* begin, const char* end)
{
    if (diag_.listed(vdaWarningKind::integer_for_real))
        diag_.warn(
            vdaWarningKind::integer_for_real, line_, column(begin),
            prefixed("number " + std::string(begin, end) + " without a decimal point where a real number is expected"));
}

std::int32_t vdaLexer::integer(const char* what)
{
    const Number number = scan_number(what, "an integer");
    const auto text = [&number] { return std::string(number.begin, number.end); };
    if (number.point || number.exponent_letter) {
        const double value = to_double(number);
        if (value != std::trunc(value) || std::fabs(value) >= static_cast<double>(integer_limit))
            fail_at(line_, column(number.begin),
                    "expected an integer for the " + std::string(what) + ", found " + text());
        if (diag_.listed(vdaWarningKind::real_for_integer))
            diag_.warn(vdaWarningKind::real_for_integer, line_, column(number.begin),
                       prefixed("real " + text() + " where an integer is expected"));
        return static_cast<std::int32_t>(value);
    }
    const char* p = number.begin;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    std::int64_t value = 0;
    for (; p < number.end; ++p) {
        value = value * 10 + (*p - '0');
        if (value >= integer_limit)
            fail_at(line_, column(number.begin),
                    "the integer " + text() + " is out of range (its magnitude must be below 2^31)");
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::string_view vdaLexer::name(const char* what)
{
    const char* begin = p_;
    const char* q = p_;
    while (q < data_end_ && is(*q, name_char))
        ++q;
    if (q == begin || !is(*begin, name_start) || (q < data_end_ && !is(*q, delimiter)))
        fail_here(std::string("expected a name for the ") + what + ", found " + describe(begin) + hint(begin));
    p_ = q;
    last_line_ = line_;
    last_column_ = column(q);
    const std::string_view name(begin, static_cast<std::size_t>(q - begin));
    check_name_style(name, begin);
    return name;
}

void vdaLexer::check_name_style(std::string_view name, const char* at)
{
    if (!standard_name(name) && diag_.listed(vdaWarningKind::nonstandard_name))
        diag_.warn(vdaWarningKind::nonstandard_name, line_, column(at),
                   prefixed("non-standard name '" + std::string(name) +
                            "'; VDA-FS names have 1 to 8 characters A-Z, 0-9 and start with a letter"));
}

std::string vdaLexer::describe(const char* p) const
{
    if (p >= data_end_)
        return "the end of the record";
    if (is(*p, delimiter) && *p != ' ' && *p != '\t')
        return std::string("'") + *p + "'";
    const char* q = p;
    while (q < data_end_ && !is(*q, delimiter))
        ++q;
    std::string token(p, static_cast<std::size_t>(std::min<std::ptrdiff_t>(q - p, 24)));
    if (q - p > 24)
        token += "...";
    return "'" + token + "'";
}

std::string vdaLexer::hint(const char* p) const
{
    if (p != continued_at_)
        return {};
    return " (this record continues the statement because the record before it ends with ',')";
}

std::string vdaLexer::prefixed(const std::string& message) const { return statement_ + message; }

void vdaLexer::fail_after_last(const std::string& message) const { fail_at(last_line_, last_column_, message); }

void vdaLexer::fail_here(const std::string& message) const { fail_at(line_, column(p_), message); }

void vdaLexer::fail_at(int line, int column, const std::string& message) const
{
    diag_.fail(line, column, prefixed(message));
}
