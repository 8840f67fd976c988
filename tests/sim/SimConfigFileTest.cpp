#include "sim/SimConfigFile.h"
#include "SimFiles.h"

namespace {

const std::string HEADER = "ORX Configuration Transfer Utility Version 1.00.00\n"
                           "Sat Dec 05 21:31:52 2026\n"
                           "Serial Number: 1\n"
                           "Alarm,Alarm,Source,Source,Output,Trip Point,Deadband,Enunciate "
                           "System\n"
                           "Number,Mode,Module,Channel,Relay,,,Faults\n";

TEST(SimConfigFile, LoadsTheSampleConfigurationButNotItsSerial) {
    DeviceImage image = DefaultDeviceImage();
    std::string error;
    ASSERT_EQ(LoadConfigFile(SAMPLE_CONFIG_PATH, image, error), ConfigLoad::Loaded) << error;
    EXPECT_EQ(GetAlarm(image, 3), (AlarmRecord{2, 4, 2, 5, 75.5f, 1.25f, true}));
    EXPECT_EQ(GetAlarm(image, 32), (AlarmRecord{1, 3, 4, 0, -40.75f, 1.0f, false}));
    EXPECT_EQ(image.serial, DEFAULT_SIM_SERIAL);
}

TEST(SimConfigFile, AlarmsAfterAShortFileAreDisabledAndZero) {
    const std::string path = TempPath("short.csv");
    std::ofstream(path) << HEADER << "1,1,2,1,0,5.0000,1.0000,1\n";
    DeviceImage image = DefaultDeviceImage();
    std::string error;
    ASSERT_EQ(LoadConfigFile(path, image, error), ConfigLoad::Loaded) << error;
    EXPECT_EQ(GetAlarm(image, 1), (AlarmRecord{1, 2, 1, 0, 5.0f, 1.0f, true}));
    for (int n = 2; n <= ALARM_COUNT; ++n)
        EXPECT_EQ(GetAlarm(image, n), AlarmRecord{}) << "alarm " << n;
    std::remove(path.c_str());
}

TEST(SimConfigFile, UnacceptableRowIsNamedAndMissingFileReportedAndNeitherChangesTheImage) {
    const std::string path = TempPath("bad.csv");
    std::ofstream(path) << HEADER << "1,1,2,1,0,5.0000,1.0000,1\n2,1,1,1,0,5.0000,1.0000,0\n";
    const DeviceImage before = DefaultDeviceImage();
    DeviceImage image = before;
    std::string error;
    EXPECT_EQ(LoadConfigFile(path, image, error), ConfigLoad::BadRow);
    EXPECT_NE(error.find("alarm 2"), std::string::npos) << error;
    EXPECT_NE(error.find("field 3"), std::string::npos) << error;
    std::remove(path.c_str());
    error.clear();
    EXPECT_EQ(LoadConfigFile(path, image, error), ConfigLoad::CannotOpen);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(image, before);
}

TEST(SimConfigFile, SavedFileIsACompleteUploadThatLoadsBack) {
    DeviceImage image = DefaultDeviceImage();
    image.serial = 4294967295u;
    SetAlarm(image, 17, {2, 12, 2, 4, 250.125f, 2.5f, true});
    const std::string path = TempPath("saved.csv");
    ASSERT_TRUE(SaveConfigFile(path, image));
    const std::vector<std::string> lines = ReadLines(path);
    ASSERT_EQ(lines.size(), static_cast<std::size_t>(FILE_LINES));
    EXPECT_EQ(lines[2], "Serial Number: 4294967295");
    EXPECT_EQ(lines[HEADER_LINES + 16], "17,2,12,2,4,250.1250,2.5000,1");
    EXPECT_EQ(lines.back(), "\"Alarm Mode (0 = Disabled, 1 = Trip Low, 2 = Trip High)\"");

    DeviceImage loaded;
    std::string error;
    ASSERT_EQ(LoadConfigFile(path, loaded, error), ConfigLoad::Loaded) << error;
    EXPECT_EQ(loaded.alarmRegisters, image.alarmRegisters);
    EXPECT_EQ(loaded.faults, image.faults);
    std::remove(path.c_str());
    EXPECT_FALSE(SaveConfigFile(TempPath("no-such-dir/saved.csv"), image));
}

} // namespace
