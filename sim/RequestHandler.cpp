#include "sim/RequestHandler.h"

#include <algorithm>
#include <optional>

namespace {

constexpr std::size_t UNIT_POS = 0;
constexpr std::size_t FUNCTION_POS = 1;
constexpr std::size_t ADDRESS_POS = 2;
constexpr std::size_t QUANTITY_POS = 4;   // also the value of a single-coil write
constexpr std::size_t BYTE_COUNT_POS = 6; // write multiple registers
constexpr std::size_t REGISTER_DATA_POS = 7;
constexpr std::size_t ADDRESS_QUANTITY_END = 6;
constexpr int BITS_PER_BYTE = 8;

WORD WordAt(const std::vector<BYTE>& bytes, std::size_t pos) {
    return static_cast<WORD>((bytes[pos] << 8) | bytes[pos + 1]);
}

void PushWord(std::vector<BYTE>& bytes, WORD value) {
    bytes.push_back(HIBYTE(value));
    bytes.push_back(LOBYTE(value));
}

std::vector<BYTE> Exception(const std::vector<BYTE>& request, BYTE code) {
    return {request[UNIT_POS], static_cast<BYTE>(request[FUNCTION_POS] | EXCEPTION_FLAG), code};
}

bool InRange(int address, int first, int count) {
    return address >= first && address < first + count;
}

std::optional<WORD> InputRegister(const DeviceImage& image, int address) {
    if (address == REG_SERIAL_NUMBER)
        return HIWORD(image.serial);
    if (address == REG_SERIAL_NUMBER + 1)
        return LOWORD(image.serial);
    if (InRange(address, REG_ALARM_BASE, ALARM_REGISTER_COUNT))
        return image.alarmRegisters[static_cast<std::size_t>(address - REG_ALARM_BASE)];
    if (InRange(address, REG_IDENTITY, IDENTITY_WORDS))
        return image.identity[static_cast<std::size_t>(address - REG_IDENTITY)];
    return std::nullopt;
}

std::optional<bool> DiscreteInput(const DeviceImage& image, int address) {
    if (InRange(address, BIT_FAULTS_BASE, ALARM_COUNT))
        return image.faults[static_cast<std::size_t>(address - BIT_FAULTS_BASE)];
    if (address == INPUT_CONFIG_LOCKED)
        return image.locked;
    return std::nullopt;
}

bool IsWritableCoil(int address) {
    return InRange(address, BIT_FAULTS_BASE, ALARM_COUNT) || address == COIL_DOWNLOAD_ABORTED ||
           address == COIL_DOWNLOAD_COMPLETE;
}

bool WriteFails(const std::vector<WORD>& failWrite, int first, int count) {
    return std::any_of(failWrite.begin(), failWrite.end(),
                       [&](WORD a) { return InRange(a, first, count); });
}

std::vector<BYTE> ReadDiscreteInputs(const DeviceImage& image, const std::vector<BYTE>& req) {
    if (req.size() < ADDRESS_QUANTITY_END)
        return Exception(req, EXC_ILLEGAL_DATA_VALUE);
    const int address = WordAt(req, ADDRESS_POS);
    const int quantity = WordAt(req, QUANTITY_POS);
    if (quantity < 1 || quantity > MAX_READ_BITS)
        return Exception(req, EXC_ILLEGAL_DATA_VALUE);
    const int byteCount = (quantity + BITS_PER_BYTE - 1) / BITS_PER_BYTE;
    std::vector<BYTE> reply{req[UNIT_POS], req[FUNCTION_POS], static_cast<BYTE>(byteCount)};
    reply.resize(reply.size() + static_cast<std::size_t>(byteCount), 0);
    for (int i = 0; i < quantity; ++i) {
        const std::optional<bool> bit = DiscreteInput(image, address + i);
        if (!bit)
            return Exception(req, EXC_ILLEGAL_DATA_ADDRESS);
        if (*bit)
            reply[3 + static_cast<std::size_t>(i / BITS_PER_BYTE)] |=
                static_cast<BYTE>(1 << (i % BITS_PER_BYTE));
    }
    return reply;
}

std::vector<BYTE> ReadInputRegisters(const DeviceImage& image, const std::vector<BYTE>& req) {
    if (req.size() < ADDRESS_QUANTITY_END)
        return Exception(req, EXC_ILLEGAL_DATA_VALUE);
    const int address = WordAt(req, ADDRESS_POS);
    const int quantity = WordAt(req, QUANTITY_POS);
    if (quantity < 1 || quantity > MAX_READ_REGISTERS)
        return Exception(req, EXC_ILLEGAL_DATA_VALUE);
    std::vector<BYTE> reply{req[UNIT_POS], req[FUNCTION_POS], static_cast<BYTE>(2 * quantity)};
    for (int i = 0; i < quantity; ++i) {
        const std::optional<WORD> value = InputRegister(image, address + i);
        if (!value)
            return Exception(req, EXC_ILLEGAL_DATA_ADDRESS);
        PushWord(reply, *value);
    }
    return reply;
}

std::vector<BYTE> WriteSingleCoil(DeviceImage& image, const std::vector<WORD>& failWrite,
                                  const std::vector<BYTE>& req, std::vector<CoilEvent>& events) {
    if (req.size() < ADDRESS_QUANTITY_END)
        return Exception(req, EXC_ILLEGAL_DATA_VALUE);
    const WORD address = WordAt(req, ADDRESS_POS);
    const WORD value = WordAt(req, QUANTITY_POS);
    if (value != COIL_ON && value != COIL_OFF)
        return Exception(req, EXC_ILLEGAL_DATA_VALUE);
    if (!IsWritableCoil(address))
        return Exception(req, EXC_ILLEGAL_DATA_ADDRESS);
    if (WriteFails(failWrite, address, 1))
        return Exception(req, EXC_SERVER_DEVICE_FAILURE);
    if (InRange(address, BIT_FAULTS_BASE, ALARM_COUNT))
        image.faults[static_cast<std::size_t>(address - BIT_FAULTS_BASE)] = value == COIL_ON;
    events.push_back({address, value});
    return {req.begin(), req.begin() + ADDRESS_QUANTITY_END};
}

std::vector<BYTE> WriteMultipleRegisters(DeviceImage& image, const std::vector<WORD>& failWrite,
                                         const std::vector<BYTE>& req) {
    if (req.size() < REGISTER_DATA_POS)
        return Exception(req, EXC_ILLEGAL_DATA_VALUE);
    const int address = WordAt(req, ADDRESS_POS);
    const int quantity = WordAt(req, QUANTITY_POS);
    const std::size_t byteCount = req[BYTE_COUNT_POS];
    if (quantity < 1 || quantity > MAX_WRITE_REGISTERS ||
        byteCount != static_cast<std::size_t>(2 * quantity) ||
        req.size() < REGISTER_DATA_POS + byteCount)
        return Exception(req, EXC_ILLEGAL_DATA_VALUE);
    if (address < REG_ALARM_BASE || address + quantity > REG_ALARM_BASE + ALARM_REGISTER_COUNT)
        return Exception(req, EXC_ILLEGAL_DATA_ADDRESS);
    if (WriteFails(failWrite, address, quantity))
        return Exception(req, EXC_SERVER_DEVICE_FAILURE);
    for (int i = 0; i < quantity; ++i)
        image.alarmRegisters[static_cast<std::size_t>(address - REG_ALARM_BASE + i)] =
            WordAt(req, REGISTER_DATA_POS + 2 * static_cast<std::size_t>(i));
    return {req.begin(), req.begin() + ADDRESS_QUANTITY_END};
}

} // namespace

