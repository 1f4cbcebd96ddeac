#include "decimal.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>

namespace {

bool IsSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

} // namespace

double LeadingDecimal(const char* text)
{
    while (IsSpace(*text))
        ++text;
    bool negative = false;
    if (*text == '-' || *text == '+')
        negative = *text++ == '-';
    if (*text == '-' || *text == '+')
        return 0;
    const char* const end = text + std::strlen(text);
    double value = 0;
    const bool hex = text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::from_chars_result result = hex
        ? std::from_chars(text + 2, end, value, std::chars_format::hex)
        : std::from_chars(text, end, value, std::chars_format::general);
    if (result.ec == std::errc::result_out_of_range) {
        const char* exponent = std::find_if(text, result.ptr, [hex](char c) {
            return hex ? c == 'p' || c == 'P' : c == 'e' || c == 'E';
        });
        value = exponent != result.ptr && exponent[1] == '-' ? 0.0 : HUGE_VAL;
    } else if (result.ec != std::errc()) {
        return 0; // also "0x" alone: the 0 before the x
    }
    return negative ? -value : value;
}
