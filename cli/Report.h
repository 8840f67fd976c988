#pragma once
// The reports that check, verify and backup print on standard output.

#include "cli/OrxTransfer.h"

#include <nlohmann/json_fwd.hpp>

// Flushes a command's report; false, with the reason on err, when any of it could not be
// written (standard output on a full disk or a closed pipe). earlierError: the system's
// reason when an earlier write of the report failed, 0 when unknown.
bool FlushReport(const CliStreams& io, const char* command, int earlierError = 0);

// A JSON report on out, valid for any bytes in its texts: a byte that is not part of a
// UTF-8 character becomes U+FFFD.
void PrintJson(const nlohmann::json& report, std::ostream& out);
