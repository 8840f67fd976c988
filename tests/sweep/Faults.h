#pragma once
// One fault of the simulated device at one exchange of a transfer, for parameterised sweeps.

#include "sim/OrxSimulator.h"
#include "transfer/RegisterMap.h"
#include "transfer/TransferResults.h"

#include <chrono>
#include <string>
#include <vector>

constexpr int EXCHANGES_BEFORE_ALARMS = 2; // upload: identity, serial; download: identity, lock
constexpr int UPLOAD_READS_PER_ALARM = 3;
constexpr int DOWNLOAD_WRITES_PER_ALARM = 4;
constexpr int UPLOAD_EXCHANGES = EXCHANGES_BEFORE_ALARMS + UPLOAD_READS_PER_ALARM * ALARM_COUNT;
// The download's backup after the lock check: an upload's exchanges but the identity read.
constexpr int BACKUP_EXCHANGES = UPLOAD_EXCHANGES - 1;
constexpr int DOWNLOAD_EXCHANGES = EXCHANGES_BEFORE_ALARMS + BACKUP_EXCHANGES +
                                   DOWNLOAD_WRITES_PER_ALARM * ALARM_COUNT + 1; // + completion coil

// A whole transfer on loopback, sanitizers and a busy machine included, takes well under this;
// a stall adds one exchange limit, since the broken connection fails every later exchange
// at once.
constexpr long TRANSFER_MARGIN_MS = 1000;

enum class FaultKind {
    Drop,      // the device closes the connection instead of answering exchange k
    Stall,     // the device takes exchange k in and never answers
    Exception, // the device answers exchange k with exception 4
};

struct Fault {
    FaultKind kind;
    int exchange; // 1 = the first of the transfer
    // How the client names the fault as the cause of its failure.
    std::string Cause() const {
        return std::vector<std::string>{
            "the device closed the connection", "no reply within 300 ms",
            "device exception 4 (server device failure)"}[static_cast<int>(kind)];
    }
    std::string Name() const {
        return std::vector<std::string>{"Drop", "Stall", "Exception"}[static_cast<int>(kind)] +
               "At" + std::to_string(exchange);
    }
    long WaitLimitMs() const {
        return TRANSFER_MARGIN_MS + (kind == FaultKind::Stall ? EXCHANGE_TIMEOUT_MS : 0);
    }
    SimulatorOptions Inject(SimulatorOptions options) const {
        int* counts[] = {&options.dropAfter, &options.stallAfter, &options.failRequest};
        *counts[static_cast<int>(kind)] = kind == FaultKind::Exception ? exchange : exchange - 1;
        return options;
    }
};

inline std::vector<Fault> EveryFault(int exchanges) {
    std::vector<Fault> faults;
    for (FaultKind kind : {FaultKind::Drop, FaultKind::Stall, FaultKind::Exception})
        for (int k = 1; k <= exchanges; ++k)
            faults.push_back({kind, k});
    return faults;
}

struct Stopwatch {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    auto ElapsedMs() const {
        return (std::chrono::steady_clock::now() - start) / std::chrono::milliseconds(1);
    }
};

// The alarm whose exchange k is, counting the exchanges before the alarms and per alarm.
constexpr int AlarmOfExchange(int k, int perAlarm) {
    return (k - EXCHANGES_BEFORE_ALARMS - 1) / perAlarm + 1;
}
