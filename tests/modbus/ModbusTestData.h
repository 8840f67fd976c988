#pragma once
// Addresses, codes and replies shared by the client-core tests.

#include "modbus/Modbus.h"

#include <functional>
#include <vector>

using Bytes = std::vector<BYTE>;

constexpr WORD REGISTER_ADDRESS = 3000; // 0B B8
constexpr WORD FLOAT_ADDRESS = 3004;    // 0B BC
constexpr WORD INPUT_ADDRESS = 3389;    // 0D 3D
constexpr WORD COIL_ADDRESS = 3396;     // 0D 44
constexpr WORD FOUR_REGISTERS = 4;

constexpr WORD ILLEGAL_ADDRESS_EXCEPTION = MODBUS_EXCEPTION + 2;
constexpr WORD CODE_WITHOUT_TEXT = 4;

constexpr float ONE_TENTH = 0.1f;             // bit pattern 3DCC CCCD
constexpr float MINUS_TWO_AND_A_HALF = -2.5f; // bit pattern C020 0000
constexpr float STALE_FLOAT = 5.0f;
constexpr WORD STALE_WORD = 0x5A5A;
constexpr BYTE STALE_BYTE = 7;

// Four registers 1, 2, 3, 4 and input status 1, as the device answers them.
inline const Bytes GOOD_REGISTERS{0x01, 0x04, 0x08, 0x00, 0x01, 0x00, 0x02, 0x00, 0x03, 0x00, 0x04};
inline const Bytes GOOD_STATUS{0x01, 0x02, 0x01, 0x01};

inline CWordArray Words(INT_PTR size, WORD fill = 0) {
    CWordArray a;
    a.SetSize(size);
    for (INT_PTR i = 0; i < size; ++i)
        a[i] = fill;
    return a;
}

inline CByteArray OneByte(BYTE value) {
    CByteArray a;
    a.Add(value);
    return a;
}

inline CArray<float, float> Floats(INT_PTR size, float fill) {
    CArray<float, float> a;
    a.SetSize(size);
    for (INT_PTR i = 0; i < size; ++i)
        a[i] = fill;
    return a;
}

// The six operations, each on its own fresh value array.
using Operation = std::function<WORD(CModbus&)>;

inline Operation ReadRegisters(WORD quantity) {
    return [quantity](CModbus& m) {
        CWordArray values = Words(quantity);
        return m.ReadInputRegisters(REGISTER_ADDRESS, quantity, values);
    };
}

inline Operation ReadFloats(INT_PTR count) {
    return [count](CModbus& m) {
        CArray<float, float> values = Floats(count, 0.0f);
        return m.ReadInputFloats(FLOAT_ADDRESS, values);
    };
}

inline Operation ReadStatus() {
    return [](CModbus& m) {
        CByteArray values = OneByte(0);
        return m.ReadInputStatus(INPUT_ADDRESS, values);
    };
}

inline Operation PresetTwoWords(WORD first, WORD second) {
    return [=](CModbus& m) {
        CWordArray values = Words(2, first);
        values[1] = second;
        return m.PresetMultipleRegisters(REGISTER_ADDRESS, 2, values);
    };
}

inline Operation PresetFloat(float value) {
    return [value](CModbus& m) { return m.PresetFloat(FLOAT_ADDRESS, value); };
}

inline Operation ForceCoil(BOOL on) {
    return [on](CModbus& m) { return m.ForceSingleCoil(COIL_ADDRESS, on); };
}
