#include <vdacheck/util/ut_json_reader.h>

#include <charconv>
#include <set>
#include <utility>
#include <vector>

#include <vdacheck/util/ut_utf8.h>

utJsonError::utJsonError(Kind kind, int line, int column, const std::string& reason)
    : std::runtime_error("line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + reason),
      kind_(kind), line_(line), column_(column), reason_(reason)
{
}

namespace {

// A character as a message shows it: printable ASCII quoted, anything else by its code.
std::string shown(std::string_view text, std::size_t at)
{
    if (at >= text.size())
        return "the end of the text";
    const auto c = static_cast<unsigned char>(text[at]);
    if (c >= 0x20 && c < 0x7F)
        return std::string("'") + static_cast<char>(c) + "'";
    static constexpr char hex[] = "0123456789ABCDEF";
    return std::string("byte 0x") + hex[c >> 4] + hex[c & 0x0Fu];
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text)
    {
        if (text_.starts_with("\xEF\xBB\xBF"))
            at_ = 3;
    }

    utJsonValue document()
    {
        blanks();
        utJsonValue value = this->value(0);
        blanks();
        if (at_ < text_.size())
            fail("nothing may follow the value, found " + shown(text_, at_));
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& reason, utJsonError::Kind kind = utJsonError::Kind::syntax) const
    {
        throw utJsonError(kind, line_, column_, reason);
    }

    // Moves past `n` bytes of one line, counting characters (a UTF-8 continuation byte is no new column).
    void advance(std::size_t n)
    {
        for (const std::size_t end = at_ + n; at_ < end; ++at_)
            if ((static_cast<unsigned char>(text_[at_]) & 0xC0u) != 0x80u)
                ++column_;
    }

    void blanks()
    {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c == '\n') {
                ++at_;
                ++line_;
                column_ = 1;
            } else if (c == ' ' || c == '\t' || c == '\r') {
                advance(1);
            } else {
                break;
            }
        }
    }

    bool next_is(char c) const { return at_ < text_.size() && text_[at_] == c; }

    void expect(char c, const char* what)
    {
        if (!next_is(c))
            fail(std::string("expected ") + what + ", found " + shown(text_, at_));
        advance(1);
    }

    // A value; `key` is the key it is the member of, if any, for messages.
    utJsonValue value(int depth, std::string_view key = {})
    {
        const int line = line_;
        const int column = column_;
        if (at_ >= text_.size())
            fail("expected a value, found the end of the text");
        switch (text_[at_]) {
        case '{':
            return object(depth + 1);
        case '[':
            return array(depth + 1);
        case '"':
            return utJsonValue::of_string(string(), line, column);
        case 't':
            word("true");
            return utJsonValue::of_boolean(true, line, column);
        case 'f':
            word("false");
            return utJsonValue::of_boolean(false, line, column);
        case 'n':
            word("null");
            return utJsonValue::of_null(line, column);
        default:
            return utJsonValue::of_number(number(key), line, column);
        }
    }

    void word(std::string_view w)
    {
        if (text_.substr(at_, w.size()) != w)
            fail("expected a value, found " + shown(text_, at_));
        advance(w.size());
    }

    void deeper(int depth) const
    {
        if (depth > utJsonReader::max_depth)
            fail("values nested more than " + std::to_string(utJsonReader::max_depth) + " deep");
    }

    utJsonValue object(int depth)
    {
        deeper(depth);
        const int line = line_;
        const int column = column_;
        advance(1);
        std::vector<utJsonValue::Member> members;
        std::set<std::string, std::less<>> keys;
        blanks();
        if (next_is('}')) {
            advance(1);
            return utJsonValue::of_object(std::move(members), line, column);
        }
        for (;;) {
            blanks();
            if (!next_is('"'))
                fail("expected a key in double quotes, found " + shown(text_, at_));
            const int key_line = line_;
            const int key_column = column_;
            std::string key = string();
            if (!keys.insert(key).second)
                throw utJsonError(utJsonError::Kind::duplicate_key, key_line, key_column,
                                  "the key \"" + key + "\" is given twice in one object");
            blanks();
            expect(':', "':' after the key");
            blanks();
            utJsonValue member = value(depth, key);
            members.emplace_back(std::move(key), std::move(member));
            blanks();
            if (next_is('}')) {
                advance(1);
                return utJsonValue::of_object(std::move(members), line, column);
            }
            expect(',', "',' or '}' in an object");
        }
    }

    utJsonValue array(int depth)
    {
        deeper(depth);
        const int line = line_;
        const int column = column_;
        advance(1);
        std::vector<utJsonValue> items;
        blanks();
        if (next_is(']')) {
            advance(1);
            return utJsonValue::of_array(std::move(items), line, column);
        }
        for (;;) {
            blanks();
            items.push_back(value(depth));
            blanks();
            if (next_is(']')) {
                advance(1);
                return utJsonValue::of_array(std::move(items), line, column);
            }
            expect(',', "',' or ']' in an array");
        }
    }

    unsigned hex4()
    {
        unsigned code = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = at_ < text_.size() ? text_[at_] : '\0';
            unsigned digit = 0;
            if (c >= '0' && c <= '9')
                digit = static_cast<unsigned>(c - '0');
            else if (c >= 'a' && c <= 'f')
                digit = static_cast<unsigned>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                digit = static_cast<unsigned>(c - 'A' + 10);
            else
                fail("expected four hexadecimal digits after \\u, found " + shown(text_, at_));
            code = code * 16 + digit;
            advance(1);
        }
        return code;
    }

    static void append_utf8(std::string& s, unsigned code)
    {
        if (code < 0x80) {
            s += static_cast<char>(code);
        } else if (code < 0x800) {
            s += static_cast<char>(0xC0 | (code >> 6));
            s += static_cast<char>(0x80 | (code & 0x3F));
        } else if (code < 0x10000) {
            s += static_cast<char>(0xE0 | (code >> 12));
            s += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            s += static_cast<char>(0xF0 | (code >> 18));
            s += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
            s += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
            s += static_cast<char>(0x80 | (code & 0x3F));
        }
    }

    // The escaped character after a backslash.
    void escape(std::string& s)
    {
        const char c = at_ < text_.size() ? text_[at_] : '\0';
        const std::string_view plain = "\"\\/bfnrt";
        const std::string_view meant = "\"\\/\b\f\n\r\t";
        if (const std::size_t k = plain.find(c); c != '\0' && k != std::string_view::npos) {
            s += meant[k];
            advance(1);
            return;
        }
        if (c != 'u')
            fail("unknown escape \\" + std::string(1, c) + " in a string");
        advance(1);
        unsigned code = hex4();
        if (code >= 0xDC00 && code <= 0xDFFF)
            fail("a low surrogate \\u escape without the high one before it");
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (text_.substr(at_, 2) != "\\u")
                fail("a high surrogate \\u escape without the low one after it");
            advance(2);
            const unsigned low = hex4();
            if (low < 0xDC00 || low > 0xDFFF)
                fail("a high surrogate \\u escape without the low one after it");
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
        }
        append_utf8(s, code);
    }

    std::string string()
    {
        advance(1);
        std::string s;
        for (;;) {
            if (at_ >= text_.size())
                fail("a string is not closed");
            const auto c = static_cast<unsigned char>(text_[at_]);
            if (c == '"') {
                advance(1);
                return s;
            }
            if (c == '\\') {
                advance(1);
                escape(s);
            } else if (c < 0x20) {
                fail("a control character (" + shown(text_, at_) + ") in a string; write it as an escape");
            } else {
                const std::size_t n = ut_utf8_length(text_, at_);
                if (n == 0)
                    fail("a string holds " + shown(text_, at_) + ", which is not UTF-8");
                s.append(text_.substr(at_, n));
                advance(n);
            }
        }
    }

    double number(std::string_view key)
    {
        const std::size_t start = at_;
        const auto digits = [&] {
            std::size_t n = 0;
            while (at_ + n < text_.size() && text_[at_ + n] >= '0' && text_[at_ + n] <= '9')
                ++n;
            return n;
        };
        std::size_t end = at_;
        const auto take = [&](std::size_t n) { at_ += n, end = at_; };
        if (next_is('-'))
            take(1);
        const std::size_t whole = digits();
        if (whole == 0)
            fail("expected a value, found " + shown(text_, at_));
        if (whole > 1 && text_[at_] == '0')
            fail("a number may not start with 0 before more digits");
        take(whole);
        if (next_is('.')) {
            take(1);
            const std::size_t fraction = digits();
            if (fraction == 0)
                fail("expected digits after the decimal point");
            take(fraction);
        }
        if (next_is('e') || next_is('E')) {
            take(1);
            if (next_is('+') || next_is('-'))
                take(1);
            const std::size_t exponent = digits();
            if (exponent == 0)
                fail("expected digits in the exponent");
            take(exponent);
        }
        // Back to the start for the position of an error about the whole number; then past it.
        const std::string_view written = text_.substr(start, end - start);
        at_ = start;
        double value = 0.0;
        const auto [stop, error] = std::from_chars(written.data(), written.data() + written.size(), value);
        if (error == std::errc::result_out_of_range)
            fail("the number " + std::string(written) + (key.empty() ? "" : " of \"" + std::string(key) + '"') +
                     " is beyond the range of a double",
                 utJsonError::Kind::number_range);
        if (error != std::errc() || stop != written.data() + written.size())
            fail("cannot read the number " + std::string(written));
        advance(written.size());
        return value;
    }

    std::string_view text_;
    std::size_t at_ = 0;
    int line_ = 1;
    int column_ = 1;
};

}  // namespace

utJsonValue utJsonReader::parse(std::string_view text) { return Parser(text).document(); }
