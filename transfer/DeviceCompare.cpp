#include "transfer/DeviceCompare.h"

#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

constexpr int FLOAT_ALL_DIGITS = 9; // enough to tell any two floats apart

std::string FormatFloat(float value, int precision, const char* format) {
    char text[64];
    std::snprintf(text, sizeof text, format, precision, static_cast<double>(value));
    return text;
}

void CompareWord(std::vector<FieldDifference>& out, int n, const char* field, WORD file,
                 WORD device) {
    if (file != device)
        out.push_back({n, field, std::to_string(file), std::to_string(device)});
}

// Bit for bit, except that NaNs of one sign are alike: a file keeps no NaN payload.
bool SameFloat(float a, float b) {
    if (std::isnan(a) && std::isnan(b))
        return std::signbit(a) == std::signbit(b);
    return std::memcmp(&a, &b, sizeof a) == 0;
}

void CompareFloat(std::vector<FieldDifference>& out, int n, const char* field, float file,
                  float device) {
    if (SameFloat(file, device))
        return;
    std::string fileText = FormatFloat(file, 4, "%.*f");
    std::string deviceText = FormatFloat(device, 4, "%.*f");
    if (fileText == deviceText) {
        fileText = FormatFloat(file, FLOAT_ALL_DIGITS, "%.*g");
        deviceText = FormatFloat(device, FLOAT_ALL_DIGITS, "%.*g");
    }
    out.push_back({n, field, fileText, deviceText});
}

} // namespace

std::vector<FieldDifference> CompareAlarm(int n, const AlarmRecord& file,
                                          const AlarmRecord& device) {
    std::vector<FieldDifference> out;
    CompareWord(out, n, "mode", file.mode, device.mode);
    CompareWord(out, n, "source module", file.sourceModule, device.sourceModule);
    CompareWord(out, n, "source channel", file.sourceChannel, device.sourceChannel);
    CompareWord(out, n, "output relay", file.outputRelay, device.outputRelay);
    CompareFloat(out, n, "trip point", file.tripPoint, device.tripPoint);
    CompareFloat(out, n, "deadband", file.deadband, device.deadband);
    if (file.enunciateFaults != device.enunciateFaults)
        out.push_back({n, "enunciate system faults", file.enunciateFaults ? "1" : "0",
                       device.enunciateFaults ? "1" : "0"});
    return out;
}

std::string DescribeDifference(const FieldDifference& difference) {
    return "alarm " + std::to_string(difference.alarm) + " " + difference.field + ": file " +
           difference.fileValue + ", device " + difference.deviceValue;
}
