#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include <vdacheck/report/vdc_report_export.h>

// Writes JSON text to a stream, putting the commas and colons between the values. The text is safe inside
// an HTML <script> element: strings never hold a '<', so nothing in the data can end the element.
class VDC_REPORT_API vdcJsonWriter {
public:
    explicit vdcJsonWriter(std::ostream& out) : out_(out) {}

    vdcJsonWriter& begin_object();
    vdcJsonWriter& end_object();
    vdcJsonWriter& begin_array();
    vdcJsonWriter& end_array();
    vdcJsonWriter& key(std::string_view name);

    vdcJsonWriter& string(std::string_view text);
    vdcJsonWriter& number(double value);
    vdcJsonWriter& integer(std::int64_t value);
    vdcJsonWriter& boolean(bool value);
    vdcJsonWriter& null();

    // `text` as a JSON string: quotes, backslashes and control characters escaped, and every byte that is
    // not part of valid UTF-8 replaced by U+FFFD. '<' is escaped too unless the text is not for a page.
    enum class Target { page, plain };
    static std::string quote(std::string_view text, Target target = Target::page);
    // The shortest text that reads back to the same double. JSON has no NaN or infinities: those become
    // the strings "NaN", "Infinity" and "-Infinity".
    static std::string number_text(double value);

private:
    void separate();  // the comma before a value, unless it follows a key or opens its container

    std::ostream& out_;
    std::vector<bool> first_;  // per open container: nothing written into it yet
    bool after_key_ = false;
};
