#include "transfer/Utf8Text.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned char DELETE_CHARACTER = 0x7f;
constexpr unsigned char FIRST_NON_ASCII = 0x80;
constexpr unsigned char CONTINUATION_MASK = 0xC0;
constexpr unsigned char CONTINUATION_BITS = 0x80;
constexpr unsigned char CONTINUATION_LOW = 0x80;
constexpr unsigned char CONTINUATION_HIGH = 0xBF;
constexpr std::size_t LONGEST_CHARACTER = 4;

unsigned char ByteAt(const std::string& text, std::size_t at) {
    return static_cast<unsigned char>(text[at]);
}

bool IsContinuation(unsigned char byte) {
    return (byte & CONTINUATION_MASK) == CONTINUATION_BITS;
}

// The bytes of the UTF-8 character at at, or 0 when none starts there. The second byte's
// range excludes overlong forms, surrogates and code points beyond U+10FFFF.
std::size_t CharacterLength(const std::string& text, std::size_t at) {
    const unsigned char lead = ByteAt(text, at);
    if (lead < FIRST_NON_ASCII)
        return 1;
    std::size_t length = 0;
    unsigned char low = CONTINUATION_LOW;
    unsigned char high = CONTINUATION_HIGH;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : low;
        high = lead == 0xED ? 0x9F : high;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = LONGEST_CHARACTER;
        low = lead == 0xF0 ? 0x90 : low;
        high = lead == 0xF4 ? 0x8F : high;
    } else {
        return 0;
    }
    if (text.size() - at < length)
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char byte = ByteAt(text, at + i);
        if (byte < (i == 1 ? low : CONTINUATION_LOW) || byte > (i == 1 ? high : CONTINUATION_HIGH))
            return 0;
    }
    return length;
}

std::string ByteEscape(unsigned char byte) {
    char escaped[sizeof "\\x00"];
    std::snprintf(escaped, sizeof escaped, "\\x%02x", byte);
    return escaped;
}

} // namespace

std::string EscapedText(const std::string& text, const char* alsoEscaped) {
    std::string shown;
    for (std::size_t at = 0; at < text.size();) {
        const char c = text[at];
        const unsigned char byte = ByteAt(text, at);
        const std::size_t length = CharacterLength(text, at);
        if (length > 1) {
            shown.append(text, at, length);
            at += length;
            continue;
        }
        ++at;
        if (c == '\n')
            shown += "\\n";
        else if (c == '\r')
            shown += "\\r";
        else if (c == '\t')
            shown += "\\t";
        else if (c == '\\' || (c != '\0' && std::strchr(alsoEscaped, c) != nullptr))
            shown += std::string("\\") + c;
        else if (length == 0 || byte < ' ' || byte == DELETE_CHARACTER)
            shown += ByteEscape(byte);
        else
            shown += c;
    }
    return shown;
}

std::size_t CharacterStart(const std::string& text, std::size_t at) {
    for (std::size_t back = 1;
         back < LONGEST_CHARACTER && at > 0 && at < text.size() && IsContinuation(ByteAt(text, at));
         ++back)
        --at;
    return at;
}
