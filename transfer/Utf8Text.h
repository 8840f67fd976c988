#pragma once
// Text from files, devices and command lines shown to a person or put into a report: any
// bytes may come, and a terminal or a JSON reader must get something it can show.

#include <cstddef>
#include <string>

// The text with control characters, the backslash, the characters of alsoEscaped and every
// byte that is not part of a UTF-8 character escaped (\n, \r, \t, \\, \xNN), so that it
// stays on one line and every byte of it can still be told.
std::string EscapedText(const std::string& text, const char* alsoEscaped = "");

// at, or the start of the character that at falls into, so that text cut there keeps
// whole characters.
std::size_t CharacterStart(const std::string& text, std::size_t at);
