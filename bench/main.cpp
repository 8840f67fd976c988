// orx-bench: a full upload's and a full download's exchanges against one in-process ORX
// simulator on loopback, made by our client and by libmodbus's, and the same frame sizes
// as a raw ping-pong against a minimal peer (the floor).

#include "bench/Clients.h"
#include "bench/SummaryReporter.h"
#include "modbus/RemoteModbus.h"
#include "sim/OrxSimulator.h"
#include "transfer/DeviceAddress.h"

#include <benchmark/benchmark.h>
#include <modbus/modbus.h>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr char LOOPBACK[] = "127.0.0.1";
constexpr const char* DEFAULT_FLAGS[] = {"--benchmark_repetitions=10",
                                         "--benchmark_enable_random_interleaving=true",
                                         "--benchmark_report_aggregates_only=true"};

void Count(benchmark::State& state, const Plan& plan) {
    state.counters["exchanges"] = static_cast<double>(plan.size());
    state.counters["per_exchange"] = benchmark::Counter(
        static_cast<double>(plan.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

template <class Run> void Measure(benchmark::State& state, const Plan& plan, Run run) {
    for (auto _ : state)
        if (!run(plan)) {
            state.SkipWithError("an exchange failed");
            break;
        }
    Count(state, plan);
}

void ConnectOurs(CRemoteModbus& client, WORD port) {
    if (!client.Connect(LOOPBACK, port, EXCHANGE_TIMEOUT_MS))
        throw std::runtime_error("our client cannot connect");
}

modbus_t* ConnectLibmodbus(WORD port) {
    modbus_t* client = modbus_new_tcp(LOOPBACK, port);
    if (client == nullptr || modbus_set_slave(client, 1) != 0 || modbus_connect(client) != 0)
        throw std::runtime_error("libmodbus cannot connect");
    return client;
}

void CloseLibmodbus(modbus_t* client) {
    modbus_close(client);
    modbus_free(client);
}

// Every client keeps one connection for the whole run, as a transfer does.
struct Peers {
    OrxSimulator simulator;
    RawServer raw;
    CRemoteModbus ours, oursPeer;
    modbus_t* libmodbus = ConnectLibmodbus(simulator.Port());
    modbus_t* libmodbusPeer = ConnectLibmodbus(raw.Port());
    int rawFd = ConnectRaw(raw.Port());

    Peers() {
        ConnectOurs(ours, simulator.Port());
        ConnectOurs(oursPeer, raw.Port());
    }
    ~Peers() {
        close(rawFd);
        CloseLibmodbus(libmodbusPeer);
        CloseLibmodbus(libmodbus);
        oursPeer.Disconnect();
    }
};

template <class Run> void Add(const std::string& name, const Plan& plan, Run run) {
    benchmark::RegisterBenchmark(name.c_str(),
                                 [plan, run](benchmark::State& s) { Measure(s, plan, run); })
        ->UseRealTime() // the client mostly waits for its peer
        ->Unit(benchmark::kMicrosecond);
}

void Register(Peers& peers, const std::string& transfer, const Plan& plan) {
    Add(transfer + "/" + CLIENT_OURS, plan,
        [&peers](const Plan& p) { return RunPlan(peers.ours, p); });
    Add(transfer + "/" + CLIENT_LIBMODBUS, plan,
        [&peers](const Plan& p) { return RunPlan(peers.libmodbus, p); });
    Add(transfer + "/" + CLIENT_OURS_PEER, plan,
        [&peers](const Plan& p) { return RunPlan(peers.oursPeer, p); });
    Add(transfer + "/" + CLIENT_LIBMODBUS_PEER, plan,
        [&peers](const Plan& p) { return RunPlan(peers.libmodbusPeer, p); });
    Add(transfer + "/" + CLIENT_FLOOR, plan,
        [&peers](const Plan& p) { return RunPlanRaw(peers.rawFd, p); });
}

} // namespace

int main(int argc, char** argv) {
    std::vector<char*> args{argv[0]};
    for (const char* flag : DEFAULT_FLAGS)
        args.push_back(const_cast<char*>(flag));
    args.insert(args.end(), argv + 1, argv + argc); // given flags come later and win
    int count = static_cast<int>(args.size());
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data()))
        return 1;

    Peers peers;
    Register(peers, "upload", UploadPlan());
    Register(peers, "download", DownloadPlan());
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
