#pragma once
// strtod as C99 and POSIX define it, in the classic locale ('.' is the decimal point)
// whatever locale the program has set: decimal and hexadecimal numbers, infinity and NaN.
// errno is ERANGE after an overflow (then the result is infinite) or an underflow. When the
// system cannot provide the classic locale, nothing is read (end is text).
double ClassicStrtod(const char* text, char** end);
