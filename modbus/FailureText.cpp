#include "modbus/FailureText.h"

#include "modbus/FunctionCodes.h"

namespace {

constexpr INT_PTR UNIT = 0;
constexpr INT_PTR FUNCTION = 1;
constexpr INT_PTR ADDRESS = 2;
constexpr INT_PTR QUANTITY = 4;
constexpr INT_PTR BYTE_COUNT = 2;
constexpr INT_PTR HEADER_BYTES = 6; // unit, function, address, quantity or value
constexpr int BITS_PER_BYTE = 8;

// The standard names of the exception codes.
const char* ExceptionName(int n) {
    switch (n) {
    case 1:
        return "illegal function";
    case 2:
        return "illegal data address";
    case 3:
        return "illegal data value";
    case 4:
        return "server device failure";
    case 5:
        return "acknowledge";
    case 6:
        return "server device busy";
    case 8:
        return "memory parity error";
    case 10:
        return "gateway path unavailable";
    case 11:
        return "gateway target device failed to respond";
    default:
        return "unknown";
    }
}

const char* FunctionName(int function) {
    switch (function) {
    case FN_READ_DISCRETE_INPUTS:
        return "read discrete inputs";
    case FN_READ_INPUT_REGISTERS:
        return "read input registers";
    case FN_WRITE_SINGLE_COIL:
        return "write single coil";
    case FN_WRITE_MULTIPLE_REGISTERS:
        return "write multiple registers";
    default:
        return "function";
    }
}

int WordAt(const CByteArray& bytes, INT_PTR at) {
    return at + 1 < bytes.GetSize() ? bytes[at] * 256 + bytes[at + 1] : 0;
}

int ByteAt(const CByteArray& bytes, INT_PTR at) {
    return at < bytes.GetSize() ? bytes[at] : 0;
}

// "X, Y expected"
std::string Mismatch(const char* what, int got, int expected) {
    return std::string(what) + ' ' + std::to_string(got) + ", " + std::to_string(expected) +
           " expected";
}

} // namespace

std::string DescribeRequest(const CByteArray& request) {
    const int function = ByteAt(request, FUNCTION);
    std::string text = FunctionName(function);
    if (function != FN_READ_DISCRETE_INPUTS && function != FN_READ_INPUT_REGISTERS &&
        function != FN_WRITE_SINGLE_COIL && function != FN_WRITE_MULTIPLE_REGISTERS)
        text += ' ' + std::to_string(function);
    text += ' ' + std::to_string(WordAt(request, ADDRESS));
    if (function != FN_WRITE_SINGLE_COIL)
        text += " x" + std::to_string(WordAt(request, QUANTITY));
    return text;
}

std::string WhyNotTheAnswer(const CByteArray& request, const CByteArray& response) {
    if (ByteAt(response, UNIT) != ByteAt(request, UNIT))
        return Mismatch("reply unit", ByteAt(response, UNIT), ByteAt(request, UNIT));
    const int function = ByteAt(request, FUNCTION);
    if (ByteAt(response, FUNCTION) != function)
        return Mismatch("reply function", ByteAt(response, FUNCTION), function);
    const int quantity = WordAt(request, QUANTITY);
    if (function == FN_READ_INPUT_REGISTERS)
        return Mismatch("byte count", ByteAt(response, BYTE_COUNT), 2 * quantity);
    if (function == FN_READ_DISCRETE_INPUTS)
        return Mismatch("byte count", ByteAt(response, BYTE_COUNT),
                        (quantity + BITS_PER_BYTE - 1) / BITS_PER_BYTE);
    for (INT_PTR i = ADDRESS; i < HEADER_BYTES; i += 2)
        if (WordAt(response, i) != WordAt(request, i))
            return Mismatch(i == ADDRESS ? "reply address" : "reply value", WordAt(response, i),
                            WordAt(request, i));
    return "the reply does not answer the request";
}

std::string DeviceExceptionText(int n) {
    return "device exception " + std::to_string(n) + " (" + ExceptionName(n) + ")";
}
