#include "bench/TransferPlans.h"

#include "transfer/RegisterMap.h"

namespace {
constexpr std::size_t MBAP = 6;
constexpr std::size_t READ_REQUEST = 6;  // unit, function, address, quantity
constexpr std::size_t WRITE_REPLY = 6;   // echo of unit, function, address, quantity
constexpr std::size_t PRESET_HEADER = 7; // ... and a byte count
constexpr std::size_t READ_REPLY_HEADER = 3;
} // namespace

Plan UploadPlan() {
    Plan plan{{StepKind::ReadRegisters, REG_IDENTITY, IDENTITY_WORDS},
              {StepKind::ReadRegisters, REG_SERIAL_NUMBER, SERIAL_NUMBER_WORDS}};
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        const WORD address = AlarmRegisterAddress(n);
        plan.push_back({StepKind::ReadRegisters, address, ALARM_WORD_COUNT});
        plan.push_back({StepKind::ReadFloats, static_cast<WORD>(address + ALARM_TRIP_POINT_OFFSET),
                        FLOAT_REGISTERS});
        plan.push_back({StepKind::ReadStatus, AlarmFlagAddress(n), 1});
    }
    return plan;
}

Plan DownloadPlan() {
    Plan plan{{StepKind::ReadRegisters, REG_IDENTITY, IDENTITY_WORDS},
              {StepKind::ReadStatus, INPUT_CONFIG_LOCKED, 1}};
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        const WORD address = AlarmRegisterAddress(n);
        plan.push_back({StepKind::PresetRegisters, address, ALARM_WORD_COUNT});
        plan.push_back({StepKind::PresetFloat, static_cast<WORD>(address + ALARM_TRIP_POINT_OFFSET),
                        FLOAT_WORDS});
        plan.push_back({StepKind::PresetFloat, static_cast<WORD>(address + ALARM_DEADBAND_OFFSET),
                        FLOAT_WORDS});
        plan.push_back({StepKind::Coil, AlarmFlagAddress(n), static_cast<WORD>(n % 2)});
    }
    plan.push_back({StepKind::Coil, COIL_DOWNLOAD_COMPLETE, 1});
    return plan;
}

std::size_t RequestFrameSize(const Step& step) {
    if (step.kind == StepKind::PresetRegisters || step.kind == StepKind::PresetFloat)
        return MBAP + PRESET_HEADER + 2 * std::size_t{step.quantity};
    return MBAP + READ_REQUEST;
}

std::size_t ReplyFrameSize(const Step& step) {
    switch (step.kind) {
    case StepKind::ReadRegisters:
    case StepKind::ReadFloats:
        return MBAP + READ_REPLY_HEADER + 2 * std::size_t{step.quantity};
    case StepKind::ReadStatus:
        return MBAP + READ_REPLY_HEADER + (std::size_t{step.quantity} + 7) / 8;
    default:
        return MBAP + WRITE_REPLY;
    }
}
