#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include <vdacheck/util/ut_export.h>

// Writes JSON text to a stream, putting the commas and colons between the values. Every JSON text of
// vdacheck is written through it: reports, logs, summaries and the report page's data.
//
// Two styles: `page` is compact and safe inside an HTML <script> element (strings never hold a '<', so
// nothing in the data can end the element); `line` puts a blank after each comma and colon and leaves '<'
// as it is, for reports a person may read, one object per line.
//
// Values written at the top level are separated as in an array, so that a writer can make a run of values
// that another writer inserts into an array of its own (raw()).
class VDA_API utJsonWriter {
public:
    enum class Style { page, line };

    explicit utJsonWriter(std::ostream& out, Style style = Style::page) : out_(out), style_(style) {}

    utJsonWriter& begin_object();
    utJsonWriter& end_object();
    utJsonWriter& begin_array();
    utJsonWriter& end_array();
    utJsonWriter& key(std::string_view name);

    utJsonWriter& string(std::string_view text);
    utJsonWriter& number(double value);
    utJsonWriter& integer(std::int64_t value);
    utJsonWriter& boolean(bool value);
    utJsonWriter& null();
    // A string, or null when `text` is empty.
    utJsonWriter& string_or_null(std::string_view text);
    // JSON text that a writer of the same style made: one value, or after begin_array() a run of values
    // separated by commas. Empty text writes nothing.
    utJsonWriter& raw(std::string_view json);

    // `text` as a JSON string: quotes, backslashes and control characters escaped, and every byte that is
    // not part of valid UTF-8 replaced by U+FFFD. '<' is escaped too in the page style.
    static std::string quote(std::string_view text, Style style = Style::page);
    // The shortest text that reads back to the same double. JSON has no NaN or infinities: those become
    // the strings "NaN", "Infinity" and "-Infinity".
    static std::string number_text(double value);

private:
    void separate();  // the comma before a value, unless it follows a key or opens its container

    std::ostream& out_;
    Style style_;
    std::vector<bool> first_ = {true};  // per open container, the top level first: nothing written into it yet
    bool after_key_ = false;
};
