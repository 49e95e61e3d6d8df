#pragma once

#include <cstddef>
#include <string_view>

// Length of the valid UTF-8 sequence that starts at text[i], or 0 when the bytes there are not one
// (overlong forms, surrogates and code points beyond U+10FFFF are not). `code_point`, when given, receives
// the code point.
inline std::size_t ut_utf8_length(std::string_view text, std::size_t i, unsigned* code_point = nullptr) noexcept
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char b = byte(i);
    std::size_t n = 0;
    unsigned min = 0;
    unsigned code = 0;
    if (b < 0x80)
        n = 1, min = 0, code = b;
    else if (b >= 0xC2 && b <= 0xDF)
        n = 2, min = 0x80, code = b & 0x1Fu;
    else if (b >= 0xE0 && b <= 0xEF)
        n = 3, min = 0x800, code = b & 0x0Fu;
    else if (b >= 0xF0 && b <= 0xF4)
        n = 4, min = 0x10000, code = b & 0x07u;
    else
        return 0;
    if (i + n > text.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0u) != 0x80u)
            return 0;
        code = (code << 6) | (byte(i + k) & 0x3Fu);
    }
    if (code < min || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    if (code_point)
        *code_point = code;
    return n;
}
