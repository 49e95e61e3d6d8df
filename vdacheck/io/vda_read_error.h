#pragma once

#include <stdexcept>
#include <string>

#include <vdacheck/util/ut_export.h>

// A file that cannot be read as VDA-FS statements. what() is "source:line:column: message", or "source: message"
// when no position applies (line 0, e.g. a file that cannot be opened). The message names the statement (name
// and command word) and what was expected there.
class VDA_API vdaReadError : public std::runtime_error {
public:
    vdaReadError(std::string source, int line, int column, std::string message);

    const std::string& source() const noexcept { return source_; }
    int line() const noexcept { return line_; }
    int column() const noexcept { return column_; }
    // The message without the position.
    const std::string& message() const noexcept { return message_; }

private:
    std::string source_;
    int line_;
    int column_;
    std::string message_;
};
