// The strict JSON reader: what it reads, and what it refuses with the line and column of the first wrong
// character.

#include <sstream>
#include <string>
#include <utility>

#include <gtest/gtest.h>

#include <vdacheck/util/ut_json_reader.h>
#include <vdacheck/util/ut_json_writer.h>

namespace {

std::string read_back(const std::string& text)
{
    std::ostringstream out;
    utJsonWriter json(out);
    utJsonReader::parse(text).write(json);  // compact: every type and every member in order
    return out.str();
}

TEST(JsonReader, ReadsEveryKindOfValue)
{
    const std::pair<std::string, std::string> cases[] = {
        {R"( {"a": [1, -0.5, 2e3, 1E-2, true, false, null], "b": {}, "c": []} )",
         R"({"a":[1,-0.5,2000,0.01,true,false,null],"b":{},"c":[]})"},
        {R"("tab\t, quote\", slash\/, \u00f8, \ud83d\udd27")",
         "\"tab\\t, quote\\\", slash/, \xC3\xB8, \xF0\x9F\x94\xA7\""},
        {"\xEF\xBB\xBF{\"x\": 0}\r\n", R"({"x":0})"},  // a byte order mark, CRLF
        {"5e-324", "5e-324"},
        {"-0", "-0"},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(read_back(text), expected) << text;

    const utJsonValue v = utJsonReader::parse("{\"rules\":\n  {\"x\": 1}}");
    const utJsonValue* rules = v.find("rules");
    ASSERT_TRUE(rules);
    EXPECT_EQ(rules->line(), 2);
    EXPECT_EQ(rules->column(), 3);
    EXPECT_EQ(v.find("nothing"), nullptr);
}

TEST(JsonReader, RefusesWhatIsNotStrictJsonWithItsPlace)
{
    using Kind = utJsonError::Kind;
    struct Case {
        std::string text;
        Kind kind;
        int line;
        int column;
        const char* reason;  // how the reason starts
    };
    const Case cases[] = {
        {"", Kind::syntax, 1, 1, "expected a value"},
        {"{\"a\": 1,}", Kind::syntax, 1, 9, "expected a key in double quotes"},
        {"[1, 2,]", Kind::syntax, 1, 7, "expected a value"},
        {"{\"a\" 1}", Kind::syntax, 1, 6, "expected ':' after the key"},
        {"{\"a\": 1} x", Kind::syntax, 1, 10, "nothing may follow the value"},
        {"// note\n{}", Kind::syntax, 1, 1, "expected a value"},
        {"{\"a\":\n 01}", Kind::syntax, 2, 2, "a number may not start with 0"},
        {"[.5]", Kind::syntax, 1, 2, "expected a value"},
        {"[1.]", Kind::syntax, 1, 2, "expected digits after the decimal point"},
        {"\"a\nb\"", Kind::syntax, 1, 3, "a control character"},
        {"\"\xC3\xB8\xFF\"", Kind::syntax, 1, 3, "a string holds byte 0xFF, which is not UTF-8"},
        {"\"\\ud800\"", Kind::syntax, 1, 8, "a high surrogate"},
        {"\"\\x\"", Kind::syntax, 1, 3, "unknown escape"},
        {"\"open", Kind::syntax, 1, 6, "a string is not closed"},
        {"tru", Kind::syntax, 1, 1, "expected a value"},
        {std::string(300, '['), Kind::syntax, 1, 257, "values nested more than 256 deep"},
        {"{\"a\": 1,\n \"b\": 2, \"a\": 3}", Kind::duplicate_key, 2, 10, "the key \"a\" is given twice"},
        {"{\"t\": -1e309}", Kind::number_range, 1, 7, "the number -1e309 of \"t\" is beyond the range"},
        {"[1e-400]", Kind::number_range, 1, 2, "the number 1e-400 is beyond the range"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 40));
        try {
            utJsonReader::parse(c.text);
            ADD_FAILURE() << "accepted";
        } catch (const utJsonError& e) {
            EXPECT_EQ(e.kind(), c.kind);
            EXPECT_EQ(e.line(), c.line);
            EXPECT_EQ(e.column(), c.column);
            EXPECT_EQ(e.reason().rfind(c.reason, 0), 0u) << e.reason();
        }
    }
}

}  // namespace
