// Reading numbers out of text the way atof does, whatever the locale.
#pragma once

// The leading decimal number of text, as atof reads it: white space
// skipped, an optional sign, then as much of a number as there is (a
// fraction, an exponent, hexadecimal after 0x, inf, nan); 0 when there is
// none. Beyond a double's range it is infinity, or 0 for a negative
// exponent. The decimal point is always '.': a host's locale must not
// change what a receiver or a user meant. Never allocates.
double LeadingDecimal(const char* text);
