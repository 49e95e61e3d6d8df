#pragma once

#include <string>
#include <string_view>

#include <vdacheck/util/ut_export.h>

// `text` made safe to show on a terminal: every byte that could move the cursor, change colours or start an
// escape sequence is written as \xNN (ESC as \x1b, a line feed as \x0a): the C0 controls, DEL, the C1
// controls (U+0080 to U+009F) and every byte that is not part of valid UTF-8. Everything else, printable
// UTF-8 included, stays as it is. File names, messages quoting the model and paths pass through it before
// they reach a terminal; JSON and SARIF escape in their own way.
VDA_API std::string ut_terminal_text(std::string_view text);