RequestSummary SummarizeRequest(const std::vector<BYTE>& request) {
    RequestSummary s;
    if (request.size() > UNIT_POS)
        s.unit = request[UNIT_POS];
    if (request.size() > FUNCTION_POS)
        s.function = request[FUNCTION_POS];
    if (request.size() >= ADDRESS_QUANTITY_END) {
        s.address = WordAt(request, ADDRESS_POS);
        s.quantity = s.function == FN_WRITE_SINGLE_COIL ? 1 : WordAt(request, QUANTITY_POS);
    }
    return s;
}

std::vector<BYTE> HandleRequest(DeviceImage& image, const std::vector<WORD>& failWrite,
                                const std::vector<BYTE>& request,
                                std::vector<CoilEvent>& coilEvents) {
    if (request.size() <= FUNCTION_POS)
        return {};
    if (request[UNIT_POS] != SIM_UNIT_ID)
        return Exception(request, EXC_GATEWAY_TARGET_FAILED);
    switch (request[FUNCTION_POS]) {
    case FN_READ_DISCRETE_INPUTS:
        return ReadDiscreteInputs(image, request);
    case FN_READ_INPUT_REGISTERS:
        return ReadInputRegisters(image, request);
    case FN_WRITE_SINGLE_COIL:
        return WriteSingleCoil(image, failWrite, request, coilEvents);
    case FN_WRITE_MULTIPLE_REGISTERS:
        return WriteMultipleRegisters(image, failWrite, request);
    default:
        return Exception(request, EXC_ILLEGAL_FUNCTION);
    }
}
