#pragma once
// The Modbus function codes the ORX answers, for every side that builds, reads or names a
// request: the client, the simulated device, the traffic record and the benchmarks.

#include "platform/AfxTypes.h"

constexpr BYTE FN_READ_DISCRETE_INPUTS = 2;
constexpr BYTE FN_READ_INPUT_REGISTERS = 4;
constexpr BYTE FN_WRITE_SINGLE_COIL = 5;
constexpr BYTE FN_WRITE_MULTIPLE_REGISTERS = 16;
