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
    FirstFailure(CModbus& modbus, std::string* why) : m_modbus(modbus), m_why(why) {}
    void Note(WORD code) {
        if (code != MODBUS_OK && m_failed++ == 0 && m_why != nullptr)
            *m_why = m_modbus.LastFailure();
    }
    bool AllSucceeded() const { return m_failed == 0; }

private:
    CModbus& m_modbus;
    std::string* m_why;
    int m_failed = 0;
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

bool CheckDeviceIdentity(CModbus& modbus, std::string* why) {
    CWordArray words;
    words.SetSize(IDENTITY_WORDS);
    const WORD code = modbus.ReadInputRegisters(REG_IDENTITY, IDENTITY_WORDS, words);
    const bool orx = code == MODBUS_OK && words[0] == IDENTITY_CODE;
    if (!orx && why != nullptr)
        *why = code != MODBUS_OK ? modbus.LastFailure() : IdentityMismatch(words[0]);
    return orx;
}

bool ReadDeviceAlarm(CModbus& modbus, int n, AlarmArrays& alarm, std::string* why, unsigned reads) {
    const WORD registerAddress = AlarmRegisterAddress(n);
    FirstFailure first(modbus, why);
    if (reads & READ_ALARM_WORDS)
        first.Note(modbus.ReadInputRegisters(registerAddress, ALARM_WORD_COUNT, alarm.words));
    if (reads & READ_ALARM_FLOATS)
        first.Note(modbus.ReadInputFloats(registerAddress + ALARM_TRIP_POINT_OFFSET, alarm.floats));
    if (reads & READ_ALARM_FAULTS_BIT)
        first.Note(modbus.ReadInputStatus(AlarmFlagAddress(n), alarm.faults));
    return first.AllSucceeded();
}

bool WriteDeviceAlarm(CModbus& modbus, int n, const AlarmRecord& record, std::string* why) {
    CWordArray words;
    words.Add(record.mode);
    words.Add(record.sourceModule);
    words.Add(record.sourceChannel);
    words.Add(record.outputRelay);
    const WORD registerAddress = AlarmRegisterAddress(n);
    FirstFailure first(modbus, why);
    first.Note(modbus.PresetMultipleRegisters(registerAddress, ALARM_WORD_COUNT, words));
    first.Note(modbus.PresetFloat(registerAddress + ALARM_TRIP_POINT_OFFSET, record.tripPoint));
    first.Note(modbus.PresetFloat(registerAddress + ALARM_DEADBAND_OFFSET, record.deadband));
    first.Note(modbus.ForceSingleCoil(AlarmFlagAddress(n), record.enunciateFaults));
    return first.AllSucceeded();
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
