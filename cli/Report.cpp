#include "cli/Report.h"

#include <cerrno>
#include <cstring>
#include <nlohmann/json.hpp>

void PrintJson(const nlohmann::json& report, std::ostream& out) {
    constexpr int INDENT = 2;
    out << report.dump(INDENT, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

bool FlushReport(const CliStreams& io, const char* command, int earlierError) {
    errno = earlierError;
    io.out.flush();
    if (io.out)
        return true;
    io.err << "orx-transfer " << command
           << ": cannot write the report: " << (errno != 0 ? std::strerror(errno) : "write error")
           << '\n';
    return false;
}
