#pragma once
// The exchanges of a full upload and a full download, in order, as data, so that each
// client under test makes exactly the same requests.

#include "platform/AfxTypes.h"

#include <cstddef>
#include <vector>

enum class StepKind { ReadRegisters, ReadFloats, ReadStatus, PresetRegisters, PresetFloat, Coil };

struct Step {
    StepKind kind;
    WORD address;
    WORD quantity; // registers or bits; for Coil 1 (ON) or 0 (OFF)
};

constexpr WORD MAX_STEP_WORDS = 4;
constexpr WORD FLOAT_WORDS = 2;
constexpr WORD FLOAT_REGISTERS = 4; // ReadFloats always reads two floats

using Plan = std::vector<Step>;

// Identity, serial number, then per alarm its words, its two floats (four registers) and
// its faults bit: 98 exchanges.
Plan UploadPlan();
// Identity, lock input, then per alarm its words, trip point, deadband and faults coil, and
// the completion coil: 131 exchanges.
Plan DownloadPlan();

// Sizes on the wire, Modbus TCP header included.
std::size_t RequestFrameSize(const Step& step);
std::size_t ReplyFrameSize(const Step& step);
