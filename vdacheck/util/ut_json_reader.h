#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include <vdacheck/util/ut_export.h>
#include <vdacheck/util/ut_json_value.h>

// A JSON text that the reader refuses, and where: line and column (from 1, in characters) of the first
// character that is wrong.
class VDA_API utJsonError : public std::runtime_error {
public:
    enum class Kind {
        syntax,         // not JSON: the reason says what was expected
        duplicate_key,  // an object gives a key twice
        number_range,   // a number beyond the range of a double
    };
    utJsonError(Kind kind, int line, int column, const std::string& reason);

    Kind kind() const noexcept { return kind_; }
    int line() const noexcept { return line_; }
    int column() const noexcept { return column_; }
    const std::string& reason() const noexcept { return reason_; }  // what() is "line L, column C: reason"

private:
    Kind kind_;
    int line_;
    int column_;
    std::string reason_;
};

// Reads JSON text strictly (RFC 8259): no comments, no trailing commas, strings of valid UTF-8 without raw
// control characters. Beyond the grammar it refuses an object that gives a key twice (where a lenient
// reader would let the last one win unnoticed) and a number too large or too small for a double (rather
// than reading it as an infinity or 0). Nesting is limited, so that no input exhausts the stack. A
// UTF-8 byte order mark before the text is skipped.
class VDA_API utJsonReader {
public:
    static constexpr int max_depth = 256;

    // Throws utJsonError.
    static utJsonValue parse(std::string_view text);
};
