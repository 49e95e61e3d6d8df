#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <vdacheck/util/ut_export.h>

class utJsonWriter;

// A JSON value as utJsonReader reads it, with the line and column (from 1, in characters) where it
// starts in the text, so that whoever interprets it can say where a value is wrong. An object keeps its
// members in the order written; the reader has made sure that no key is given twice.
class VDA_API utJsonValue {
public:
    enum class Type { null, boolean, number, string, array, object };
    using Member = std::pair<std::string, utJsonValue>;

    utJsonValue() = default;
    static utJsonValue of_null(int line, int column) { return utJsonValue(Type::null, line, column); }
    static utJsonValue of_boolean(bool value, int line, int column);
    static utJsonValue of_number(double value, int line, int column);
    static utJsonValue of_string(std::string value, int line, int column);
    static utJsonValue of_array(std::vector<utJsonValue> items, int line, int column);
    static utJsonValue of_object(std::vector<Member> members, int line, int column);

    Type type() const noexcept { return type_; }
    bool is_null() const noexcept { return type_ == Type::null; }
    bool is_boolean() const noexcept { return type_ == Type::boolean; }
    bool is_number() const noexcept { return type_ == Type::number; }
    bool is_string() const noexcept { return type_ == Type::string; }
    bool is_array() const noexcept { return type_ == Type::array; }
    bool is_object() const noexcept { return type_ == Type::object; }

    // The value of its type; false, 0, empty for a value of another type.
    bool boolean() const noexcept { return boolean_; }
    double number() const noexcept { return number_; }
    const std::string& string() const noexcept { return string_; }
    const std::vector<utJsonValue>& items() const noexcept { return items_; }
    const std::vector<Member>& members() const noexcept { return members_; }
    // The member of that key, or null when there is none (or this is not an object).
    const utJsonValue* find(std::string_view key) const noexcept;

    // Writes the value, members in their order.
    void write(utJsonWriter& json) const;

    int line() const noexcept { return line_; }
    int column() const noexcept { return column_; }

private:
    utJsonValue(Type type, int line, int column) noexcept : type_(type), line_(line), column_(column) {}

    Type type_ = Type::null;
    bool boolean_ = false;
    double number_ = 0.0;
    std::string string_;
    std::vector<utJsonValue> items_;
    std::vector<Member> members_;
    int line_ = 0;
    int column_ = 0;
};
