#include "transfer/ConfigFile.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <locale>
#include <sstream>

namespace {
constexpr const char* COLUMNS_LINE_1 =
    "Alarm,Alarm,Source,Source,Output,Trip Point,Deadband,Enunciate System\n";
constexpr const char* COLUMNS_LINE_2 = "Number,Mode,Module,Channel,Relay,,,Faults\n";
constexpr const char* NOTE_LINE = "\"Alarm Mode (0 = Disabled, 1 = Trip Low, 2 = Trip High)\"\n";
constexpr const char* UNKNOWN_TIME_LINE = "??? ??? ?? ??:??:?? ????\n";
constexpr int FILE_PRECISION = 4;
constexpr int TM_YEAR_BASE = 1900;
constexpr int LAST_FOUR_DIGIT_YEAR = 9999;
constexpr std::size_t TIME_LINE_SIZE = 64;  // room beyond the 24 characters and line end
constexpr std::size_t EXACT_REAL_SIZE = 32; // room beyond "-1.17549435e-38", the longest

void SetFileFormat(std::ios_base& stream) {
    stream.imbue(std::locale::classic());
    stream.setf(std::ios_base::fixed, std::ios_base::floatfield);
    stream.precision(FILE_PRECISION);
}

// Infinity and NaN, which a device may hold but no row accepts in an enabled alarm, are
// written with their sign: "-nan" as glibc writes it, also where the C library leaves a NaN's
// sign out.
struct RealText {
    float value;
    RealFormat format;
    friend std::ostream& operator<<(std::ostream& out, RealText real) {
        if (!std::isfinite(real.value))
            return out << (std::signbit(real.value) ? "-" : "")
                       << (std::isnan(real.value) ? "nan" : "inf");
        if (real.format == RealFormat::FourDecimals)
            return out << real.value;
        char text[EXACT_REAL_SIZE];
        const std::to_chars_result end =
            std::to_chars(std::begin(text), std::end(text), real.value);
        return out.write(text, end.ptr - text);
    }
};

void Put(std::ostream& stream, const std::string& text) {
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
}

bool LocalTime(std::time_t now, std::tm& local) {
#ifdef _WIN32
    return localtime_s(&local, &now) == 0;
#else
    return localtime_r(&now, &local) != nullptr;
#endif
}

// ctime's layout, but the day always has two digits, and never the C library's locale.
std::string TimeLine(std::time_t now) {
    static const char* const DAYS[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const MONTHS[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm local{};
    if (!LocalTime(now, local))
        return UNKNOWN_TIME_LINE;
    const long year = static_cast<long>(local.tm_year) + TM_YEAR_BASE;
    if (year < 0 || year > LAST_FOUR_DIGIT_YEAR)
        return UNKNOWN_TIME_LINE;
    char line[TIME_LINE_SIZE];
    std::snprintf(line, sizeof line, "%s %s %02d %02d:%02d:%02d %04ld\n", DAYS[local.tm_wday],
                  MONTHS[local.tm_mon], local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec,
                  year);
    return line;
}
} // namespace

void PrepareFileStream(std::ostream& stream) {
    SetFileFormat(stream);
}

void WriteFileHeader(std::ostream& stream, DWORD serial) {
    WriteFileHeader(stream, serial, std::time(nullptr));
}

void WriteFileHeader(std::ostream& stream, DWORD serial, std::time_t now) {
    if (!stream)
        return;
    std::ostringstream text;
    SetFileFormat(text);
    text << FILE_TITLE << '\n'
         << TimeLine(now) << SERIAL_NUMBER_PREFIX << serial << '\n'
         << COLUMNS_LINE_1 << COLUMNS_LINE_2;
    Put(stream, text.str());
}

void WriteAlarmRow(std::ostream& stream, int n, const AlarmRecord& record, RealFormat format) {
    std::ostringstream text;
    SetFileFormat(text);
    text << n << ',' << record.mode << ',' << record.sourceModule << ',' << record.sourceChannel
         << ',' << record.outputRelay << ',' << RealText{record.tripPoint, format} << ','
         << RealText{record.deadband, format} << ',' << (record.enunciateFaults ? 1 : 0) << '\n';
    Put(stream, text.str());
}

void WriteAlarmRow(std::ostream& stream, int n, const CWordArray& words,
                   const CArray<float, float>& floats, const CByteArray& faults,
                   RealFormat format) {
    AlarmRecord record;
    record.mode = words[0];
    record.sourceModule = words[1];
    record.sourceChannel = words[2];
    record.outputRelay = words[3];
    record.tripPoint = floats[0];
    record.deadband = floats[1];
    record.enunciateFaults = faults[0] != 0;
    WriteAlarmRow(stream, n, record, format);
}

void WriteFileNote(std::ostream& stream) {
    Put(stream, NOTE_LINE);
}
