#pragma once
// Reading one alarm from the device as the upload does, and comparing it with what a
// configuration file would write.

#include "transfer/RegisterMap.h"

#include <string>
#include <vector>

struct FieldDifference {
    int alarm = 0;
    std::string field; // "mode", "trip point", ...
    std::string fileValue;
    std::string deviceValue;
};

// Every field of the alarm in which the device differs from the file, in register order.
// Floats are equal only when bit-for-bit the same value (the file's text rounded to single
// precision, as the download writes it); they are shown with four decimals, or with all
// their digits when four decimals would not tell them apart.
std::vector<FieldDifference> CompareAlarm(int n, const AlarmRecord& file,
                                          const AlarmRecord& device);

// alarm 3 trip point: file 75.5000, device 75.4000
std::string DescribeDifference(const FieldDifference& difference);
