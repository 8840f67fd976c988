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

WORD ReadSerialNumber(CModbus& modbus, DWORD& serial) {
    CWordArray words;
    words.SetSize(SERIAL_NUMBER_WORDS);
    const WORD code = modbus.ReadInputRegisters(REG_SERIAL_NUMBER, SERIAL_NUMBER_WORDS, words);
    if (code == MODBUS_OK)
        serial = SerialNumberFromWords(words[0], words[1]);
    return code;
}

bool CheckDeviceIdentity(CModbus& modbus) {
    CWordArray words;
    words.SetSize(IDENTITY_WORDS);
    WORD code = modbus.ReadInputRegisters(REG_IDENTITY, IDENTITY_WORDS, words);
    return code == MODBUS_OK && words[0] == IDENTITY_CODE;
}

bool ReadDeviceAlarm(CModbus& modbus, int n, AlarmArrays& alarm) {
    const WORD registerAddress = AlarmRegisterAddress(n);
    const WORD words = modbus.ReadInputRegisters(registerAddress, ALARM_WORD_COUNT, alarm.words);
    const WORD floats =
        modbus.ReadInputFloats(registerAddress + ALARM_TRIP_POINT_OFFSET, alarm.floats);
    const WORD faults = modbus.ReadInputStatus(AlarmFlagAddress(n), alarm.faults);
    return words == MODBUS_OK && floats == MODBUS_OK && faults == MODBUS_OK;
}

bool WriteDeviceAlarm(CModbus& modbus, int n, const AlarmRecord& record) {
    CWordArray words;
    words.Add(record.mode);
    words.Add(record.sourceModule);
    words.Add(record.sourceChannel);
    words.Add(record.outputRelay);
    const WORD registerAddress = AlarmRegisterAddress(n);
    const WORD w = modbus.PresetMultipleRegisters(registerAddress, ALARM_WORD_COUNT, words);
    const WORD t = modbus.PresetFloat(registerAddress + ALARM_TRIP_POINT_OFFSET, record.tripPoint);
    const WORD d = modbus.PresetFloat(registerAddress + ALARM_DEADBAND_OFFSET, record.deadband);
    const WORD f = modbus.ForceSingleCoil(AlarmFlagAddress(n), record.enunciateFaults);
    return w == MODBUS_OK && t == MODBUS_OK && d == MODBUS_OK && f == MODBUS_OK;
}
