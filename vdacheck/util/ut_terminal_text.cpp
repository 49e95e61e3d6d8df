#include <vdacheck/util/ut_terminal_text.h>

#include <vdacheck/util/ut_utf8.h>

namespace {

void escape(std::string& out, unsigned char byte)
{
    constexpr char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0xF];
}

}  // namespace

std::string ut_terminal_text(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 0x20 && byte < 0x7F) {
            out += text[i++];
            continue;
        }
        unsigned code = 0;
        const std::size_t n = byte < 0x80 ? 0 : ut_utf8_length(text, i, &code);
        if (n == 0 || code < 0xA0) {
            for (std::size_t k = 0; k < (n == 0 ? 1 : n); ++k)
                escape(out, static_cast<unsigned char>(text[i + k]));
            i += n == 0 ? 1 : n;
            continue;
        }
        out.append(text, i, n);
        i += n;
    }
    return out;
}
