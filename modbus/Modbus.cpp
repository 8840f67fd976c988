#include "modbus/Modbus.h"

#include "modbus/FailureText.h"
#include "modbus/FunctionCodes.h"
#include "modbus/ModbusException.h"
#include "platform/Archive.h"

#include <cstring>
#include <stdexcept>

IMPLEMENT_DYNAMIC(CModbus, CObject)

namespace {

constexpr WORD READ_REQUEST_LENGTH = 6;   // unit, function, address, quantity
constexpr WORD READ_BYTE_COUNT_POS = 2;   // the number of data bytes that follow
constexpr WORD READ_DATA_OFFSET = 3;      // unit, function, byte count
constexpr WORD WRITE_RESPONSE_LENGTH = 6; // echo of unit, function, address, quantity/value
constexpr WORD WRITE_HEADER_LENGTH = 7;   // unit, function, address, quantity, byte count
constexpr INT_PTR BITS_PER_BYTE = 8;      // inputs, the first in the lowest bit
constexpr WORD FLOAT_REGISTERS = 4;
constexpr WORD WORDS_PER_FLOAT = 2;
constexpr WORD COIL_ON = 0xFF00;
constexpr WORD COIL_OFF = 0x0000;
constexpr INT_PTR MAX_FRAME_LENGTH = 0xFFFF; // lengths are 16-bit

void PutWord(CByteArray& bytes, INT_PTR at, WORD value) {
    bytes[at] = HIBYTE(value);
    bytes[at + 1] = LOBYTE(value);
}

CByteArray ReadRequest(BYTE function, WORD address, WORD quantity) {
    CByteArray request;
    request.SetSize(READ_REQUEST_LENGTH);
    request[0] = MODBUS_UNIT_ID;
    request[1] = function;
    PutWord(request, 2, address);
    PutWord(request, 4, quantity);
    return request;
}

// A read's response must name the unit and function of its request and announce exactly the
// data bytes asked for: a reply of another length is not the answer to this request.
bool AnswersRead(const CByteArray& request, const CByteArray& response, INT_PTR byteCount) {
    return response[0] == request[0] && response[1] == request[1] &&
           response[READ_BYTE_COUNT_POS] == byteCount;
}

// A write's response must repeat the first six bytes of its request.
bool EchoesWriteRequest(const CByteArray& request, const CByteArray& response) {
    for (INT_PTR i = 0; i < WRITE_RESPONSE_LENGTH; ++i) {
        if (response[i] != request[i])
            return false;
    }
    return true;
}

void RequireSize(INT_PTR size, INT_PTR needed, const char* operation) {
    if (size < needed)
        throw std::invalid_argument(std::string(operation) + ": value array too small");
}

// Frame lengths travel as 16 bits; a quantity whose frame would not fit must not wrap into a
// short, wrong frame.
WORD RequireFrameLength(INT_PTR length, const char* operation) {
    if (length > MAX_FRAME_LENGTH)
        throw std::invalid_argument(std::string(operation) + ": quantity too large");
    return static_cast<WORD>(length);
}

} // namespace

CModbus::CModbus() = default;
CModbus::~CModbus() = default;

BOOL CModbus::Connect(CString /*host*/, WORD /*port*/, DWORD /*timeoutMs*/,
                      const ConnectCancelled& /*cancelled*/) {
    return TRUE;
}

BOOL CModbus::Disconnect() {
    return TRUE;
}

// Attempts the exchange up to m_wRetries times (at least once) while the transport finds a
// repeat worthwhile; accept() checks a response and unpacks it in the same attempt.
template <class Accept>
WORD CModbus::Transact(const CByteArray& request, WORD responseLength, Accept accept) {
    CByteArray response;
    response.SetSize(responseLength);
    WORD code = MODBUS_OK;
    WORD attempts = 0;
    do {
        m_strExchangeFailure.clear();
        m_replyNoted = false;
        const auto start =
            m_observer ? std::chrono::steady_clock::now() : std::chrono::steady_clock::time_point{};
        code = TxRx(request, static_cast<WORD>(request.GetSize()), response, responseLength);
        if (code == MODBUS_TIMEOUT)
            NoteTimedOut();
        if (code == MODBUS_OK && !accept(response)) {
            code = MODBUS_BAD_RESPONSE;
            m_strExchangeFailure = WhyNotTheAnswer(request, response);
        }
        if (m_observer)
            Observe(start, request, response, code);
        ++attempts;
    } while (code != MODBUS_OK && attempts < m_wRetries && PrepareRetry(code));

    if (code == MODBUS_OK)
        return code;
    m_strLastFailure = DescribeRequest(request) + ": " + FailureCause(code);
    if (m_bThrowException)
        throw new CModbusException(ErrorMessage(code), code);
    return code;
}

