#pragma once
// Configuration file texts for the download tests, and what the device holds after them.

#include "sim/OrxSimulator.h"
#include "transfer/RegisterMap.h"
#include "upload/TestFiles.h"

#include <ostream>
#include <string>
#include <vector>

extern const char* const DOWNLOAD_FILE_HEADER;
extern const char* const DOWNLOAD_FILE_NOTE;

// Alarm n of a configuration that differs from a zeroed device in every alarm: each field
// lies within the accepted ranges and the module is never 0.
AlarmRecord DistinctAlarm(int n);
// Rows first..last of DistinctAlarm, as an upload writes them.
std::string DistinctRows(int first, int last);
// Header, the 32 rows and the note.
std::string FullFileText();
// The text with every '\n' written as CR LF.
std::string CrLf(const std::string& text);

// A device that has the identity of an ORX and nothing else.
SimulatorOptions ZeroedDevice();

struct CommandRun {
    int code;
    std::string out;
    std::string err;
};
// Runs orx-transfer's command line in this process and catches what it prints; the
// download's question is read from questionFd.
CommandRun RunCommand(const std::vector<std::string>& args, int questionFd = -1);

// How many leading alarms of the device hold DistinctAlarm; the rest must be zero (checked).
int DistinctAlarmsOn(const OrxSimulator& sim);
// The requests of the device's log with this function code.
std::vector<RequestSummary> RequestsOf(const OrxSimulator& sim, BYTE function);
