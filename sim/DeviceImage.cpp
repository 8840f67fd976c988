#include "sim/DeviceImage.h"

#include <bit>
#include <stdexcept>
#include <string>

namespace {

std::size_t FirstRegister(int n) {
    if (n < 1 || n > ALARM_COUNT)
        throw std::out_of_range("alarm number " + std::to_string(n) + " outside 1.." +
                                std::to_string(ALARM_COUNT));
    return static_cast<std::size_t>(n - 1) * ALARM_STRIDE;
}

} // namespace

void PackFloat(float value, WORD* registers) {
    const DWORD bits = std::bit_cast<DWORD>(value);
    registers[0] = LOWORD(bits);
    registers[1] = HIWORD(bits);
}

float UnpackFloat(const WORD* registers) {
    const DWORD bits = static_cast<DWORD>(registers[0]) | (static_cast<DWORD>(registers[1]) << 16);
    return std::bit_cast<float>(bits);
}

AlarmRecord GetAlarm(const DeviceImage& image, int n) {
    const WORD* r = image.alarmRegisters.data() + FirstRegister(n);
    AlarmRecord record;
    record.mode = r[0];
    record.sourceModule = r[1];
    record.sourceChannel = r[2];
    record.outputRelay = r[3];
    record.tripPoint = UnpackFloat(r + ALARM_TRIP_POINT_OFFSET);
    record.deadband = UnpackFloat(r + ALARM_DEADBAND_OFFSET);
    record.enunciateFaults = image.faults[static_cast<std::size_t>(n - 1)];
    return record;
}

void SetAlarm(DeviceImage& image, int n, const AlarmRecord& record) {
    WORD* r = image.alarmRegisters.data() + FirstRegister(n);
    r[0] = record.mode;
    r[1] = record.sourceModule;
    r[2] = record.sourceChannel;
    r[3] = record.outputRelay;
    PackFloat(record.tripPoint, r + ALARM_TRIP_POINT_OFFSET);
    PackFloat(record.deadband, r + ALARM_DEADBAND_OFFSET);
    image.faults[static_cast<std::size_t>(n - 1)] = record.enunciateFaults;
}

DeviceImage DefaultDeviceImage() {
    constexpr WORD TRIP_LOW = 1;
    constexpr WORD TRIP_HIGH = 2;
    DeviceImage image;
    SetAlarm(image, 1, {TRIP_HIGH, 2, 1, 1, 75.5f, 1.25f, true});
    SetAlarm(image, 2, {TRIP_LOW, 3, 2, 2, -12.0f, 0.5f, false});
    SetAlarm(image, 3, {TRIP_HIGH, 4, 2, 5, 75.5f, 1.25f, true});
    SetAlarm(image, 5, {TRIP_LOW, 16, 4, 8, 1000.0f, 10.0f, false});
    SetAlarm(image, 32, {TRIP_HIGH, 7, 3, 0, 3.1416f, 0.0625f, true});
    return image;
}
