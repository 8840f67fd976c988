#include "sim/DeviceImage.h"

#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(DeviceImage, DefaultIsAnOrxWithEnabledAndZeroDisabledAlarmsAndRefusesOtherNumbers) {
    DeviceImage image = DefaultDeviceImage();
    EXPECT_THROW(GetAlarm(image, 0), std::out_of_range);
    EXPECT_THROW(SetAlarm(image, ALARM_COUNT + 1, AlarmRecord{}), std::out_of_range);
    EXPECT_EQ(image.identity[0], IDENTITY_CODE);
    int enabled = 0;
    for (int n = 1; n <= ALARM_COUNT; ++n) {
        const AlarmRecord a = GetAlarm(image, n);
        enabled += a.mode != 0;
        EXPECT_TRUE(a.mode != 0 || a == AlarmRecord{}) << "alarm " << n;
    }
    EXPECT_GT(enabled, 1);
}

} // namespace
