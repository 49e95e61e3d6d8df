#pragma once

#include <vdacheck/util/ut_export.h>

// The type descriptor of one entity class (vdaCons::id, ...). Descriptors are compared by identity;
// each names the class's VDA-FS command word and its base class's descriptor.
class VDA_API TypeInfo {
public:
    constexpr TypeInfo(const char* command_word, const TypeInfo* base) noexcept : word_(command_word), base_(base) {}
    TypeInfo(const TypeInfo&) = delete;
    TypeInfo& operator=(const TypeInfo&) = delete;

    // The command word of the entity's statement ("CURVE", "BEGINSET", ...); empty for the base class.
    const char* command_word() const noexcept { return word_; }
    const TypeInfo* base() const noexcept { return base_; }
    // True when this descriptor is `other` or derives from it.
    bool derives_from(const TypeInfo& other) const noexcept
    {
        for (const TypeInfo* t = this; t; t = t->base_)
            if (t == &other)
                return true;
        return false;
    }

private:
    const char* word_;
    const TypeInfo* base_;
};
