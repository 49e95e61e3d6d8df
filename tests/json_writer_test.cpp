#include <bit>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include <vdacheck/util/ut_json_writer.h>

namespace {

struct QuoteCase {
    const char* what;
    std::string text;
    std::string quoted;
};

void PrintTo(const QuoteCase& c, std::ostream* out) { *out << c.what; }

class JsonQuote : public testing::TestWithParam<QuoteCase> {};

TEST_P(JsonQuote, EscapesAndRepairs) { EXPECT_EQ(utJsonWriter::quote(GetParam().text), GetParam().quoted); }

// Text outside a page (the tool's JSON report) keeps its '<' and is escaped otherwise alike.
TEST(JsonQuotePlain, KeepsTheLessThanSign)
{
    EXPECT_EQ(utJsonWriter::quote("<stdin>\t\x80", utJsonWriter::Style::line), "\"<stdin>\\t\xEF\xBF\xBD\"");
}

const std::string fffd = "\xEF\xBF\xBD";

INSTANTIATE_TEST_SUITE_P(
    Cases, JsonQuote,
    testing::Values(QuoteCase{"plain", "CONS B3", "\"CONS B3\""},
                    QuoteCase{"quote and backslash", "a\"b\\c", "\"a\\\"b\\\\c\""},
                    QuoteCase{"controls", std::string("\n\r\t\x01\x1F\x7F", 6), "\"\\n\\r\\t\\u0001\\u001f\\u007f\""},
                    QuoteCase{"NUL", std::string("a\0b", 3), "\"a\\u0000b\""},
                    QuoteCase{"no less-than sign to end a script element", "</script><!--",
                              "\"\\u003c/script>\\u003c!--\""},
                    QuoteCase{"valid UTF-8 of each length", "\xC3\x98 \xE2\x80\x94 \xF0\x9F\x94\xA7 \xF4\x8F\xBF\xBF",
                              "\"\xC3\x98 \xE2\x80\x94 \xF0\x9F\x94\xA7 \xF4\x8F\xBF\xBF\""},
                    QuoteCase{"Latin-1 byte", "r\xF8hre", "\"r" + fffd + "hre\""},
                    QuoteCase{"lone continuation byte", "\x80", "\"" + fffd + "\""},
                    QuoteCase{"overlong encoding", "\xC0\xAF", "\"" + fffd + fffd + "\""},
                    QuoteCase{"overlong three bytes", "\xE0\x80\xAF", "\"" + fffd + fffd + fffd + "\""},
                    QuoteCase{"surrogate", "\xED\xA0\x80", "\"" + fffd + fffd + fffd + "\""},
                    QuoteCase{"beyond U+10FFFF", "\xF4\x90\x80\x80", "\"" + fffd + fffd + fffd + fffd + "\""},
                    QuoteCase{"cut off at the end", "ab\xE2\x80", "\"ab" + fffd + fffd + "\""},
                    QuoteCase{"cut off before ASCII", "\xE2\x80z", "\"" + fffd + fffd + "z\""}),
    [](const testing::TestParamInfo<QuoteCase>& info) {
        std::string name = info.param.what;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(JsonNumber, FiniteDoublesReadBackToTheSameBits)
{
    for (const double value :
         {0.0, -0.0, 0.1, 0.1 + 0.2, 1.0 / 3.0, -2.5, 1e-300, 5e-324, 1e300, std::numeric_limits<double>::max(),
          std::numeric_limits<double>::min(), 123456789012345678.0, 1e21, 123456789.125}) {
        const std::string text = utJsonWriter::number_text(value);
        double back = 1.0;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), back);
        ASSERT_EQ(error, std::errc()) << text;
        EXPECT_EQ(end, text.data() + text.size()) << text;
        EXPECT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(value)) << text;
    }
}

TEST(JsonNumber, NonFiniteDoublesAreNamedStrings)
{
    EXPECT_EQ(utJsonWriter::number_text(std::nan("")), "\"NaN\"");
    EXPECT_EQ(utJsonWriter::number_text(HUGE_VAL), "\"Infinity\"");
    EXPECT_EQ(utJsonWriter::number_text(-HUGE_VAL), "\"-Infinity\"");
}

TEST(JsonWriter, SeparatesValuesKeysAndNestedContainers)
{
    std::ostringstream out;
    utJsonWriter json(out);
    json.begin_object()
        .key("a")
        .begin_array()
        .integer(-1)
        .number(0.5)
        .boolean(true)
        .null()
        .begin_array()
        .end_array()
        .end_array()
        .key("b")
        .begin_object()
        .end_object()
        .key("c")
        .string("x")
        .end_object();
    EXPECT_EQ(out.str(), R"({"a":[-1,0.5,true,null,[]],"b":{},"c":"x"})");
}

}  // namespace
