#include "transfer/RegisterMap.h"

#include "modbus/Modbus.h"

namespace {
constexpr INT_PTR ALARM_FLOAT_SLOTS = 4; // the float read fills four slots, two are used
constexpr INT_PTR TRIP_POINT = 0;
constexpr INT_PTR DEADBAND = 1;
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

void AlarmArrays::FromRecord(const AlarmRecord& record) {
    words[0] = record.mode;
    words[1] = record.sourceModule;
    words[2] = record.sourceChannel;
    words[3] = record.outputRelay;
    floats[TRIP_POINT] = record.tripPoint;
    floats[DEADBAND] = record.deadband;
    faults[0] = record.enunciateFaults ? 1 : 0;
}

DWORD ReadSerialNumber(CModbus& modbus) {
    CWordArray words;
    words.SetSize(SERIAL_NUMBER_WORDS);
    if (modbus.ReadInputRegisters(REG_SERIAL_NUMBER, SERIAL_NUMBER_WORDS, words) != MODBUS_OK)
        return 0;
    return SerialNumberFromWords(words[0], words[1]);
}

bool CheckDeviceIdentity(CModbus& modbus) {
    CWordArray words;
    words.SetSize(IDENTITY_WORDS);
    WORD code = modbus.ReadInputRegisters(REG_IDENTITY, IDENTITY_WORDS, words);
    return code == MODBUS_OK && words[0] == IDENTITY_CODE;
}
