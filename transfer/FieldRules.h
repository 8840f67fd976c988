#pragma once
// How the text of one field of a configuration file row becomes a number. Both rules
// ignore the process locale: '.' is always the decimal point.

#include <string_view>

// Optional leading white space, an optional sign, then decimal digits up to the first
// other character; text without digits gives 0 (the atoi rule). Values beyond int are
// clamped to INT_MIN / INT_MAX instead of being undefined, so a huge number never
// passes a range test by wrapping around.
int IntegerRule(std::string_view text);
// True when the integer rule uses up the whole text and finds digits in it, so that the
// value it gives is all the text says.
bool IsPlainInteger(std::string_view text);

enum class RealRuleResult {
    Accepted,  // the whole text converted to a finite float; the value is set
    NotNumber, // the conversion stopped before the end of the text
    NotFinite, // the whole text spells infinity or NaN; the value is set to it, sign kept
    TooLarge,  // a number whose magnitude is beyond single precision
};

// The strtod rule in the classic locale without its hexadecimal form (leading white space,
// sign, decimal digits, fraction, exponent, infinity and NaN), using up the whole text; an
// empty text gives 0. A
// number is rounded to single precision; one that would round to infinity has no float to
// stand for it.
// Infinity and NaN are told apart from finite values, since only an alarm that never trips
// may hold them.
RealRuleResult RealRule(std::string_view text, float& value);
