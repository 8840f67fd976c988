#pragma once
// Configuration file texts for the download tests, and what the device holds after them.

#include "cli/OrxTransfer.h"
#include "sim/OrxSimulator.h"
#include "transfer/ConfigFile.h"
#include "transfer/RegisterMap.h"
#include "upload/TestFiles.h"

#include <gtest/gtest.h>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

inline const std::string DOWNLOAD_FILE_HEADER =
    "ORX Configuration Transfer Utility Version 1.00.00\n"
    "Sun Dec 06 10:00:00 2026\n"
    "Serial Number: 1234567\n"
    "Alarm,Alarm,Source,Source,Output,Trip Point,Deadband,Enunciate System\n"
    "Number,Mode,Module,Channel,Relay,,,Faults\n";
inline const std::string DOWNLOAD_FILE_NOTE =
    "\"Alarm Mode (0 = Disabled, 1 = Trip Low, 2 = Trip High)\"\n";

// Alarm n of a configuration that differs from a zeroed device in every alarm: each field
// lies within the accepted ranges and the module is never 0.
inline AlarmRecord DistinctAlarm(int n) {
    return {static_cast<WORD>(n % 3),
            static_cast<WORD>(2 + n % 15),
            static_cast<WORD>(1 + n % 4),
            static_cast<WORD>(n % 9),
            static_cast<float>(n) * 1.25f - 10.0f,
            static_cast<float>(n) * 0.5f,
            n % 2 == 1};
}

// Rows first..last of DistinctAlarm, as an upload writes them.
inline std::string DistinctRows(int first, int last) {
    std::ostringstream out;
    PrepareFileStream(out);
    for (int n = first; n <= last; ++n)
        WriteAlarmRow(out, n, DistinctAlarm(n));
    return out.str();
}

inline std::string FullFileText() {
    return DOWNLOAD_FILE_HEADER + DistinctRows(1, ALARM_COUNT) + DOWNLOAD_FILE_NOTE;
}

// A device that has the identity of an ORX and nothing else.
inline SimulatorOptions ZeroedDevice() {
    SimulatorOptions options;
    options.image = DeviceImage{};
    return options;
}

struct CommandRun {
    int code;
    std::string out;
    std::string err;
};
// Runs orx-transfer's command line in this process; the download's question is read from
// questionFd.
inline CommandRun RunCommand(const std::vector<std::string>& args, int questionFd = -1) {
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunOrxTransfer(args, {out, err, questionFd, false});
    return {code, out.str(), err.str()};
}

// How many leading alarms of the device hold DistinctAlarm; the rest must be zero (checked).
inline int DistinctAlarmsOn(const OrxSimulator& sim) {
    int n = 1;
    while (n <= ALARM_COUNT && sim.Alarm(n) == DistinctAlarm(n))
        ++n;
    for (int rest = n; rest <= ALARM_COUNT; ++rest)
        EXPECT_EQ(sim.Alarm(rest), AlarmRecord{}) << "alarm " << rest << " changed";
    return n - 1;
}

inline std::vector<RequestSummary> RequestsOf(const OrxSimulator& sim, BYTE function) {
    std::vector<RequestSummary> out;
    for (const RequestSummary& request : sim.Requests())
        if (request.function == function)
            out.push_back(request);
    return out;
}