void CModbus::Observe(std::chrono::steady_clock::time_point start, const CByteArray& request,
                      const CByteArray& response, WORD code) {
    const auto now = std::chrono::steady_clock::now();
    const auto elapsed = std::chrono::duration_cast<std::chrono::microseconds>(now - start);
    const auto started =
        std::chrono::system_clock::now() -
        std::chrono::duration_cast<std::chrono::system_clock::duration>(now - start);
    // Only a reply that was taken in is shown: a failed one leaves the array as it was.
    const CByteArray* reply =
        code == MODBUS_OK || code == MODBUS_BAD_RESPONSE ? &response : nullptr;
    if (m_replyNoted)
        reply = m_reply.GetSize() > 0 ? &m_reply : nullptr;
    const std::string detail = code == MODBUS_OK ? std::string() : FailureCause(code);
    std::string text = ErrorMessage(code).str();
    m_observer({started, elapsed, PeerName(), request, reply, code, std::move(text),
                detail == text ? std::string() : detail});
}

void CModbus::NoteReply(const BYTE* bytes, int length) {
    m_replyNoted = true;
    m_reply.SetSize(length);
    if (length > 0)
        std::memcpy(m_reply.GetData(), bytes, static_cast<std::size_t>(length));
}

std::string CModbus::FailureCause(WORD code) {
    if (!m_strExchangeFailure.empty())
        return m_strExchangeFailure;
    if (code >= MODBUS_EXCEPTION)
        return DeviceExceptionText(code - MODBUS_EXCEPTION);
    const CString text = ErrorMessage(code);
    return text.IsEmpty() ? "result code " + std::to_string(code) : text.str();
}

WORD CModbus::ReadInputRegisters(WORD address, WORD quantity, CWordArray& values) {
    RequireSize(values.GetSize(), quantity, "ReadInputRegisters");
    const CByteArray request = ReadRequest(FN_READ_INPUT_REGISTERS, address, quantity);
    const WORD responseLength =
        RequireFrameLength(READ_DATA_OFFSET + 2 * INT_PTR{quantity}, "ReadInputRegisters");
    return Transact(request, responseLength, [&](const CByteArray& response) {
        if (!AnswersRead(request, response, 2 * INT_PTR{quantity}))
            return false;
        INT_PTR i = 0;
        for (INT_PTR j = READ_DATA_OFFSET; j + 1 < responseLength; j += 2, ++i)
            values[i] = static_cast<WORD>(response[j] * 256 + response[j + 1]);
        return true;
    });
}

WORD CModbus::ReadInputFloats(WORD address, CArray<float, float>& values) {
    RequireSize(values.GetSize(), WORDS_PER_FLOAT, "ReadInputFloats");
    CWordArray words;
    words.SetSize(values.GetSize() * WORDS_PER_FLOAT);
    const WORD code = ReadInputRegisters(address, FLOAT_REGISTERS, words);
    // Whatever the code: a failed read leaves the words zero, so the floats read 0.0.
    for (INT_PTR k = 0; k < values.GetSize(); ++k)
        values[k] = FloatFromRegisters(words[2 * k], words[2 * k + 1]);
    return code;
}

WORD CModbus::ReadInputStatus(WORD address, CByteArray& values) {
    return ReadInputStatuses(address, 1, values);
}

