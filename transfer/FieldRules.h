#pragma once
// How the text of one field of a configuration file row becomes a number. Both rules
// ignore the process locale: '.' is always the decimal point.

#include <string_view>

// Optional leading white space, an optional sign, then decimal digits up to the first
// other character; text without digits gives 0 (the atoi rule). Values beyond int are
// clamped to INT_MIN / INT_MAX instead of being undefined, so a huge number never
// passes a range test by wrapping around.
int IntegerRule(std::string_view text);

enum class RealRuleResult {
    Accepted,  // the whole text converted; the value is set
    NotNumber, // the conversion stopped before the end of the text
    NotFinite, // infinity, NaN, or a magnitude beyond single precision
};

// The strtod rule in the classic locale (leading white space, sign, fraction, exponent,
// hexadecimal form), accepted only when it uses up the whole text; an empty text gives 0.
// An accepted value is rounded to single precision; one that does not fit a finite float
// is refused, since a device alarm cannot trip at infinity or NaN.
RealRuleResult RealRule(std::string_view text, float& value);
