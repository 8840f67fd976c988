#pragma once
// The console report, followed by the median of each transfer per client and the ratios
// that the goals are about.

#include <benchmark/benchmark.h>

#include <map>
#include <string>

// Benchmark names are "<transfer>/<client>"; the counter "exchanges" gives the exchanges of
// one transfer. Clients: ours and libmodbus against the simulator, the same two against the
// minimal peer ("@peer"), and the raw ping-pong against that peer.
constexpr char CLIENT_OURS[] = "ours";
constexpr char CLIENT_LIBMODBUS[] = "libmodbus";
constexpr char CLIENT_OURS_PEER[] = "ours@peer";
constexpr char CLIENT_LIBMODBUS_PEER[] = "libmodbus@peer";
constexpr char CLIENT_FLOOR[] = "floor";

class SummaryReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;

private:
    std::map<std::string, std::map<std::string, double>> m_medianUs; // transfer -> client -> us
    std::map<std::string, int> m_exchanges;
};
