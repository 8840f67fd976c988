#pragma once
// strtod in the classic locale ('.' is the decimal point) whatever locale the program has
// set: decimal numbers, infinity and NaN; hexadecimal ones only where the system reads them
// (the field rules refuse them before).
// errno is ERANGE after an overflow (then the result is infinite) or an underflow. When the
// system cannot provide the classic locale, nothing is read (end is text).
double ClassicStrtod(const char* text, char** end);
