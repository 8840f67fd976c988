#include "bench/Clients.h"

#include "modbus/RemoteModbus.h"

namespace {
constexpr float BENCH_FLOAT = 42.5f;
} // namespace

bool RunPlan(CRemoteModbus& client, const Plan& plan) {
    CWordArray words;
    words.SetSize(MAX_STEP_WORDS);
    CArray<float, float> floats;
    floats.SetSize(MAX_STEP_WORDS);
    CByteArray bits;
    bits.SetSize(1);
    for (const Step& s : plan) {
        WORD code = MODBUS_OK;
        switch (s.kind) {
        case StepKind::ReadRegisters:
            code = client.ReadInputRegisters(s.address, s.quantity, words);
            break;
        case StepKind::ReadFloats:
            code = client.ReadInputFloats(s.address, floats);
            break;
        case StepKind::ReadStatus:
            code = client.ReadInputStatus(s.address, bits);
            break;
        case StepKind::PresetRegisters:
            code = client.PresetMultipleRegisters(s.address, s.quantity, words);
            break;
        case StepKind::PresetFloat:
            code = client.PresetFloat(s.address, BENCH_FLOAT);
            break;
        case StepKind::Coil:
            code = client.ForceSingleCoil(s.address, s.quantity != 0);
            break;
        }
        if (code != MODBUS_OK)
            return false;
    }
    return true;
}
