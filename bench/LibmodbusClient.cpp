#include "bench/Clients.h"

#include <cstdint>
#include <modbus/modbus.h>

bool RunPlan(modbus_t* client, const Plan& plan) {
    uint16_t words[MAX_STEP_WORDS] = {};
    uint8_t bits[1] = {};
    const uint16_t floatWords[FLOAT_WORDS] = {0x0000, 0x422A}; // 42.5, low word first
    for (const Step& s : plan) {
        int done = -1;
        switch (s.kind) {
        case StepKind::ReadRegisters:
        case StepKind::ReadFloats:
            done = modbus_read_input_registers(client, s.address, s.quantity, words) == s.quantity;
            break;
        case StepKind::ReadStatus:
            done = modbus_read_input_bits(client, s.address, s.quantity, bits) == s.quantity;
            break;
        case StepKind::PresetRegisters:
            done = modbus_write_registers(client, s.address, s.quantity, words) == s.quantity;
            break;
        case StepKind::PresetFloat:
            done =
                modbus_write_registers(client, s.address, FLOAT_WORDS, floatWords) == FLOAT_WORDS;
            break;
        case StepKind::Coil:
            done = modbus_write_bit(client, s.address, s.quantity != 0) == 1;
            break;
        }
        if (done != 1)
            return false;
    }
    return true;
}
