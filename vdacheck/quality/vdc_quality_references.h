#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include <vdacheck/model/vda_object_ptr.h>
#include <vdacheck/util/ut_string.h>

// The pieces of a message one after the other.
inline std::string vdc_join(std::initializer_list<std::string_view> parts)
{
    std::string text;
    for (std::string_view part : parts)
        text.append(part);
    return text;
}

// The entity a reference of the measured entity names, as a T; or null, with `why` saying what is wrong
// in the words of a skip reason ("surface S1 is missing", "curve C1 is not a CURVE").
template <class T>
const T* vdc_referenced(const vdaObjectPtr& reference, const utString& name, const char* role, std::string& why)
{
    if (!reference) {
        why = name.empty() ? vdc_join({role, " is missing"}) : vdc_join({role, " ", name.view(), " is missing"});
        return nullptr;
    }
    if (!reference->is_type(T::id)) {
        why = vdc_join({role, " ", name.view(), " is not a ", T::id.command_word()});
        return nullptr;
    }
    return static_cast<const T*>(reference());
}

// The skip reason of a referenced entity that cannot be evaluated.
inline std::string vdc_not_evaluable(const char* role, const utString& name, const char* why)
{
    return vdc_join({role, " ", name.view(), " cannot be evaluated: ", why});
}

// The evaluator (Eval, made by Eval::make) of the T a reference names; empty, with `why`, when the entity
// is missing, of another type or cannot be evaluated.
template <class T, class Eval>
std::optional<Eval> vdc_evaluator_of(const vdaObjectPtr& reference, const utString& name, const char* role,
                                     std::string& why)
{
    const T* entity = vdc_referenced<T>(reference, name, role, why);
    if (!entity)
        return std::nullopt;
    auto made = Eval::make(*entity);
    if (!made) {
        why = vdc_not_evaluable(role, entity->name(), made.why_not());
        return std::nullopt;
    }
    return *made;
}
