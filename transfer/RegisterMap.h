#pragma once
// Where the ORX device keeps its identity, serial number and alarm table.
// Addresses are the data addresses carried in the request (first object is 0).

#include "platform/Array.h"
#include "transfer/Failure.h"

#include <string>

class CModbus;

constexpr WORD REG_SERIAL_NUMBER = 1899; // input registers: high word, then low word
constexpr WORD SERIAL_NUMBER_WORDS = 2;
constexpr WORD REG_ALARM_BASE = 3000; // read as input, written as holding registers
constexpr WORD ALARM_STRIDE = 8;
constexpr int ALARM_COUNT = 32;
constexpr WORD ALARM_WORD_COUNT = 4;        // mode, module, channel, relay
constexpr WORD ALARM_TRIP_POINT_OFFSET = 4; // two registers, low word first
constexpr WORD ALARM_DEADBAND_OFFSET = 6;   // two registers, low word first
constexpr WORD BIT_FAULTS_BASE = 3000;      // read as discrete inputs, written as coils
constexpr WORD INPUT_CONFIG_LOCKED = 3389;
constexpr WORD COIL_DOWNLOAD_ABORTED = 3394;
constexpr WORD COIL_DOWNLOAD_COMPLETE = 3396;
constexpr WORD REG_IDENTITY = 3495;
constexpr WORD IDENTITY_WORDS = 4;
constexpr WORD IDENTITY_CODE = 0x52C7;

// First register of alarm n (1..ALARM_COUNT).
constexpr WORD AlarmRegisterAddress(int n) {
    return static_cast<WORD>(REG_ALARM_BASE + ALARM_STRIDE * (n - 1));
}
// Enunciate-system-faults bit of alarm n (1..ALARM_COUNT).
constexpr WORD AlarmFlagAddress(int n) {
    return static_cast<WORD>(BIT_FAULTS_BASE + (n - 1));
}

struct AlarmRecord {
    WORD mode = 0; // 0 disabled, 1 trip low, 2 trip high
    WORD sourceModule = 0;
    WORD sourceChannel = 0;
    WORD outputRelay = 0;
    float tripPoint = 0.0f;
    float deadband = 0.0f;
    bool enunciateFaults = false;

    friend bool operator==(const AlarmRecord&, const AlarmRecord&) = default;
};

// The form in which the Modbus operations take and give one alarm.
struct AlarmArrays {
    AlarmArrays(); // 4 words, 4 floats (only the first two used), 1 byte; all zero
    CWordArray words;
    CArray<float, float> floats;
    CByteArray faults;

    AlarmRecord ToRecord() const;
};

// The 32-bit serial number from its two registers; never negative.
constexpr DWORD SerialNumberFromWords(WORD high, WORD low) {
    return (static_cast<DWORD>(high) << 16) | low;
}

// Reads the serial number into serial; returns the read's result code (MODBUS_OK or why it
// failed), and leaves serial alone when the read failed.
WORD ReadSerialNumber(CModbus& modbus, DWORD& serial);

// None exactly when the first identity register holds IDENTITY_CODE; a silent device counts
// as not an ORX.
std::optional<Failure> CheckDeviceIdentity(CModbus& modbus);

// The reads of one alarm.
enum AlarmReads : unsigned {
    READ_ALARM_WORDS = 1,
    READ_ALARM_FLOATS = 2,
    READ_ALARM_FAULTS_BIT = 4,
    READ_WHOLE_ALARM = 7,
};

// Reads alarm n (1..ALARM_COUNT): its four words (function 4), its two floats (function 4,
// one request of four registers) and its faults bit (function 2), or those of them that
// reads names. All are made whatever the earlier ones gave, and a failed one leaves its
// values as read.ToRecord() describes them; the first failure, if any.
std::optional<Failure> ReadDeviceAlarm(CModbus& modbus, int n, AlarmArrays& alarm,
                                       unsigned reads = READ_WHOLE_ALARM);

// The entry of this map that a request (function code, first address, quantity) reaches, for a
// person reading a record of the traffic: "identity", "alarm 7 words", "alarm 7 floats",
// "alarm 7 faults bit", "lock input", "completion coil"...; empty for none.
std::string RegisterMapEntry(BYTE function, WORD address, WORD quantity);

// Writes alarm n (1..ALARM_COUNT) in the device's order: the four words, trip point,
// deadband, faults coil. All four writes are made whatever the earlier ones gave; the first
// failure, if any.
std::optional<Failure> WriteDeviceAlarm(CModbus& modbus, int n, const AlarmRecord& record);
