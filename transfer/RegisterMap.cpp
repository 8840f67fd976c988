#include "transfer/RegisterMap.h"

#include "modbus/FunctionCodes.h"
#include "modbus/Modbus.h"

#include <cstdio>

namespace {
constexpr INT_PTR ALARM_FLOAT_SLOTS = 4; // the float read fills four slots, two are used
constexpr INT_PTR TRIP_POINT = 0;
constexpr INT_PTR DEADBAND = 1;

// The cause of the first of several operations that failed: a failure after it is often
// only its consequence (a connection already closed).
class FirstFailure {
public:
    explicit FirstFailure(CModbus& modbus) : m_modbus(modbus) {}
    void Note(WORD code) {
        if (code != MODBUS_OK && !m_first)
            m_first = Failure{RESULT_DEVICE_ERROR, m_modbus.LastFailure()};
    }
    const std::optional<Failure>& First() const { return m_first; }

private:
    CModbus& m_modbus;
    std::optional<Failure> m_first;
};

constexpr WORD FLOAT_WORDS = 2;

// The part of alarm n's registers that starts at offset, read or written as quantity words.
const char* AlarmRegisterPart(int offset, WORD quantity) {
    if (offset == 0 && quantity == ALARM_WORD_COUNT)
        return "words";
    if (offset == ALARM_TRIP_POINT_OFFSET && quantity == 2 * FLOAT_WORDS)
        return "floats";
    if (offset == ALARM_TRIP_POINT_OFFSET && quantity == FLOAT_WORDS)
        return "trip point";
    if (offset == ALARM_DEADBAND_OFFSET && quantity == FLOAT_WORDS)
        return "deadband";
    return nullptr;
}

std::string AlarmRegisterEntry(WORD address, WORD quantity) {
    const int offset = address - REG_ALARM_BASE;
    if (offset < 0 || offset >= ALARM_STRIDE * ALARM_COUNT)
        return {};
    const char* part = AlarmRegisterPart(offset % ALARM_STRIDE, quantity);
    return part ? "alarm " + std::to_string(offset / ALARM_STRIDE + 1) + ' ' + part : "";
}

// Discrete inputs and coils share their addresses.
std::string BitEntry(WORD address) {
    if (address == INPUT_CONFIG_LOCKED)
        return "lock input";
    if (address == COIL_DOWNLOAD_ABORTED)
        return "abort coil";
    if (address == COIL_DOWNLOAD_COMPLETE)
        return "completion coil";
    const int offset = address - BIT_FAULTS_BASE;
    if (offset < 0 || offset >= ALARM_COUNT)
        return {};
    return "alarm " + std::to_string(offset + 1) + " faults bit";
}

std::string IdentityMismatch(WORD found) {
    char text[80];
    std::snprintf(text, sizeof text, "identity register %u holds 0x%04X, 0x%04X expected",
                  unsigned{REG_IDENTITY}, unsigned{found}, unsigned{IDENTITY_CODE});
    return text;
}
} // namespace

AlarmArrays::AlarmArrays() {
    words.SetSize(ALARM_WORD_COUNT);
    floats.SetSize(ALARM_FLOAT_SLOTS);
    faults.SetSize(1);
}

AlarmRecord AlarmArrays::ToRecord() const {
    AlarmRecord r;
    r.mode = words[0];
    r.sourceModule = words[1];
    r.sourceChannel = words[2];
    r.outputRelay = words[3];
    r.tripPoint = floats[TRIP_POINT];
    r.deadband = floats[DEADBAND];
    r.enunciateFaults = faults[0] != 0;
    return r;
}

WORD ReadSerialNumber(CModbus& modbus, DWORD& serial) {
    CWordArray words;
    words.SetSize(SERIAL_NUMBER_WORDS);
    const WORD code = modbus.ReadInputRegisters(REG_SERIAL_NUMBER, SERIAL_NUMBER_WORDS, words);
    if (code == MODBUS_OK)
        serial = SerialNumberFromWords(words[0], words[1]);
    return code;
}

std::optional<Failure> CheckDeviceIdentity(CModbus& modbus) {
    CWordArray words;
    words.SetSize(IDENTITY_WORDS);
    const WORD code = modbus.ReadInputRegisters(REG_IDENTITY, IDENTITY_WORDS, words);
    if (code == MODBUS_OK && words[0] == IDENTITY_CODE)
        return std::nullopt;
    return Failure{RESULT_DEVICE_ERROR,
                   code != MODBUS_OK ? modbus.LastFailure() : IdentityMismatch(words[0])};
}

std::optional<Failure> ReadDeviceAlarm(CModbus& modbus, int n, AlarmArrays& alarm, unsigned reads) {
    const WORD registerAddress = AlarmRegisterAddress(n);
    FirstFailure first(modbus);
    if (reads & READ_ALARM_WORDS)
        first.Note(modbus.ReadInputRegisters(registerAddress, ALARM_WORD_COUNT, alarm.words));
    if (reads & READ_ALARM_FLOATS)
        first.Note(modbus.ReadInputFloats(registerAddress + ALARM_TRIP_POINT_OFFSET, alarm.floats));
    if (reads & READ_ALARM_FAULTS_BIT)
        first.Note(modbus.ReadInputStatus(AlarmFlagAddress(n), alarm.faults));
    return first.First();
}

std::optional<Failure> WriteDeviceAlarm(CModbus& modbus, int n, const AlarmRecord& record) {
    CWordArray words;
    words.Add(record.mode);
    words.Add(record.sourceModule);
    words.Add(record.sourceChannel);
    words.Add(record.outputRelay);
    const WORD registerAddress = AlarmRegisterAddress(n);
    FirstFailure first(modbus);
    first.Note(modbus.PresetMultipleRegisters(registerAddress, ALARM_WORD_COUNT, words));
    first.Note(modbus.PresetFloat(registerAddress + ALARM_TRIP_POINT_OFFSET, record.tripPoint));
    first.Note(modbus.PresetFloat(registerAddress + ALARM_DEADBAND_OFFSET, record.deadband));
    first.Note(modbus.ForceSingleCoil(AlarmFlagAddress(n), record.enunciateFaults));
    return first.First();
}

std::string RegisterMapEntry(BYTE function, WORD address, WORD quantity) {
    switch (function) {
    case FN_READ_INPUT_REGISTERS:
        if (address == REG_IDENTITY && quantity == IDENTITY_WORDS)
            return "identity";
        if (address == REG_SERIAL_NUMBER && quantity == SERIAL_NUMBER_WORDS)
            return "serial number";
        return AlarmRegisterEntry(address, quantity);
    case FN_WRITE_MULTIPLE_REGISTERS:
        return AlarmRegisterEntry(address, quantity);
    case FN_READ_DISCRETE_INPUTS:
        return quantity == 1 ? BitEntry(address) : "";
    case FN_WRITE_SINGLE_COIL:
        return BitEntry(address);
    default:
        return {};
    }
}
