#include "sim/SimConfigFile.h"
#include "SimFiles.h"

namespace {

const std::string HEADER = "ORX Configuration Transfer Utility Version 1.00.00\n"
                           "Sat Dec 05 21:31:52 2026\n"
                           "Serial Number: 1\n"
                           "Alarm,Alarm,Source,Source,Output,Trip Point,Deadband,Enunciate "
                           "System\n"
                           "Number,Mode,Module,Channel,Relay,,,Faults\n";

TEST(SimConfigFile, AlarmsAfterAShortFileAreDisabledAndZeroAndTheSerialIsTheDevicesOwn) {
    const std::string path = TempPath("short.csv");
    std::ofstream(path) << HEADER << "1,1,2,1,0,5.0000,1.0000,1\n";
    DeviceImage image = DefaultDeviceImage();
    std::string error;
    ASSERT_EQ(LoadConfigFile(path, image, error), ConfigLoad::Loaded) << error;
    EXPECT_EQ(GetAlarm(image, 1), (AlarmRecord{1, 2, 1, 0, 5.0f, 1.0f, true}));
    for (int n = 2; n <= ALARM_COUNT; ++n)
        EXPECT_EQ(GetAlarm(image, n), AlarmRecord{}) << "alarm " << n;
    EXPECT_EQ(image.serial, DEFAULT_SIM_SERIAL);
    std::remove(path.c_str());
}

// Saving and loading the sample whole are checked in the program's own test.
TEST(SimConfigFile, BadRowMissingFileAndUnwritablePathAreReportedAndChangeNothing) {
    const std::string path = TempPath("bad.csv");
    std::ofstream(path) << HEADER << "1,1,2,1,0,5.0000,1.0000,1\n2,1,1,1,0,5.0000,1.0000,0\n";
    const DeviceImage before = DefaultDeviceImage();
    DeviceImage image = before;
    std::string error;
    EXPECT_EQ(LoadConfigFile(path, image, error), ConfigLoad::BadRow);
    EXPECT_NE(error.find("row 2, line 7: field 3"), std::string::npos) << error;
    std::remove(path.c_str());
    error.clear();
    EXPECT_EQ(LoadConfigFile(path, image, error), ConfigLoad::CannotOpen);
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(image, before);
    EXPECT_FALSE(SaveConfigFile(TempPath("no-such-dir/saved.csv"), image));
}

} // namespace
