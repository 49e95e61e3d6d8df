#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string_view>

#include <vdacheck/util/ut_export.h>

// Mode argument of the literal constructor. The only mode is 0: the text has static storage and is
// neither copied nor counted.
enum utStringLit { ut_string_literal = 0 };

// Immutable, reference-counted byte string. Entity names, references and packet messages are utStrings.
// Copies share one heap block (the count is atomic, so strings may be handed between threads); literals
// made with the literal constructor share the program's own text and never allocate. Equality and
// hashing are byte by byte and case-sensitive.
class VDA_API utString {
public:
    constexpr utString() noexcept = default;
    utString(const char* text);       // copies
    utString(std::string_view text);  // copies
    // No copy, no allocation: `text` must outlive every copy of this string (a string literal does).
    constexpr utString(utStringLit, const char* text) noexcept : data_(text), size_(length_of(text)) {}

    utString(const utString& other) noexcept : data_(other.data_), size_(other.size_), rep_(other.rep_) { retain(); }
    utString(utString&& other) noexcept : data_(other.data_), size_(other.size_), rep_(other.rep_)
    {
        other.data_ = "";
        other.size_ = 0;
        other.rep_ = nullptr;
    }
    utString& operator=(const utString& other) noexcept;
    utString& operator=(utString&& other) noexcept;
    ~utString() { release(); }

    std::string_view view() const noexcept { return {data_, size_}; }
    const char* c_str() const noexcept { return data_; }  // always NUL-terminated
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    std::size_t hash() const noexcept { return hash_bytes(data_, size_); }

    friend bool operator==(const utString& a, const utString& b) noexcept
    {
        return a.data_ == b.data_ ? a.size_ == b.size_ : a.view() == b.view();
    }
    friend bool operator==(const utString& a, std::string_view b) noexcept { return a.view() == b; }
    friend bool operator==(const utString& a, const char* b) noexcept
    {
        return a.view() == std::string_view(b ? b : "");
    }
    friend auto operator<=>(const utString& a, const utString& b) noexcept { return a.view() <=> b.view(); }

    static std::size_t hash_bytes(const char* data, std::size_t size) noexcept;

private:
    struct Rep;
    static Rep* allocate(std::string_view text, const char*& data);
    static constexpr std::size_t length_of(const char* text) noexcept
    {
        std::size_t n = 0;
        while (text[n] != '\0')
            ++n;
        return n;
    }
    void retain() const noexcept;
    void release() noexcept;

    const char* data_ = "";
    std::size_t size_ = 0;
    Rep* rep_ = nullptr;  // null for literals and the empty string
};

// A utString holding the literal `text` without copying it. Every packet message is made this way.
inline utString ut_lit(const char* text) noexcept { return utString(ut_string_literal, text); }

template <>
struct std::hash<utString> {
    std::size_t operator()(const utString& s) const noexcept { return s.hash(); }
};
