#pragma once
// Addresses, codes and replies shared by the client-core tests.

#include "modbus/Modbus.h"
#include "support/ScriptedModbus.h"

#include <functional>
#include <vector>

using Bytes = std::vector<BYTE>;
using Operation = std::function<WORD(CModbus&)>;

constexpr WORD REGISTER_ADDRESS = 3000; // 0B B8
constexpr WORD FLOAT_ADDRESS = 3004;    // 0B BC
constexpr WORD INPUT_ADDRESS = 3389;    // 0D 3D
constexpr WORD COIL_ADDRESS = 3396;     // 0D 44
constexpr WORD FOUR_REGISTERS = 4;
constexpr WORD ILLEGAL_ADDRESS_EXCEPTION = MODBUS_EXCEPTION + 2;
constexpr WORD CODE_WITHOUT_TEXT = 4;
constexpr float ONE_TENTH = 0.1f; // bit pattern 3DCC CCCD
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

inline CArray<float, float> Floats(INT_PTR size, float fill) {
    CArray<float, float> a;
    a.SetSize(size);
    for (INT_PTR i = 0; i < size; ++i)
        a[i] = fill;
    return a;
}

inline WORD ReadRegisters(CModbus& m, CWordArray& values) {
    return m.ReadInputRegisters(REGISTER_ADDRESS, FOUR_REGISTERS, values);
}
