#pragma once
// The memory of a simulated ORX device: what its registers and bits hold.

#include "transfer/RegisterMap.h"

#include <array>

constexpr int ALARM_REGISTER_COUNT = ALARM_COUNT * ALARM_STRIDE;
constexpr DWORD DEFAULT_SIM_SERIAL = 1234567;

struct DeviceImage {
    // Alarm table as the registers 3000..3255 hold it; one store for input and holding.
    std::array<WORD, ALARM_REGISTER_COUNT> alarmRegisters{};
    // Enunciate-system-faults flags; one store for discrete inputs and coils.
    std::array<bool, ALARM_COUNT> faults{};
    DWORD serial = DEFAULT_SIM_SERIAL;
    std::array<WORD, IDENTITY_WORDS> identity{IDENTITY_CODE, 0, 0, 0};
    bool locked = false;

    friend bool operator==(const DeviceImage&, const DeviceImage&) = default;
};

// Float in two registers, low-order word at the lower address.
void PackFloat(float value, WORD* registers);
float UnpackFloat(const WORD* registers);

// Alarm n (1..ALARM_COUNT) as the device holds it.
AlarmRecord GetAlarm(const DeviceImage& image, int n);
void SetAlarm(DeviceImage& image, int n, const AlarmRecord& record);

// A few enabled alarms with distinct values, the rest disabled and zero.
DeviceImage DefaultDeviceImage();
