#include "transfer/ExchangeTrace.h"

#include "modbus/FailureText.h"
#include "transfer/FileIdentity.h"
#include "transfer/LocalTime.h"
#include "transfer/RegisterMap.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr const char* SEPARATOR = " | ";
constexpr const char* NONE = "-";
constexpr INT_PTR FUNCTION = 1;
constexpr INT_PTR ADDRESS = 2;
constexpr INT_PTR QUANTITY = 4;
constexpr int MICROSECONDS_PER_SECOND = 1000000;

std::string Hex(const CByteArray& bytes) {
    static const char DIGITS[] = "0123456789ABCDEF";
    std::string text;
    for (INT_PTR i = 0; i < bytes.GetSize(); ++i) {
        if (i > 0)
            text += ' ';
        text += DIGITS[bytes[i] >> 4];
        text += DIGITS[bytes[i] & 0x0F];
    }
    return text;
}

WORD WordAt(const CByteArray& bytes, INT_PTR at) {
    return at + 1 < bytes.GetSize() ? static_cast<WORD>(bytes[at] << 8 | bytes[at + 1]) : 0;
}

// "2025-01-05 14:02:11.532118", local time.
std::string TimeText(std::chrono::system_clock::time_point when) {
    const auto sinceEpoch =
        std::chrono::duration_cast<std::chrono::microseconds>(when.time_since_epoch()).count();
    std::tm local{};
    char text[48] = "0000-00-00 00:00:00"; // a time the system cannot show
    if (ToLocalTime(static_cast<std::time_t>(sinceEpoch / MICROSECONDS_PER_SECOND), local))
        std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    char fraction[16];
    std::snprintf(fraction, sizeof fraction, ".%06lld",
                  static_cast<long long>(sinceEpoch % MICROSECONDS_PER_SECOND));
    return std::string(text) + fraction;
}

std::string OrNone(const std::string& text) {
    return text.empty() ? NONE : text;
}

} // namespace

std::string TraceLine(const ExchangeRecord& r) {
    const CByteArray& request = r.request;
    if (request.GetSize() == 0) // a remark, no exchange
        return TimeText(r.started) + SEPARATOR + OrNone(r.peer) + SEPARATOR + r.text;
    const BYTE function = request.GetSize() > FUNCTION ? request[FUNCTION] : 0;
    std::string result = std::to_string(r.code) + ' ' + r.text;
    if (!r.detail.empty())
        result += ": " + r.detail;
    return TimeText(r.started) + SEPARATOR + OrNone(r.peer) + SEPARATOR +
           std::to_string(r.elapsed.count()) + " us" + SEPARATOR + DescribeRequest(request) +
           SEPARATOR +
           OrNone(RegisterMapEntry(function, WordAt(request, ADDRESS), WordAt(request, QUANTITY))) +
           SEPARATOR + Hex(request) + SEPARATOR + (r.response ? Hex(*r.response) : NONE) +
           SEPARATOR + result;
}

CExchangeTrace::CExchangeTrace(std::ostream& out) : m_out(out) {}

OrFailure<std::unique_ptr<CExchangeTrace>> CExchangeTrace::Open(const std::string& path,
                                                                std::ostream& err) {
    if (path == NONE)
        return std::make_unique<CExchangeTrace>(err);
    // A FIFO without a reader would block the opening forever.
    if (const std::string notPlain = WhyNotAPlainFile(path); !notPlain.empty())
        return Failure{RESULT_FILE_ERROR,
                       path + ": " + notPlain + " (- writes the trace on standard error)"};
    errno = 0;
    auto file = std::make_unique<std::ofstream>(path, std::ios::out | std::ios::trunc);
    if (!file->is_open())
        return Failure{RESULT_FILE_ERROR,
                       path + ": " + (errno != 0 ? std::strerror(errno) : "cannot be opened")};
    auto trace = std::make_unique<CExchangeTrace>(*file);
    trace->m_file = std::move(file);
    return trace;
}

void CExchangeTrace::Attach(CModbus& modbus) {
    modbus.SetExchangeObserver([this](const ExchangeRecord& record) { Write(record); });
}

void CExchangeTrace::Write(const ExchangeRecord& record) {
    const std::string line = TraceLine(record) + '\n';
    // Each line whole and at once: a trace is read when something went wrong, maybe after the
    // program was killed.
    std::lock_guard lock(m_mutex);
    m_out << line << std::flush;
}

bool CExchangeTrace::Good() {
    std::lock_guard lock(m_mutex);
    return m_out.good();
}
