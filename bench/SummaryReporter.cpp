#include "bench/SummaryReporter.h"

#include <cstdio>

namespace {
constexpr double GOAL_VS_LIBMODBUS = 1.05;
constexpr double GOAL_VS_FLOOR = 1.5;
const char* const CLIENTS[] = {CLIENT_OURS, CLIENT_LIBMODBUS, CLIENT_OURS_PEER,
                               CLIENT_LIBMODBUS_PEER, CLIENT_FLOOR};

double ToMicroseconds(double value, benchmark::TimeUnit unit) {
    switch (unit) {
    case benchmark::kNanosecond:
        return value / 1e3;
    case benchmark::kMicrosecond:
        return value;
    case benchmark::kMillisecond:
        return value * 1e3;
    case benchmark::kSecond:
        return value * 1e6;
    }
    return value;
}

// A single run without repetitions stands for its own median.
bool IsMedian(const benchmark::BenchmarkReporter::Run& run) {
    return run.run_type == benchmark::BenchmarkReporter::Run::RT_Aggregate
               ? run.aggregate_name == "median"
               : run.repetitions <= 1;
}

double Ratio(const std::map<std::string, double>& us, const char* a, const char* b) {
    const auto x = us.find(a);
    const auto y = us.find(b);
    return x == us.end() || y == us.end() || y->second <= 0 ? 0.0 : x->second / y->second;
}
} // namespace

void SummaryReporter::ReportRuns(const std::vector<Run>& runs) {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
        if (run.error_occurred || !IsMedian(run))
            continue;
        const std::string& name = run.run_name.function_name;
        const auto slash = name.find('/');
        if (slash == std::string::npos)
            continue;
        const std::string transfer = name.substr(0, slash);
        m_medianUs[transfer][name.substr(slash + 1)] =
            ToMicroseconds(run.GetAdjustedRealTime(), run.time_unit);
        const auto exchanges = run.counters.find("exchanges");
        if (exchanges != run.counters.end())
            m_exchanges[transfer] = static_cast<int>(exchanges->second.value);
    }
}

void SummaryReporter::Finalize() {
    ConsoleReporter::Finalize();
    std::printf("\nmedian real time per transfer, us\n%-9s %5s", "transfer", "exch");
    for (const char* client : CLIENTS)
        std::printf(" %14s", client);
    std::printf(" | %9s %9s %9s %9s\n", "ours/libm", "peer o/l", "ours/flr", "peer o/f");
    for (const auto& [transfer, us] : m_medianUs) {
        std::printf("%-9s %5d", transfer.c_str(), m_exchanges[transfer]);
        for (const char* client : CLIENTS) {
            const auto found = us.find(client);
            std::printf(" %14.1f", found == us.end() ? 0.0 : found->second);
        }
        std::printf(" | %9.3f %9.3f %9.3f %9.3f\n", Ratio(us, CLIENT_OURS, CLIENT_LIBMODBUS),
                    Ratio(us, CLIENT_OURS_PEER, CLIENT_LIBMODBUS_PEER),
                    Ratio(us, CLIENT_OURS, CLIENT_FLOOR),
                    Ratio(us, CLIENT_OURS_PEER, CLIENT_FLOOR));
    }
    std::printf("goals: ours/libmodbus <= %.2f, ours/floor <= %.2f (the floor needs no simulator: "
                "'peer o/f' is the client's own share)\n",
                GOAL_VS_LIBMODBUS, GOAL_VS_FLOOR);
}
