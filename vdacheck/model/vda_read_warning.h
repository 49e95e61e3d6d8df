#pragma once

#include <string>

// The deviations from DIN 66301 that real writers produce and the reader tolerates. A file remembers the
// ones met while it was read; code tells them apart by kind, never by message text.
enum class vdaWarningKind : unsigned char {
    comment_before_header,
    indented_comment,
    blank_record,
    tab,
    nonstandard_name,
    integer_for_real,
    real_for_integer,
    lower_case_exponent,
    underflow,
    duplicate_name,
    nested_set,
    unclosed_set,
    end_name,
    missing_end,
    records_after_end,
    count_
};

// One tolerated deviation, where it was met. A reader lists a limited number per kind; one closing
// warning of the same kind (`summary`) then says how many more there were.
struct vdaReadWarning {
    vdaWarningKind kind;
    int line;
    int column;
    std::string message;
    bool summary = false;
};
