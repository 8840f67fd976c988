#include "sim/DeviceImage.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(DeviceImageTest, FloatsArePackedLowWordFirst) {
    WORD r[2] = {};
    PackFloat(1.0f, r);
    EXPECT_EQ(r[0], 0x0000);
    EXPECT_EQ(r[1], 0x3F80);
    PackFloat(-2.5f, r);
    EXPECT_EQ(r[0], 0x0000);
    EXPECT_EQ(r[1], 0xC020);
    PackFloat(75.5f, r);
    EXPECT_EQ(UnpackFloat(r), 75.5f);
}

TEST(DeviceImageTest, AlarmOccupiesItsEightRegistersAndItsFlag) {
    DeviceImage image;
    const AlarmRecord record{2, 4, 2, 5, 75.5f, 1.25f, true};
    SetAlarm(image, 32, record);
    const std::size_t base = (32 - 1) * ALARM_STRIDE; // registers 3248..3255
    EXPECT_EQ(image.alarmRegisters[base + 0], 2);
    EXPECT_EQ(image.alarmRegisters[base + 3], 5);
    EXPECT_EQ(UnpackFloat(&image.alarmRegisters[base + ALARM_TRIP_POINT_OFFSET]), 75.5f);
    EXPECT_EQ(UnpackFloat(&image.alarmRegisters[base + ALARM_DEADBAND_OFFSET]), 1.25f);
    EXPECT_TRUE(image.faults[31]);
    EXPECT_EQ(GetAlarm(image, 32), record);
    EXPECT_EQ(GetAlarm(image, 31), AlarmRecord{});
}

TEST(DeviceImageTest, AlarmNumbersOutsideTheTableAreRefused) {
    DeviceImage image;
    EXPECT_THROW(GetAlarm(image, 0), std::out_of_range);
    EXPECT_THROW(SetAlarm(image, ALARM_COUNT + 1, AlarmRecord{}), std::out_of_range);
}

TEST(DeviceImageTest, DefaultDeviceIsAnOrxWithSomeEnabledAlarms) {
    const DeviceImage image = DefaultDeviceImage();
    EXPECT_EQ(image.identity[0], IDENTITY_CODE);
    EXPECT_EQ(image.serial, DEFAULT_SIM_SERIAL);
    EXPECT_FALSE(image.locked);
    int enabled = 0;
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        const AlarmRecord a = GetAlarm(image, n);
        if (a.mode == 0) {
            EXPECT_EQ(a, AlarmRecord{}) << "disabled alarm " << n << " not zero";
            continue;
        }
        ++enabled;
        EXPECT_LE(a.mode, 2) << n;
        EXPECT_GE(a.sourceModule, 2) << n;
        EXPECT_LE(a.sourceModule, 16) << n;
        EXPECT_GE(a.sourceChannel, 1) << n;
        EXPECT_LE(a.sourceChannel, 4) << n;
        EXPECT_LE(a.outputRelay, 8) << n;
    }
    EXPECT_GT(enabled, 1);
}

} // namespace
