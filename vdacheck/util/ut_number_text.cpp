#include <vdacheck/util/ut_number_text.h>

#include <charconv>
#include <cmath>

std::string ut_number_text(double value)
{
    if (std::isnan(value))
        return "nan";
    if (std::isinf(value))
        return value > 0 ? "inf" : "-inf";
    char buffer[32];
    return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}