WORD CModbus::ReadInputStatuses(WORD address, WORD quantity, CByteArray& values) {
    RequireSize(values.GetSize(), quantity, "ReadInputStatus");
    const CByteArray request = ReadRequest(FN_READ_DISCRETE_INPUTS, address, quantity);
    const INT_PTR byteCount = (INT_PTR{quantity} + BITS_PER_BYTE - 1) / BITS_PER_BYTE;
    const WORD responseLength = RequireFrameLength(READ_DATA_OFFSET + byteCount, "ReadInputStatus");
    return Transact(request, responseLength, [&](const CByteArray& response) {
        if (!AnswersRead(request, response, byteCount))
            return false;
        for (INT_PTR i = 0; i < quantity; ++i)
            values[i] = static_cast<BYTE>(
                (response[READ_DATA_OFFSET + i / BITS_PER_BYTE] >> (i % BITS_PER_BYTE)) & 1);
        return true;
    });
}

void CModbus::Remark(const std::string& text) {
    if (m_observer)
        m_observer({std::chrono::system_clock::now(),
                    std::chrono::microseconds(0),
                    PeerName(),
                    CByteArray(),
                    nullptr,
                    MODBUS_OK,
                    text,
                    {}});
}

float FloatFromRegisters(WORD low, WORD high) {
    const DWORD bits = static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

WORD CModbus::PresetMultipleRegisters(WORD address, WORD quantity, const CWordArray& values) {
    RequireSize(values.GetSize(), quantity, "PresetMultipleRegisters");
    CByteArray request;
    request.SetSize(
        RequireFrameLength(WRITE_HEADER_LENGTH + 2 * INT_PTR{quantity}, "PresetMultipleRegisters"));
    request[0] = MODBUS_UNIT_ID;
    request[1] = FN_WRITE_MULTIPLE_REGISTERS;
    PutWord(request, 2, address);
    PutWord(request, 4, quantity);
    request[6] = static_cast<BYTE>((2 * quantity) & 0xFF);
    for (INT_PTR i = 0; i < quantity; ++i)
        PutWord(request, WRITE_HEADER_LENGTH + 2 * i, values[i]);
    return Transact(request, WRITE_RESPONSE_LENGTH, [&](const CByteArray& response) {
        return EchoesWriteRequest(request, response);
    });
}

WORD CModbus::PresetFloat(WORD address, float value) {
    DWORD bits;
    std::memcpy(&bits, &value, sizeof bits);
    CWordArray words;
    words.Add(LOWORD(bits)); // the lower register holds the low half
    words.Add(HIWORD(bits));
    return PresetMultipleRegisters(address, WORDS_PER_FLOAT, words);
}

WORD CModbus::ForceSingleCoil(WORD address, BOOL on) {
    CByteArray request;
    request.SetSize(WRITE_RESPONSE_LENGTH);
    request[0] = MODBUS_UNIT_ID;
    request[1] = FN_WRITE_SINGLE_COIL;
    PutWord(request, 2, address);
    PutWord(request, 4, on ? COIL_ON : COIL_OFF);
    return Transact(request, WRITE_RESPONSE_LENGTH, [&](const CByteArray& response) {
        return EchoesWriteRequest(request, response);
    });
}

CString CModbus::ErrorMessage(WORD code) {
    if (code >= MODBUS_EXCEPTION) {
        CString text;
        text.Format("Modbus device returned an exception code %d", code - MODBUS_EXCEPTION);
        return text;
    }
    switch (code) {
    case MODBUS_OK:
        return "Ok";
    case MODBUS_TIMEOUT:
        return "Modbus device time out error";
    case MODBUS_BAD_RESPONSE:
        return "Received invalid device response from Modbus slave";
    case MODBUS_CRC_ERROR:
        return "Modbus crc error";
    case MODBUS_WRITE_ERROR:
        return "Modbus: Write communication error";
    case MODBUS_READ_ERROR:
        return "Modbus: Read communication error";
    case MODBUS_PORT_NOT_OPEN:
        return "Modbus: com port not opened";
    case MODBUS_LOCK_TIMEOUT:
        return "Modbus: Critical section lock time-out error";
    default:
        return "";
    }
}

void CModbus::Serialize(CArchive& ar) {
    if (ar.IsStoring())
        ar << m_wRetries << m_bThrowException << m_dwReserved;
    else
        ar >> m_wRetries >> m_bThrowException >> m_dwReserved;
}
