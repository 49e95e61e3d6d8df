#include <vdacheck/util/ut_json_value.h>

#include <vdacheck/util/ut_json_writer.h>

utJsonValue utJsonValue::of_boolean(bool value, int line, int column)
{
    utJsonValue v(Type::boolean, line, column);
    v.boolean_ = value;
    return v;
}

utJsonValue utJsonValue::of_number(double value, int line, int column)
{
    utJsonValue v(Type::number, line, column);
    v.number_ = value;
    return v;
}

utJsonValue utJsonValue::of_string(std::string value, int line, int column)
{
    utJsonValue v(Type::string, line, column);
    v.string_ = std::move(value);
    return v;
}

utJsonValue utJsonValue::of_array(std::vector<utJsonValue> items, int line, int column)
{
    utJsonValue v(Type::array, line, column);
    v.items_ = std::move(items);
    return v;
}

utJsonValue utJsonValue::of_object(std::vector<Member> members, int line, int column)
{
    utJsonValue v(Type::object, line, column);
    v.members_ = std::move(members);
    return v;
}

const utJsonValue* utJsonValue::find(std::string_view key) const noexcept
{
    for (const Member& m : members_)
        if (m.first == key)
            return &m.second;
    return nullptr;
}

void utJsonValue::write(utJsonWriter& json) const
{
    switch (type_) {
    case Type::null:
        json.null();
        break;
    case Type::boolean:
        json.boolean(boolean_);
        break;
    case Type::number:
        json.number(number_);
        break;
    case Type::string:
        json.string(string_);
        break;
    case Type::array:
        json.begin_array();
        for (const utJsonValue& item : items_)
            item.write(json);
        json.end_array();
        break;
    case Type::object:
        json.begin_object();
        for (const auto& [key, member] : members_)
            member.write(json.key(key));
        json.end_object();
        break;
    }
}
